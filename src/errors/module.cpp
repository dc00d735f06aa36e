#include "errors/module.h"

namespace kora {

FormWindow& Module::form() {
    if (!form_) {
        state.session.formReplaced();
        form_ = services_.createForm(*this);
    }
    return *form_;
}

void Module::retireForm() {
    if (form_) retired_.push_back(std::move(form_));
    dropRetiredForms();
}

void Module::dropRetiredForms() {
    if (!busy()) retired_.clear();
}

bool Module::stillHolds(FormWindow& form) const {
    return form_.get() == &form && (!services_.formWindowExists || services_.formWindowExists(form));
}

UtilityComponent& Module::utility() {
    if (!state.utility) raise(err::ObjectNotSet);
    return *state.utility;
}

CodecComponent& Module::codec() {
    if (!state.codec) raise(err::ObjectNotSet);
    return *state.codec;
}

void Module::showMessage(MessageKind kind, std::string_view text, const Failure* failure, int32_t line) {
    kora::showMessage(state.utility.get(), boxes(), kind, text, failure, line);
}

}  // namespace kora
