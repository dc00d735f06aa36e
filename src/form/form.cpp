#include "form/form.h"

#include "errors/failure.h"
#include "form/behaviours.h"
#include "form/marks.h"

namespace kora {

bool holdsItems(Kind kind) {
    return kind == Kind::Combo || kind == Kind::EditCombo || kind == Kind::List || kind == Kind::MultiList;
}

bool singleSelection(Kind kind) { return kind == Kind::Combo || kind == Kind::EditCombo || kind == Kind::List; }

int Form::exactItem(Control c, std::string_view text) const {
    const int count = itemCount(c);
    std::string item;
    for (int i = 0; i < count; ++i) {
        item.clear();
        storedItem(c, i, item);
        if (item == text) return i;
    }
    return -1;
}

void Form::requireItem(Control c, int index) const {
    if (index < 0 || index >= itemCount(c)) raise(err::InvalidPropertyValue);
}

std::string Form::text(Control c) const {
    const Kind kind = row(c).kind;
    if (kind != Kind::Combo && kind != Kind::List) return storedText(c);
    std::string item;
    if (const int i = storedValue(c); i >= 0) storedItem(c, i, item);
    return item;
}

void Form::setText(Control c, std::string_view text) {
    switch (row(c).kind) {
    case Kind::Combo:
    case Kind::List: {
        // Like the real lists: the text selects the first item that equals it.
        const int i = exactItem(c, text);
        if (i < 0) raise(err::InvalidPropertyValue);
        storeValue(c, i);
        break;
    }
    case Kind::EditCombo: {
        // The edit box takes any text; the item that equals it is selected.
        const int i = exactItem(c, text);
        storeValue(c, i);
        if (i < 0) storeText(c, text);  // no selection empties the edit box first
        break;
    }
    default: storeText(c, text); break;
    }
    markMayChange(c);
}

void Form::setCheckValue(Control c, int value) {
    if (row(c).kind != Kind::Check || value < 0 || value > 2) raise(err::InvalidPropertyValue);
    storeValue(c, value);
    followPingCheck(*this, c);
    markMayChange(c);
}

void Form::setListIndex(Control c, int index) {
    if (index < -1 || index >= itemCount(c)) raise(err::InvalidPropertyValue);
    const Kind kind = row(c).kind;
    if (kind == Kind::Check || kind == Kind::Option) return;  // only -1 gets here; these keep their own value
    storeValue(c, index);
    markMayChange(c);
}

void Form::setOptionElement(Control c, int element) {
    if (element < -1 || element >= static_cast<int>(row(c).elements.size())) raise(err::ControlArrayElement);
    if (row(c).kind != Kind::Option) return;
    storeValue(c, element);
    markMayChange(c);
}

int Form::itemCount(Control c) const { return holdsItems(row(c).kind) ? storedItemCount(c) : 0; }

std::string Form::itemText(Control c, int index) const {
    requireItem(c, index);
    std::string item;
    storedItem(c, index, item);
    return item;
}

void Form::addItem(Control c, std::string_view text) {
    if (!holdsItems(row(c).kind)) raise(err::InvalidPropertyValue);
    appendItem(c, text);
    // The settings' values do not change with their items; a multi-select list's items are its value.
    if (row(c).kind == Kind::MultiList) markMayChange(c);
}

void Form::clearItems(Control c) {
    if (!holdsItems(row(c).kind)) raise(err::InvalidPropertyValue);
    removeItems(c);
    markMayChange(c);
}

bool Form::itemSelected(Control c, int index) const {
    requireItem(c, index);
    if (singleSelection(row(c).kind)) return storedValue(c) == index;
    return storedSelection(c, index);
}

void Form::setItemSelected(Control c, int index, bool selected) {
    requireItem(c, index);
    if (!singleSelection(row(c).kind))
        storeSelection(c, index, selected);
    else if (selected)
        storeValue(c, index);
    else if (storedValue(c) == index)
        storeValue(c, -1);
    markMayChange(c);
}

void Form::takeBaseline() {
    baseline_ = std::make_shared<const Baseline>(*this);
    baselineChanged();
}

void Form::keepSent() { sent_ = std::make_shared<const Baseline>(*this); }

void Form::confirmSent() {
    if (!sent_) return;
    baseline_ = sent_;
    baselineChanged();
}

// Hidden marks ignore the baseline: showing them again repaints them all.
void Form::baselineChanged() {
    if (marksShown_) marksChanged();
}

void Form::showMarks(bool shown) {
    if (shown == marksShown_) return;
    marksShown_ = shown;
    marksChanged();
}

void Form::marksChanged() {
    for (Control c : markedControls()) markMayChange(c);
}

}  // namespace kora
