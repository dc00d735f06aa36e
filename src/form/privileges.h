#pragma once

#include <memory>

#include "errors/module.h"
#include "form/form_window.h"

namespace kora {

// SetPrivis: a null collection counts as empty. Reports under "SetPrivis"
// (5 resumed); never raises.
void setPrivis(Module& module, std::shared_ptr<PrivilegeCollection> names, bool isSuperAdmin);

// The four setting controls that privileges enable or disable.
bool isPrivilegeControl(Control c);

}  // namespace kora
