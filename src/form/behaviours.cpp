#include "form/behaviours.h"

#include <string>

#include "errors/module.h"
#include "form/form_window.h"

namespace kora {

void fillNumberCombos(Form& form) {
    // Interleaved like the original fill so that each list's index equals its number.
    for (int n = 0; n <= 600; ++n) {
        const std::string text = std::to_string(n);
        form.addItem(Control::savMaxFF, text);
        form.addItem(Control::savRespawn, text);
        form.addItem(Control::savDelay, text);
    }
    for (int n = 601; n <= 999; ++n) form.addItem(Control::savMaxFF, std::to_string(n));
}

void followPingCheck(Form& form, Control check) {
    const bool on = form.checkValue(check) == 1;
    if (check == Control::savMinPingChk) {
        form.setEnabled(Control::lblMinPing, on);
        form.setEnabled(Control::savMinPing, on);
    } else if (check == Control::savMaxPingChk) {
        form.setEnabled(Control::lblMaxPing, on);
        form.setEnabled(Control::savMaxPing, on);
    }
}

void onOptRolesClick(Form& form, int index) {
    const bool state = index == 0;
    for (int i = 0; i <= 4; ++i) form.setItemSelected(Control::lstRoles, i, state);
}

void onOptWeaponsClick(Module& module, int index) {
    if (module.state.noDataReceived) {
        module.showMessage(MessageKind::Failed,
                           "There seems to have been a problem collecting data!\r\n\r\n"
                           "Unable to update weapon restrictions!");
        return;
    }
    Form& form = module.form();
    const bool state = index == 0;
    const int count = form.itemCount(Control::lstWeapons);
    for (int i = 0; i < count; ++i) form.setItemSelected(Control::lstWeapons, i, state);
}

void onPlayersScroll(Form& form, int topIndex) { form.setListIndex(Control::savPlayers, topIndex); }

void extendPlayersForAffiliate(Form& form) {
    // A second LoadInterface for an Affiliate server must not append the numbers again.
    const int count = form.itemCount(Control::savPlayers);
    if (count > 0 && form.itemText(Control::savPlayers, count - 1) == "250") return;
    for (int n = 65; n <= 250; ++n) form.addItem(Control::savPlayers, std::to_string(n));
}

}  // namespace kora
