#include "errors/module.h"

namespace kora {

FormWindow& Module::form() {
    if (!form_) form_ = services_.createForm(*this);
    return *form_;
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
