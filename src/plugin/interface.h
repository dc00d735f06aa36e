// Showing and hiding the interface: LoadInterface and HideInterface.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "errors/module.h"
#include "form/form_window.h"

namespace kora {

// Element i of the host's PDAT, as text; raises 13 when PDAT is not an array
// and 9 when the element does not exist.
using PdatElement = std::function<std::string(int index)>;

// Reports its own failures under "LoadInterface" (360 ignored); never raises.
void loadInterface(Module& module, int32_t index, uint64_t hostWindow, const PdatElement& pdat);
// Hides the form, loading it first; failures are raised to the caller (the COM
// layer turns them into a failure HRESULT).
void hideInterface(Module& module);

}  // namespace kora
