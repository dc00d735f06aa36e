#include "form/automation_win.h"

#include "base/text_win.h"
#include "errors/failure.h"
#include "form/form_impl_win.h"

namespace kora {

UINT automationMessage() {
    static const UINT message = RegisterWindowMessageW(kAutomationMessage);
    return message;
}

namespace win {
namespace {

void setValue(Win32Form& form, Control c, int value) {
    switch (row(c).kind) {
    case Kind::Check: form.setCheckValue(c, value); return;
    case Kind::Combo:
    case Kind::EditCombo:
    case Kind::List: form.setListIndex(c, value); return;
    case Kind::Option: form.setOptionElement(c, value); return;
    default: raise(err::InvalidPropertyValue, "The control holds no number");
    }
}

}  // namespace

LRESULT Win32Form::answerAutomation(LPARAM lp) noexcept {
    auto* request = reinterpret_cast<AutomationRequest*>(lp);
    if (!request || !request->name) return FALSE;
    try {
        const std::string name = narrow(request->name);
        const auto control = controlByName(name);
        switch (request->op) {
        case AutomationOp::FindControl:
            if (control) {
                request->window = controlWindow(*control, request->element);
            } else if (auto area = buttons_ ? buttons_->area(name) : std::nullopt) {
                request->window = frameWindow(Frame::Frame3);
                request->area = *area;
            }
            request->error = request->window ? 0 : err::KeyNotFound;
            return TRUE;
        case AutomationOp::FindMark:
            if (control) {
                request->window = captionWindow(*control);
                request->mark = warningWindow(*control);
                request->tooltip = tooltipWindow();
            }
            request->error = control && request->window ? 0 : err::KeyNotFound;
            return TRUE;
        case AutomationOp::SetValue:
            if (control) setValue(*this, *control, request->value);
            request->error = control ? 0 : err::KeyNotFound;
            return TRUE;
        }
        return FALSE;
    } catch (const RunError& e) {
        request->error = e.failure().number;
        return TRUE;
    } catch (...) {
        request->error = err::Automation;
        return TRUE;
    }
}

}  // namespace win
}  // namespace kora
