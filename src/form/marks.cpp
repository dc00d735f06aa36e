#include "form/marks.h"

#include <algorithm>
#include <cstdint>

#include "form/correction.h"

namespace kora {
namespace {

using enum Control;

// The value a setting holds, as a profile would store it.
std::string valueOf(const Form& form, const ControlRow& r) {
    switch (r.kind) {
    case Kind::Check: return std::to_string(form.checkValue(r.id));
    case Kind::Combo:
    case Kind::List: return std::to_string(form.listIndex(r.id));
    case Kind::Option: return std::to_string(form.optionElement(r.id));
    default: return form.text(r.id);
    }
}

}  // namespace

// The items Update sends (every weapon, the roles but the last: it never
// travels) and their selection as one text: each item's length, text and
// selection, so two lists are equal exactly when their texts are. One
// string, not one per item, read from the form's storage past the per-item
// checks: a baseline is taken at every reply.
std::string Baseline::selectionOf(const Form& form, Control list) {
    std::string items;
    const int count = list == lstRoles ? std::min(form.itemCount(list), 4) : form.itemCount(list);
    items.reserve(static_cast<size_t>(count) * 32);
    for (int i = 0; i < count; ++i) {
        // The item's length goes before its text, its selection after.
        const size_t start = items.size();
        items.append(sizeof(uint32_t), '\0');
        form.storedItem(list, i, items);
        const auto size = static_cast<uint32_t>(items.size() - start - sizeof(uint32_t));
        items.replace(start, sizeof size, reinterpret_cast<const char*>(&size), sizeof size);
        items += form.storedSelection(list, i) ? '1' : '0';
    }
    return items;
}

namespace {

void replaceAll(std::string& text, std::string_view field, std::string_view by) {
    for (size_t at = text.find(field); at != std::string::npos; at = text.find(field, at + by.size()))
        text.replace(at, field.size(), by);
}

std::string_view settingCaption(Control c) {
    std::string_view caption = row(captionControl(c)).label;
    if (!caption.empty() && caption.back() == ':') caption.remove_suffix(1);
    return caption;
}

constexpr std::array<Control, kSettingCount + 2> kMarked = [] {
    std::array<Control, kSettingCount + 2> all{};
    for (int i = 0; i < kSettingCount; ++i) all[static_cast<size_t>(i)] = static_cast<Control>(i);
    all[kSettingCount] = lstRoles;
    all[kSettingCount + 1] = lstWeapons;
    return all;
}();

}  // namespace

Baseline::Baseline(const Form& form) : roles_(selectionOf(form, lstRoles)), weapons_(selectionOf(form, lstWeapons)) {
    for (const ControlRow& r : settingControls()) values_[static_cast<size_t>(r.id)] = valueOf(form, r);
}

bool Baseline::differs(const Form& form, Control c) const {
    if (c == lstRoles) return selectionOf(form, c) != roles_;
    if (c == lstWeapons) return selectionOf(form, c) != weapons_;
    // A setting Update never sends stays on this side: there is no server value to differ from.
    if (!isSetting(c) || row(c).update.send == Send::None) return false;
    return valueOf(form, row(c)) != values_[static_cast<size_t>(c)];
}

std::span<const Control> markedControls() { return kMarked; }

std::optional<std::string> correctionNotice(const Form& form, Control c) {
    const ControlRow& r = row(c);
    const auto plan = planCorrection(form, r);
    if (!plan) return std::nullopt;
    const Correction& fix = r.update.correction;
    const bool unselected = fix.fix == Fix::IndexRange && form.listIndex(c) < 0 && !fix.unselectedNotice.empty();
    std::string notice(unselected ? fix.unselectedNotice : fix.notice);
    std::string low = std::to_string(fix.low), high = std::to_string(fix.high);
    if (fix.fix == Fix::IndexRange) {
        // The range in the words of the list: its items from the first to the last the server takes.
        const int count = form.itemCount(c);
        if (count > 0) {
            low = form.itemText(c, 0);
            high = form.itemText(c, std::min(fix.high, count - 1));
        }
    }
    replaceAll(notice, "{setting}", settingCaption(c));
    replaceAll(notice, "{low}", low);
    replaceAll(notice, "{high}", high);
    replaceAll(notice, "{value}", announcedValue(form, r, *plan));
    return notice;
}

Mark markOf(const Form& form, const Baseline* baseline, Control c) {
    // Before the server's values arrive Update sends nothing, so there is
    // nothing to compare with and no correction to announce.
    Mark mark;
    if (!baseline) return mark;
    mark.changed = baseline->differs(form, c);
    if (isSetting(c))
        if (auto notice = correctionNotice(form, c)) mark.notice = std::move(*notice);
    return mark;
}

Control captionControl(Control c) {
    if (c == savMinPing) return lblMinPing;
    if (c == savMaxPing) return lblMaxPing;
    return c;
}

std::optional<Frame> markFrame(Control c) {
    if (c == lstRoles) return Frame::Frame10;
    if (c == lstWeapons) return Frame::Frame11;
    return std::nullopt;
}

std::string_view markKind(bool changed, bool corrected) {
    if (changed && corrected) return "changed,corrected";
    if (changed) return "changed";
    if (corrected) return "corrected";
    return {};
}

}  // namespace kora
