// RemoteData: empty answers, update confirmations and SettingsReply decoding.
#pragma once

#include <string>

#include "errors/module.h"
#include "form/form_window.h"

namespace kora {

// Reports its own failures under "RemoteData" (5 resumed, except from Dec64:
// text the codec cannot decode fails the reply); never raises.
// A settings reply is decoded and checked whole before the form changes: a
// reply that fails anywhere leaves every control, list and chkAutoLoad as they
// were and leaves the form without settings Update may send; a decoded one
// counts when its LoadInterface's fetch went out.
void remoteData(Module& module, const std::string& data);

}  // namespace kora
