// The update request: release of the Update button.
#pragma once

#include "errors/module.h"
#include "form/form_window.h"

namespace kora {

// Never raises: a failure part-way is reported as a "cmdUpdate" DllError.
// Sends nothing unless the form holds this server's decoded settings
// (haveServerSettings, and no empty answer since). A refusal because no
// settings were decoded yet leaves ReplyMode alone, so a settings reply still
// on its way fills the form; every other release awaits a confirmation. The
// pointer is restored in every case.
void onUpdateMouseUp(Module& module, int button);

}  // namespace kora
