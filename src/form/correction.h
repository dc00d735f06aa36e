// What Update's correction of a setting does, decided without touching the
// form: Update carries the plan out (exchange/update.cpp), and the form's marks
// announce it before the click (form/marks.h). One decision serves both.
#pragma once

#include <optional>
#include <string>

#include "form/form.h"

namespace kora {

struct CorrectionPlan {
    enum class Act : uint8_t {
        SetText,    // the control's text becomes `value`, then the field is read from it
        SetIndex,   // the control's list index becomes `index`, then the field is read
        SendField,  // the field is `value`; the control keeps what it holds
    };
    Act act = Act::SetText;
    std::string value;  // SetText: the new text; SendField: the field
    int index = -1;     // SetIndex
};

// Nothing when the row has no correction or its control's value needs none.
std::optional<CorrectionPlan> planCorrection(const Form& form, const ControlRow& r);

// What the admin will see the setting hold on the server after Update: the
// text the control then shows, or the field itself when the control cannot
// show it (a replacement beyond the items, a number sent in place of a text
// the control keeps).
std::string announcedValue(const Form& form, const ControlRow& r, const CorrectionPlan& plan);

}  // namespace kora
