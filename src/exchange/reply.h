// RemoteData: empty answers, update confirmations and SettingsReply decoding.
#pragma once

#include <string>

#include "plugin/module.h"

namespace kora {

// Reports its own failures under "RemoteData" (5 resumed); never raises.
void remoteData(Module& module, const std::string& data);

}  // namespace kora
