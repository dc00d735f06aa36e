// A realistic settings reply and a printable snapshot of the whole form, for
// the exchange and profile tests.
#pragma once

#include <string>
#include <vector>

#include "exchange/reply.h"
#include "fakes.h"

namespace kora::sample {

inline std::string enc(const std::string& text) { return suite::encodeBase64(text); }

// The 43 general fields of one server.
inline std::vector<std::string> general() {
    // clang-format off
    return {enc("Duskwater One"), enc("GB"), "1", enc("secret"), "23", "45", "3", "1", "10", "1", "0", "0",
            enc("Welcome\r\nPlay fair"), enc("blue"), enc("red"), "", "1", "11", "0", "1", "10", "180", "50", "1",
            "0", "1", "25", "0", "900", "0", "1", "0", "0", "1", "1", "4", "90", "0", "60", "300", "20", "2", "17480"};
    // clang-format on
}

inline std::string join(const std::vector<std::string>& parts, const std::string& separator) {
    std::string out;
    for (size_t i = 0; i < parts.size(); ++i) out += (i ? separator : "") + parts[i];
    return out;
}

inline std::string reply(const std::vector<std::string>& fields = general(), const std::string& roles = "1|0|1|0|1",
                         const std::string& weapons = enc("Rifle") + ",1|" + enc("Knife") + ",0|" + enc("Grenade") +
                                                      ",1",
                         const std::string& autoLoad = "1") {
    return join(fields, "|") + "[-]" + roles + "[-]" + weapons + "[-]" + autoLoad;
}

// Delivers a settings reply the way LoadInterface expects one.
inline void receive(fake::Rig& rig, const std::string& data = reply()) {
    fake::fetched(rig.module);
    remoteData(rig.module, data);
}

// A control's whole state: its value, items and selection, enabled or not.
inline std::string valueOf(const Form& form, Control c) {
    std::string v;
    switch (row(c).kind) {
    case Kind::Check: v = std::to_string(form.checkValue(c)); break;
    case Kind::Combo:
    case Kind::List: v = std::to_string(form.listIndex(c)); break;
    case Kind::EditCombo: v = form.text(c) + "#" + std::to_string(form.listIndex(c)); break;
    case Kind::Option: v = std::to_string(form.optionElement(c)); break;
    case Kind::MultiList:
        for (int i = 0; i < form.itemCount(c); ++i) v += form.itemText(c, i) + (form.itemSelected(c, i) ? "+ " : "- ");
        break;
    case Kind::Label: break;
    default: v = form.text(c);
    }
    return form.enabled(c) ? v : v + " (off)";
}

// Every control's state, one line each.
inline std::string snapshot(const Form& form) {
    std::string out;
    for (const ControlRow& r : controls()) out += std::string(r.name) + "=" + valueOf(form, r.id) + "\n";
    return out;
}

}  // namespace kora::sample
