// What an update request must be, whatever the form held before Update: the
// oracle of the property tests. It reads the
// field table of wire_oracle.h, independent of the code under test, and checks
// the request against the form as Update left it.
//
// The invariant on separators: the payload holds exactly three "[-]", the
// settings section exactly 40 "|", the roles section exactly 3 "|" and the
// weapons section one "|" fewer than there are selected weapons (none when
// none is selected). No text a user typed or a profile held changes these
// counts: free text travels as Base64, and a number typed into a text box
// goes out as typed only when it passes the number test, which no separator
// passes.
#pragma once

#include <algorithm>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "base64.h"
#include "base/number.h"
#include "form/memory_form.h"
#include "samples.h"
#include "wire_oracle.h"

namespace kora::check {

inline std::vector<std::string> splitAll(std::string_view text, std::string_view separator) {
    std::vector<std::string> parts;
    for (;;) {
        const size_t at = text.find(separator);
        parts.emplace_back(text.substr(0, at));
        if (at == std::string_view::npos) return parts;
        text.remove_prefix(at + separator.size());
    }
}

inline size_t occurrences(std::string_view text, std::string_view separator) {
    size_t n = 0;
    for (size_t at = text.find(separator); at != std::string_view::npos;
         at = text.find(separator, at + separator.size()))
        ++n;
    return n;
}

inline bool blank(std::string_view text) { return text.find_first_not_of(' ') == std::string_view::npos; }
inline bool numeric(std::string_view text) { return !blank(text) && isNumber(text); }
inline bool numberWithin(std::string_view text, double low, double high) {
    const auto value = parseNumber(text);
    return value && *value >= low && *value <= high;
}

using oracle::Field;
using oracle::How;
using enum Control;

// "" when the control meets the postcondition of its correction, else why not.
inline std::string corrected(const Form& form, const Field& f) {
    const Control c = f.control;
    const std::string name(kora::name(c));
    switch (f.how) {
    case How::Name: return blank(form.text(c)) ? name + " is blank" : "";
    case How::Index:
    case How::IndexPlus1:
        return form.listIndex(c) >= f.low && form.listIndex(c) <= f.high
                   ? ""
                   : name + " index " + std::to_string(form.listIndex(c)) + " out of range";
    case How::Players:
        return form.listIndex(c) >= 0 && numberWithin(form.text(c), f.low, f.high) ? ""
                                                                                   : name + " shows " + form.text(c);
    case How::TimeText: return numberWithin(form.text(c), f.low, f.high) ? "" : name + " holds " + form.text(c);
    case How::MapsIndex: return form.listIndex(c) <= f.high ? "" : name + " index out of range";
    case How::NumberText: return numeric(form.text(c)) ? "" : name + " holds " + form.text(c);
    default: return "";
    }
}

// The field Update must send for the control as it stands after Update.
inline std::string expectedField(const Form& form, const Field& f) {
    const Control c = f.control;
    switch (f.how) {
    case How::None: return {};
    case How::Name: return suite::encodeBase64(form.text(c));
    case How::Free: return blank(form.text(c)) ? "" : suite::encodeBase64(form.text(c));
    case How::Index:
    case How::Players: return std::to_string(form.listIndex(c));
    case How::MapsIndex: return form.listIndex(c) >= 0 ? std::to_string(form.listIndex(c)) : std::string(f.fallback);
    case How::IndexPlus1: return std::to_string(form.listIndex(c) + 1);
    case How::TimeText:
    case How::NumberText: return form.text(c);
    case How::Check: return std::to_string(form.checkValue(c));
    case How::Inverted: return form.checkValue(c) == 1 ? "0" : "1";
    case How::NumberSent: return numeric(form.text(c)) ? form.text(c) : std::string(f.fallback);
    case How::FirstOf2: return form.optionElement(c) == 0 ? "0" : "1";
    case How::FirstOf3: {
        const int e = form.optionElement(c);
        return e == 0 || e == 1 ? std::to_string(e) : "2";
    }
    }
    return {};
}

// Whether Update had to correct the control: it missed its postcondition before.
inline bool correctionNeeded(const Form& before, const Field& f) {
    if (f.how == How::MapsIndex) return false;  // nothing selectable replaces it
    return !corrected(before, f).empty();
}

// "" when `payload` is what Update must send for `after`, the form as Update
// left it, and Update changed only the controls that needed a correction;
// otherwise the first difference.
inline std::string updatePayload(const Form& before, const Form& after, std::string_view payload) {
    if (occurrences(payload, "[-]") != 3)
        return "payload holds " + std::to_string(occurrences(payload, "[-]")) + " \"[-]\"";
    const auto sections = splitAll(payload, "[-]");
    if (occurrences(sections[0], "|") != 40)
        return "settings section holds " + std::to_string(occurrences(sections[0], "|")) + " \"|\"";
    if (occurrences(sections[2], "|") != 3)
        return "roles section holds " + std::to_string(occurrences(sections[2], "|")) + " \"|\"";

    const auto fields = splitAll(sections[0], "|");
    std::set<Control> correctedControls;
    for (size_t i = 0; i < oracle::kUpdateFields; ++i) {
        const Field& f = *oracle::updateFields()[i];
        if (auto why = corrected(after, f); !why.empty()) return "field " + std::to_string(i) + ": " + why;
        if (fields[i] != expectedField(after, f))
            return "field " + std::to_string(i) + " is \"" + fields[i] + "\", expected \"" + expectedField(after, f) +
                   "\"";
        if (correctionNeeded(before, f)) correctedControls.insert(f.control);
    }
    // Update changes nothing but the controls that needed a correction.
    for (const ControlRow& r : controls())
        if (!correctedControls.count(r.id) && sample::valueOf(before, r.id) != sample::valueOf(after, r.id))
            return std::string(r.name) + " changed from " + sample::valueOf(before, r.id) + " to " +
                   sample::valueOf(after, r.id) + " without need";

    std::vector<std::string> weapons;
    for (int i = 0; i < after.itemCount(lstWeapons); ++i)
        if (after.itemSelected(lstWeapons, i)) weapons.push_back(suite::encodeBase64(after.itemText(lstWeapons, i)));
    std::string expected;
    for (size_t i = 0; i < weapons.size(); ++i) expected += (i ? "|" : "") + weapons[i];
    if (sections[1] != expected) return "weapons section is \"" + sections[1] + "\", expected \"" + expected + "\"";
    if (occurrences(sections[1], "|") != (weapons.empty() ? 0 : weapons.size() - 1))
        return "weapons section holds the wrong number of \"|\"";

    constexpr std::string_view kRoleTexts[] = {"CQB", "Sniper", "Gunner", "Rifleman"};
    std::string roles;
    for (int i = 0; i < 4; ++i)
        roles += std::string(i ? "|" : "") + (after.itemSelected(lstRoles, i) ? std::string(kRoleTexts[i]) : "");
    if (sections[2] != roles) return "roles section is \"" + sections[2] + "\", expected \"" + roles + "\"";
    if (sections[3] != std::to_string(after.checkValue(chkAutoLoad)))
        return "auto-load flag is \"" + sections[3] + "\"";
    return {};
}

}  // namespace kora::check
