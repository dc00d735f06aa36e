#include "form/correction.h"

#include "base/number.h"

namespace kora {
namespace {

bool blank(std::string_view text) { return trimSpaces(text).empty(); }
bool numeric(std::string_view text) { return !blank(text) && isNumber(text); }

CorrectionPlan setText(std::string_view text) { return {CorrectionPlan::Act::SetText, std::string(text), -1}; }
CorrectionPlan sendField(std::string field) { return {CorrectionPlan::Act::SendField, std::move(field), -1}; }

}  // namespace

std::optional<CorrectionPlan> planCorrection(const Form& form, const ControlRow& r) {
    const Control c = r.id;
    const Correction& fix = r.update.correction;
    switch (fix.fix) {
    case Fix::None: return std::nullopt;
    case Fix::Blank:
        if (blank(form.text(c))) return setText(fix.fallback);
        return std::nullopt;
    case Fix::IndexRange: {
        const int index = form.listIndex(c);
        if (index >= 0 && index <= fix.high) return std::nullopt;
        // A replacement the list cannot select goes out as the field alone.
        if (fix.replacement >= form.itemCount(c))
            return sendField(std::to_string(fix.replacement + (r.update.send == Send::IndexPlusOne ? 1 : 0)));
        return CorrectionPlan{CorrectionPlan::Act::SetIndex, {}, fix.replacement};
    }
    case Fix::NumberRange: {
        const auto number = parseNumber(form.text(c));
        if (!number || *number < fix.low || *number > fix.high) return setText(fix.fallback);
        return std::nullopt;
    }
    case Fix::NumberOrSend:
        if (!numeric(form.text(c))) return sendField(std::string(fix.fallback));
        return std::nullopt;
    case Fix::NumberOrSet:
        if (!numeric(form.text(c))) return setText(fix.fallback);
        return std::nullopt;
    }
    return std::nullopt;
}

std::string announcedValue(const Form& form, const ControlRow& r, const CorrectionPlan& plan) {
    return plan.act == CorrectionPlan::Act::SetIndex ? form.itemText(r.id, plan.index) : plan.value;
}

}  // namespace kora
