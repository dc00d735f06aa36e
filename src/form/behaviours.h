// The form's own behaviours. They run whether the user or the code changed a
// value: both form realisations call them, and both hand the user's acts to
// the event functions below, which decide what follows.
#pragma once

#include "form/form.h"

namespace kora {

class Module;

void fillNumberCombos(Form& form);
// The design state every new form starts from: fixed items, "savCountry" in
// its edit box, the Select All elements chosen.
void fillDesignItems(Form& form);
// Enables the ping limit and its label when the check box holds 1, else disables them.
void followPingCheck(Form& form, Control check);
// Appends "65".."250" to savPlayers unless present already.
void extendPlayersForAffiliate(Form& form);

// The user's acts on a form of the module. An event has no caller to hand a
// failure to: it is reported like the handlers do, and the form carries on.
// A click on a check box toggles clear and ticked (a greyed box becomes ticked).
void userClickCheck(Module& module, Form& form, Control check);
void userClickOption(Module& module, Form& form, Control group, int element);
// savPlayers_Scroll: selects the item now at the top of the one-row list.
void userScrollPlayers(Module& module, Form& form, int topIndex);

}  // namespace kora
