// Random form states for the property tests and the fuzz targets. A Source
// makes the choices: a seeded PRNG in the property tests, the fuzzer's bytes
// in the fuzz targets. It needs one member: `int between(int low, int high)`
// (both inclusive).
#pragma once

#include <random>
#include <set>
#include <string>
#include <string_view>

#include "base/number.h"
#include "form/behaviours.h"
#include "form/form.h"

namespace kora::random {

// Pieces of text chosen to upset separators, INI lines, trimming, number tests
// and UTF-8 handling.
inline constexpr std::string_view kPieces[] = {
    "|",
    ",",
    "[-]",
    "[",
    "]",
    "-",
    "_",
    "_VB6_",
    "\r\n",
    "\r",
    "\n",
    "\t",
    " ",
    "  ",
    "=",
    ";",
    "#",
    "\\",
    "\\n",
    "\"",
    "0",
    "1",
    "2",
    "-1",
    "+7",
    "1e3",
    ".5",
    "30",
    "17479",
    "abc",
    "Untitled",
    "CQB",
    "ü",
    "Ø",
    "日本",
    "😀",
    "Zoë's server",
    "Mortar, 81 mm",
    "A|B",
};
// Bytes no UTF-8 text holds: a lone continuation byte, a truncated sequence, an
// overlong slash, an encoded surrogate.
inline constexpr std::string_view kBadBytes[] = {"\x80", "\xC3", "\xC0\xAF", "\xED\xA0\x80", "\xFF"};

template <class Source>
std::string text(Source& s, bool utf8 = true, int maxPieces = 6) {
    std::string out;
    const int pieces = s.between(0, maxPieces);
    for (int i = 0; i < pieces; ++i) {
        if (!utf8 && s.between(0, 9) == 0)
            out += kBadBytes[static_cast<size_t>(s.between(0, static_cast<int>(std::size(kBadBytes)) - 1))];
        else
            out += kPieces[static_cast<size_t>(s.between(0, static_cast<int>(std::size(kPieces)) - 1))];
    }
    return out;
}

// Text that a reply can carry unencoded: no "|" and no "[-]".
template <class Source>
std::string plainText(Source& s) {
    std::string out = text(s);
    for (size_t at; (at = out.find('|')) != std::string::npos;) out.erase(at, 1);
    for (size_t at; (at = out.find("[-]")) != std::string::npos;) out.erase(at, 3);
    return out;
}

enum class Domain {
    Reply,     // what a settings reply can put on the form (valid UTF-8, values it can decode)
    Anything,  // anything a user can type or a profile can hold
};

// The text boxes whose reply fields are plain text rather than Base64.
inline bool plainInReply(Control c) {
    using enum Control;
    switch (c) {
    case savTime:
    case savFlagReturn:
    case savLives:
    case savMinPing:
    case savMaxPing:
    case savVoteMin:
    case savVoteTime:
    case savChangeTime:
    case savChangePenalty:
    case savArmoryReuse:
    case savGamePort:
    case savLanPort: return true;
    default: return false;
    }
}

template <class Source>
void scrambleSetting(Form& form, const ControlRow& r, Source& s, Domain d) {
    const Control c = r.id;
    const bool reply = d == Domain::Reply;
    switch (r.kind) {
    case Kind::Text:
        if (reply && plainInReply(c)) {
            std::string t = plainText(s);
            // The reply's "0" port stands for the default one, so it cannot come back as itself.
            if (c == Control::savGamePort && trimSpaces(t) == "0") t = "17479";
            form.setText(c, t);
        } else {
            form.setText(c, text(s, reply));
        }
        break;
    case Kind::Check:
        // A reply ticks or clears the inverted box; it cannot grey it.
        form.setCheckValue(c, s.between(0, reply && c == Control::savAutoBalance ? 1 : 2));
        break;
    case Kind::Combo:
    case Kind::List: form.setListIndex(c, s.between(-1, form.itemCount(c) - 1)); break;
    case Kind::EditCombo:
        if (s.between(0, 1))
            form.setListIndex(c, s.between(-1, form.itemCount(c) - 1));
        else
            form.setText(c, text(s, reply));
        break;
    case Kind::Option: {
        const int elements = static_cast<int>(r.elements.size());
        form.setOptionElement(c, s.between(reply ? 0 : -1, elements - 1));
        break;
    }
    default: break;
    }
}

// Gives every setting control, both restriction lists and chkAutoLoad a random
// state. Weapon names are unique when `uniqueWeapons` (as a server sends them).
template <class Source>
void scramble(Form& form, Source& s, Domain d, bool uniqueWeapons = true, int maxWeapons = 60) {
    const bool reply = d == Domain::Reply;
    if (!reply && s.between(0, 4) == 0) extendPlayersForAffiliate(form);
    for (const ControlRow& r : settingControls()) scrambleSetting(form, r, s, d);
    for (int i = 0; i < form.itemCount(Control::lstRoles); ++i)
        form.setItemSelected(Control::lstRoles, i, s.between(0, 1) == 1);
    form.clearItems(Control::lstWeapons);
    const int weapons = s.between(0, 3) == 0 ? s.between(0, maxWeapons) : s.between(0, 6);
    std::set<std::string> names;
    for (int i = 0; i < weapons; ++i) {
        std::string name = text(s, reply, 4);
        if (uniqueWeapons && !names.insert(name).second) continue;
        form.addItem(Control::lstWeapons, name);
        form.setItemSelected(Control::lstWeapons, form.itemCount(Control::lstWeapons) - 1, s.between(0, 1) == 1);
    }
    form.setCheckValue(Control::chkAutoLoad, s.between(0, reply ? 1 : 2));
}

// Under the sanitizers every case costs ten times as much; a fifth of them
// still exercises every path, and the plain build runs them all.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr int kSanitizedShare = 5;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr int kSanitizedShare = 5;
#else
inline constexpr int kSanitizedShare = 1;
#endif
#else
inline constexpr int kSanitizedShare = 1;
#endif
inline int cases(int n) { return n / kSanitizedShare; }
// Whether the i-th case of a fixed sweep runs in this build.
inline bool runs(int i) { return i % kSanitizedShare == 0; }

// A seeded PRNG as a Source.
struct Prng {
    explicit Prng(uint32_t seed) : engine(seed) {}
    int between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(engine); }
    std::mt19937 engine;
};

}  // namespace kora::random
