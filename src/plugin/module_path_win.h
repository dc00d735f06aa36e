#pragma once

#include <string>

#include <windows.h>

namespace kora::win {

// The full path of a module (null: the process's executable), however long:
// the buffer grows until the path fits, so paths beyond MAX_PATH come whole.
std::wstring moduleFileName(HMODULE module);

}  // namespace kora::win
