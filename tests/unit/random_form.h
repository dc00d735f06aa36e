// Random form states for the property tests, drawn inside a RapidCheck
// property: every choice is one draw, so a failing case shrinks to a small one.
#pragma once

#include <rapidcheck.h>

#include <set>
#include <string>
#include <string_view>

#include "base/number.h"
#include "form/behaviours.h"
#include "form/form.h"
#include "wire_oracle.h"

namespace kora::random {

// Pieces of text chosen to upset separators, INI lines, trimming, number tests
// and UTF-8 handling.
// clang-format off
inline constexpr std::string_view kPieces[] = {
    "|", ",", "[-]", "[", "]", "-", "_", "_VB6_", "\r\n", "\r", "\n", "\t", " ", "  ", "=", ";", "#", "\\",
    "\\n", "\"", "0", "1", "2", "-1", "+7", "1e3", ".5", "30", "17479", "abc", "Untitled", "CQB", "ü", "Ø",
    "日本", "😀", "Zoë's server", "Mortar, 81 mm", "A|B",
};
// clang-format on
// Bytes no UTF-8 text holds: a lone continuation byte, a truncated sequence, an
// overlong slash, an encoded surrogate.
inline constexpr std::string_view kBadBytes[] = {"\x80", "\xC3", "\xC0\xAF", "\xED\xA0\x80", "\xFF"};

// Both ends inclusive.
inline int between(int low, int high) { return *rc::gen::inRange(low, high + 1); }

template <class T, size_t N>
const T& oneOf(const T (&choices)[N]) {
    return choices[static_cast<size_t>(between(0, static_cast<int>(N) - 1))];
}

inline std::string text(bool utf8 = true, int maxPieces = 6) {
    std::string out;
    for (int i = between(0, maxPieces); i > 0; --i)
        out += !utf8 && between(0, 9) == 0 ? oneOf(kBadBytes) : oneOf(kPieces);
    return out;
}

enum class Domain {
    Reply,     // what a settings reply can put on the form (valid UTF-8, values it can decode)
    Anything,  // anything a user can type or a profile can hold
};

// Whether the control's reply field is plain text rather than Base64.
inline bool plainInReply(Control c) {
    for (const oracle::Field& f : oracle::kFields)
        if (f.control == c) return f.put == oracle::Put::Plain || f.put == oracle::Put::Port;
    return false;
}

inline void scrambleSetting(Form& form, const ControlRow& r, Domain d) {
    const Control c = r.id;
    const bool reply = d == Domain::Reply;
    switch (r.kind) {
    case Kind::Text:
        if (reply && plainInReply(c)) {
            // A reply's text cannot hold its own separators.
            std::string t = text();
            for (size_t at; (at = t.find('|')) != std::string::npos;) t.erase(at, 1);
            for (size_t at; (at = t.find("[-]")) != std::string::npos;) t.erase(at, 3);
            // The reply's "0" port stands for the default one, so it cannot come back as itself.
            if (c == Control::savGamePort && trimSpaces(t) == "0") t = "17479";
            form.setText(c, t);
        } else {
            form.setText(c, text(reply));
        }
        break;
    case Kind::Check:
        // A reply ticks or clears the inverted box; it cannot grey it.
        form.setCheckValue(c, between(0, reply && c == Control::savAutoBalance ? 1 : 2));
        break;
    case Kind::Combo:
    case Kind::List: form.setListIndex(c, between(-1, form.itemCount(c) - 1)); break;
    case Kind::EditCombo:
        if (between(0, 1))
            form.setListIndex(c, between(-1, form.itemCount(c) - 1));
        else
            form.setText(c, text(reply));
        break;
    case Kind::Option:
        form.setOptionElement(c, between(reply ? 0 : -1, static_cast<int>(r.elements.size()) - 1));
        break;
    default: break;
    }
}

// Gives every setting control, both restriction lists and chkAutoLoad a random
// state. Weapon names are unique when `uniqueWeapons` (as a server sends them).
inline void scramble(Form& form, Domain d, bool uniqueWeapons = true) {
    const bool reply = d == Domain::Reply;
    if (!reply && between(0, 4) == 0) extendPlayersForAffiliate(form);
    for (const ControlRow& r : settingControls()) scrambleSetting(form, r, d);
    for (int i = 0; i < form.itemCount(Control::lstRoles); ++i)
        form.setItemSelected(Control::lstRoles, i, between(0, 1) == 1);
    form.clearItems(Control::lstWeapons);
    std::set<std::string> names;
    for (int i = between(0, 3) == 0 ? between(0, 60) : between(0, 6); i > 0; --i) {
        std::string name = text(reply, 4);
        if (uniqueWeapons && !names.insert(name).second) continue;
        form.addItem(Control::lstWeapons, name);
        form.setItemSelected(Control::lstWeapons, form.itemCount(Control::lstWeapons) - 1, between(0, 1) == 1);
    }
    form.setCheckValue(Control::chkAutoLoad, between(0, reply ? 1 : 2));
}

}  // namespace kora::random
