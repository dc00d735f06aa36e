// Settings profiles: Save and Load of *.ssf files through the utility
// component's WriteIniKey / GetIniKey.
#pragma once

#include <string>

#include "errors/module.h"
#include "form/form_window.h"

namespace kora {

std::string profileFolder(const Module& module);  // BASE\profiles\INDEX\settings
// Both never raise: failures are reported under "cmdSave" / "cmdLoad".
void onSaveMouseUp(Module& module, int button);
// Reads and checks the whole profile first and applies it only when every
// value fits its control; controls locked by privileges keep their values.
void onLoadMouseUp(Module& module, int button);

}  // namespace kora
