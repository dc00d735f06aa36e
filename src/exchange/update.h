// The update request: release of the Update button.
#pragma once

#include "errors/module.h"
#include "form/form_window.h"

namespace kora {

// Never raises: a failure part-way is reported as a "cmdUpdate" DllError.
// Sends only while the session allows it (the form holds this server's
// decoded settings); a release that sends nothing, refused or failed, leaves
// the awaited answer as it was. The pointer is restored in every case.
void onUpdateMouseUp(Module& module, int button);

}  // namespace kora
