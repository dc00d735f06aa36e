#pragma once
// The library's own version, 1.00.0005; also used by the version resource.
#define KORA_VERSION_MAJOR 1
#define KORA_VERSION_MINOR 0
#define KORA_VERSION_REVISION 5
#define KORA_VERSION_TEXT "1.0.5"
#define KORA_VERSION_RESOURCE_TEXT "1.00.0005"
