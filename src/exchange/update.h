// The update request: release of the Update button.
#pragma once

#include "plugin/module.h"

namespace kora {

// Never raises: a failure part-way is reported as a "cmdUpdate" DllError.
// Sends nothing unless the form holds this server's decoded settings
// (haveServerSettings, and no empty answer since). The pointer is restored
// in every case.
void onUpdateMouseUp(Module& module, int button);

}  // namespace kora
