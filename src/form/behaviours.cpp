#include "form/behaviours.h"

#include <functional>
#include <string>

#include "errors/handler.h"
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

void fillDesignItems(Form& form) {
    for (const ControlRow& r : controls()) {
        for (std::string_view item : r.items) form.addItem(r.id, item);
        if (!r.numbers.addedByLoad)
            for (int n = r.numbers.first; n <= r.numbers.last; ++n) form.addItem(r.id, std::to_string(n));
    }
    form.setText(Control::savCountry, "savCountry");
    form.setOptionElement(Control::optRoles, 0);
    form.setOptionElement(Control::optWeapons, 0);
}

void followPingCheck(Form& form, Control check) {
    if (check != Control::savMinPingChk && check != Control::savMaxPingChk) return;
    const bool min = check == Control::savMinPingChk;
    const bool on = form.checkValue(check) == 1;
    form.setEnabled(min ? Control::lblMinPing : Control::lblMaxPing, on);
    form.setEnabled(min ? Control::savMinPing : Control::savMaxPing, on);
}

namespace {

void onOptRolesClick(Form& form, int index) {
    const bool state = index == 0;
    for (int i = 0; i <= 4; ++i) form.setItemSelected(Control::lstRoles, i, state);
}

void onOptWeaponsClick(Module& module, int index) {
    if (module.state.session.noData()) {
        module.showMessage(MessageKind::Failed, noDataNotice("update weapon restrictions"));
        return;
    }
    Form& form = module.form();
    const bool state = index == 0;
    const int count = form.itemCount(Control::lstWeapons);
    for (int i = 0; i < count; ++i) form.setItemSelected(Control::lstWeapons, i, state);
}

void runEvent(Module& module, std::string_view event, const std::function<void()>& action) {
    const Module::Operation running(module);
    try {
        action();
    } catch (...) {
        try {
            const Failure failure = currentFailure();
            module.showMessage(MessageKind::DllError, event, &failure, failure.line);
        } catch (...) {}
    }
}

}  // namespace

void extendPlayersForAffiliate(Form& form) {
    // A second LoadInterface for an Affiliate server must not append the numbers again.
    const int count = form.itemCount(Control::savPlayers);
    if (count > 0 && form.itemText(Control::savPlayers, count - 1) == "250") return;
    for (int n = 65; n <= 250; ++n) form.addItem(Control::savPlayers, std::to_string(n));
}

void userClickCheck(Module& module, Form& form, Control check) {
    runEvent(module, std::string(name(check)) + "_Click", [&] {
        form.setCheckValue(check, form.checkValue(check) == 1 ? 0 : 1);  // the ping limits follow inside
    });
}

void userClickOption(Module& module, Form& form, Control group, int element) {
    runEvent(module, std::string(name(group)) + "_Click", [&] {
        form.setOptionElement(group, element);
        if (group == Control::optRoles) onOptRolesClick(form, element);
        if (group == Control::optWeapons) onOptWeaponsClick(module, element);
    });
}

void userScrollPlayers(Module& module, Form& form, int topIndex) {
    runEvent(module, "savPlayers_Scroll", [&] { form.setListIndex(Control::savPlayers, topIndex); });
}

}  // namespace kora
