// The form contract: the one small interface through which the core reads and
// writes the settings form. Realised by real Win32 controls in the DLL
// (form_win.*) and by the in-memory form (memory_form.*) for the core's tests;
// the same contract tests run against both.
//
// Setters behave like the controls: a value a control cannot take raises
// err::InvalidPropertyValue (380), a missing option element raises
// err::ControlArrayElement (340). Setting a ping check box's value runs the
// ping-limit behaviour whether the user or the code changed it.
#pragma once

#include <string>
#include <string_view>

#include "form/catalogue.h"

namespace kora {

class Form {
public:
    virtual ~Form() = default;

    // Text boxes, combo boxes (the edit or selected text) and labels.
    virtual std::string text(Control c) const = 0;
    virtual void setText(Control c, std::string_view text) = 0;

    // Check boxes: 0 clear, 1 ticked, 2 greyed.
    virtual int checkValue(Control c) const = 0;
    virtual void setCheckValue(Control c, int value) = 0;

    // Combo boxes and single-select list boxes: -1 when nothing is selected.
    virtual int listIndex(Control c) const = 0;
    virtual void setListIndex(Control c, int index) = 0;

    // Option groups: the selected element, -1 when none is.
    virtual int optionElement(Control c) const = 0;
    virtual void setOptionElement(Control c, int element) = 0;

    // Items of combo and list boxes, selection of multi-select lists.
    virtual int itemCount(Control c) const = 0;
    virtual std::string itemText(Control c, int index) const = 0;
    virtual void addItem(Control c, std::string_view text) = 0;
    virtual void clearItems(Control c) = 0;
    virtual bool itemSelected(Control c, int index) const = 0;
    virtual void setItemSelected(Control c, int index, bool selected) = 0;

    virtual bool enabled(Control c) const = 0;
    virtual void setEnabled(Control c, bool enabled) = 0;
};

}  // namespace kora
