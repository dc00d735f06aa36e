// The form's own behaviours. They run whether the user or the code changed a
// value: both form realisations call them.
#pragma once

#include "form/form.h"

namespace kora {

class Module;

void fillNumberCombos(Form& form);
// Enables the ping limit and its label when the check box holds 1, else disables them.
void followPingCheck(Form& form, Control check);
void onOptRolesClick(Form& form, int index);
void onOptWeaponsClick(Module& module, int index);
// savPlayers_Scroll: select the item now at the top of the one-row list.
void onPlayersScroll(Form& form, int topIndex);
// Appends "65".."250" to savPlayers unless present already.
void extendPlayersForAffiliate(Form& form);

}  // namespace kora
