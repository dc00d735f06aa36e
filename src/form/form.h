// The form contract: the one small interface through which the core reads and
// writes the settings form. Realised by real Win32 controls in the DLL
// (form_win.*) and by the in-memory form (memory_form.*) for the core's tests;
// the same contract tests run against both.
//
// The contract's rules live here, once (form.cpp): setters behave like the
// controls, so a value a control cannot take raises err::InvalidPropertyValue
// (380) and a missing option element raises err::ControlArrayElement (340);
// setting a ping check box's value runs the ping-limit behaviour whether the
// user or the code changed it. A realisation only stores: it implements the
// protected storage below, which is called with values already checked.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "form/catalogue.h"

namespace kora {

class Baseline;

class Form {
public:
    virtual ~Form() = default;

    // Text boxes, combo boxes (the edit or selected text) and labels.
    std::string text(Control c) const;
    void setText(Control c, std::string_view text);

    // Check boxes: 0 clear, 1 ticked, 2 greyed.
    int checkValue(Control c) const { return storedValue(c); }
    void setCheckValue(Control c, int value);

    // Combo boxes and single-select list boxes: -1 when nothing is selected.
    int listIndex(Control c) const { return storedValue(c); }
    void setListIndex(Control c, int index);

    // Option groups: the selected element, -1 when none is.
    int optionElement(Control c) const { return storedValue(c); }
    void setOptionElement(Control c, int element);

    // Items of combo and list boxes, selection of multi-select lists.
    int itemCount(Control c) const;
    std::string itemText(Control c, int index) const;
    void addItem(Control c, std::string_view text);
    void clearItems(Control c);
    bool itemSelected(Control c, int index) const;
    void setItemSelected(Control c, int index, bool selected);

    bool enabled(Control c) const { return storedEnabled(c); }
    void setEnabled(Control c, bool enabled) { storeEnabled(c, enabled); }

    // The marks (form/marks.h) compare with the server's values: the values now
    // on the form (a decoded reply), or those Update last sent (kept until a
    // confirmation makes them the server's). They are shown only while Update
    // would send; a change of any of these shows every mark again.
    void takeBaseline();
    void keepSent();
    void confirmSent();
    void showMarks(bool shown);
    const Baseline* baseline() const { return marksShown_ ? baseline_.get() : nullptr; }

protected:
    friend class Baseline;  // reads whole lists at every reply

    // What the control's mark shows may have changed: its value, its items or
    // selection, or the baseline did. Called after the change is stored; a
    // realisation that draws the marks shows this one again.
    virtual void markMayChange(Control) {}

    // What a control holds. Text is the caption or edit text (of an option
    // group or a multi-select list, a text kept beside it). The value is the
    // check value, list index or option element, whichever the kind has;
    // storing a list index in a combo box with an edit box shows that item's
    // text there, as the control does. Clearing the items leaves no selection
    // and keeps the edit text of a combo box.
    virtual std::string storedText(Control c) const = 0;
    virtual void storeText(Control c, std::string_view text) = 0;
    virtual int storedValue(Control c) const = 0;
    virtual void storeValue(Control c, int value) = 0;
    virtual int storedItemCount(Control c) const = 0;
    // Appends the item's text to `to`: a whole list is read without a string per item.
    virtual void storedItem(Control c, int index, std::string& to) const = 0;
    virtual void appendItem(Control c, std::string_view text) = 0;
    virtual void removeItems(Control c) = 0;
    virtual bool storedSelection(Control c, int index) const = 0;  // multi-select lists
    virtual void storeSelection(Control c, int index, bool selected) = 0;
    virtual bool storedEnabled(Control c) const = 0;
    virtual void storeEnabled(Control c, bool enabled) = 0;

    // The first item that equals `text` exactly (case-sensitive), or -1. A
    // realisation that holds its items as text answers without copying them.
    virtual int exactItem(Control c, std::string_view text) const;

private:
    void requireItem(Control c, int index) const;

    void marksChanged();
    void baselineChanged();

    std::shared_ptr<const Baseline> baseline_, sent_;
    bool marksShown_ = true;
};

// Combo and list boxes hold items; the other kinds hold none.
bool holdsItems(Kind kind);
// In a combo box or a single-select list the selected item is the list index.
bool singleSelection(Kind kind);

}  // namespace kora
