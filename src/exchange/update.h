// The update request: release of the Update button.
#pragma once

#include "plugin/module.h"

namespace kora {

// Never raises: a failure part-way is reported as a "cmdUpdate" DllError.
void onUpdateMouseUp(Module& module, int button);

}  // namespace kora
