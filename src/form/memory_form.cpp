#include "form/memory_form.h"

#include "form/behaviours.h"

namespace kora {

MemoryForm::MemoryForm() {
    for (const auto& r : controls()) {
        State& s = at(r.id);
        s.enabled = !(r.flags & (flag::Disabled | flag::StartsDisabled));
        s.value = (r.kind == Kind::Check) ? 0 : -1;
        for (auto item : r.items) s.items.emplace_back(item);
        if (!r.numbers.addedByLoad)
            for (int n = r.numbers.first; n <= r.numbers.last; ++n) s.items.push_back(std::to_string(n));
        s.selected.assign(s.items.size(), false);
        if (r.kind == Kind::Label) s.text = r.label;  // a label's text is its caption
    }
    at(Control::chkAutoLoad).text = layout::AutoLoadCaption;
    at(Control::savCountry).text = "savCountry";
    at(Control::optRoles).value = 0;
    at(Control::optWeapons).value = 0;
    fillNumberCombos(*this);
}

std::string MemoryForm::text(Control c) const {
    const State& s = at(c);
    switch (row(c).kind) {
    case Kind::Combo:
    case Kind::List:
        return s.value >= 0 ? s.items[static_cast<size_t>(s.value)] : std::string();
    default:
        return s.text;
    }
}

void MemoryForm::setText(Control c, std::string_view text) {
    State& s = at(c);
    switch (row(c).kind) {
    case Kind::Combo:
    case Kind::List:
        // Like the real lists: the text selects the first item that equals it.
        for (size_t i = 0; i < s.items.size(); ++i)
            if (s.items[i] == text) {
                s.value = static_cast<int>(i);
                return;
            }
        raise(err::InvalidPropertyValue);
    case Kind::EditCombo:
        s.text = text;
        s.value = -1;
        for (size_t i = 0; i < s.items.size(); ++i)
            if (s.items[i] == text) {
                s.value = static_cast<int>(i);
                break;
            }
        return;
    default:
        s.text = text;
    }
}

int MemoryForm::checkValue(Control c) const { return at(c).value; }

void MemoryForm::setCheckValue(Control c, int value) {
    if (row(c).kind != Kind::Check || value < 0 || value > 2) raise(err::InvalidPropertyValue);
    at(c).value = value;
    if (c == Control::savMinPingChk || c == Control::savMaxPingChk) followPingCheck(*this, c);
}

int MemoryForm::listIndex(Control c) const { return at(c).value; }

void MemoryForm::setListIndex(Control c, int index) {
    State& s = at(c);
    if (index < -1 || index >= static_cast<int>(s.items.size())) raise(err::InvalidPropertyValue);
    s.value = index;
    if (row(c).kind == Kind::EditCombo) s.text = index >= 0 ? s.items[static_cast<size_t>(index)] : "";
}

int MemoryForm::optionElement(Control c) const { return at(c).value; }

void MemoryForm::setOptionElement(Control c, int element) {
    if (element < -1 || element >= static_cast<int>(row(c).elements.size()))
        raise(err::ControlArrayElement);
    at(c).value = element;
}

int MemoryForm::itemCount(Control c) const { return static_cast<int>(at(c).items.size()); }

std::string MemoryForm::itemText(Control c, int index) const {
    const State& s = at(c);
    if (index < 0 || index >= static_cast<int>(s.items.size())) raise(err::InvalidPropertyValue);
    return s.items[static_cast<size_t>(index)];
}

namespace {

// Only combo and list boxes hold items; like the real controls, the others refuse.
void requireItems(Control c) {
    switch (row(c).kind) {
    case Kind::Combo:
    case Kind::EditCombo:
    case Kind::List:
    case Kind::MultiList: return;
    default: raise(err::InvalidPropertyValue);
    }
}

// In a combo box or a single-select list the selected item is the list index.
bool singleSelection(Control c) {
    const Kind k = row(c).kind;
    return k == Kind::Combo || k == Kind::EditCombo || k == Kind::List;
}

}  // namespace

void MemoryForm::addItem(Control c, std::string_view text) {
    requireItems(c);
    State& s = at(c);
    s.items.emplace_back(text);
    s.selected.push_back(false);
}

void MemoryForm::clearItems(Control c) {
    requireItems(c);
    State& s = at(c);
    s.items.clear();
    s.selected.clear();
    if (row(c).kind != Kind::Check) s.value = -1;
}

bool MemoryForm::itemSelected(Control c, int index) const {
    const State& s = at(c);
    if (index < 0 || index >= static_cast<int>(s.items.size())) raise(err::InvalidPropertyValue);
    if (singleSelection(c)) return s.value == index;
    return s.selected[static_cast<size_t>(index)];
}

void MemoryForm::setItemSelected(Control c, int index, bool selected) {
    State& s = at(c);
    if (index < 0 || index >= static_cast<int>(s.items.size())) raise(err::InvalidPropertyValue);
    if (singleSelection(c)) {
        if (selected)
            setListIndex(c, index);
        else if (s.value == index)
            setListIndex(c, -1);
        return;
    }
    s.selected[static_cast<size_t>(index)] = selected;
}

bool MemoryForm::enabled(Control c) const { return at(c).enabled; }
void MemoryForm::setEnabled(Control c, bool enabled) { at(c).enabled = enabled; }

}  // namespace kora
