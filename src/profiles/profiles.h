// Settings profiles: Save and Load of *.ssf files through the utility
// component's WriteIniKey / GetIniKey.
#pragma once

#include <string>

#include "plugin/module.h"

namespace kora {

std::string profileFolder(const Module& module);  // BASE\profiles\INDEX\settings
// Both never raise: failures are reported under "cmdSave" / "cmdLoad".
void onSaveMouseUp(Module& module, int button);
void onLoadMouseUp(Module& module, int button);

}  // namespace kora
