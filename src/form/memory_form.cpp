#include "form/memory_form.h"

#include <algorithm>

#include "form/behaviours.h"

namespace kora {

MemoryForm::MemoryForm() {
    // What the real form's windows are created with: captions, a check value
    // for check boxes, the design's enabled states.
    for (const auto& r : controls()) {
        State& s = at(r.id);
        s.enabled = !(r.flags & (flag::Disabled | flag::StartsDisabled));
        s.value = (r.kind == Kind::Check) ? 0 : -1;
        if (r.kind == Kind::Label) s.text = r.label;
    }
    at(Control::chkAutoLoad).text = layout::AutoLoadCaption;
    fillDesignItems(*this);
    fillNumberCombos(*this);
}

void MemoryForm::storeValue(Control c, int value) {
    State& s = at(c);
    s.value = value;
    // A combo box's edit box shows the selected item.
    if (row(c).kind == Kind::EditCombo) s.text = value >= 0 ? s.items[static_cast<size_t>(value)] : "";
}

int MemoryForm::exactItem(Control c, std::string_view text) const {
    const auto& items = at(c).items;
    const auto found = std::find(items.begin(), items.end(), text);
    return found == items.end() ? -1 : static_cast<int>(found - items.begin());
}

void MemoryForm::appendItem(Control c, std::string_view text) {
    State& s = at(c);
    s.items.emplace_back(text);
    s.selected.push_back(false);
}

void MemoryForm::removeItems(Control c) {
    State& s = at(c);
    s.items.clear();
    s.selected.clear();
    s.value = -1;
}

}  // namespace kora
