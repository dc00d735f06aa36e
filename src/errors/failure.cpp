#include "errors/failure.h"

namespace kora {

std::string describe(int32_t number) {
    switch (number) {
    case err::InvalidCall: return "Invalid procedure call or argument";
    case err::Overflow: return "Overflow";
    case err::SubscriptRange: return "Subscript out of range";
    case err::TypeMismatch: return "Type mismatch";
    case err::FileNotFound: return "File not found";
    case err::PathFileAccess: return "Path/File access error";
    case err::PathNotFound: return "Path not found";
    case err::ObjectNotSet: return "Object variable or With block variable not set";
    case err::ControlArrayElement: return "Control array element doesn't exist";
    case err::ObjectAlreadyLoaded: return "Object already loaded";
    case err::InvalidPropertyValue: return "Invalid property value";
    case err::CannotCreateObject: return "ActiveX component can't create object";
    case err::ObjectNoProperty: return "Object doesn't support this property or method";
    case err::InvalidPicture: return "Invalid picture";
    case err::KeyNotFound: return "Key not found";
    case err::Automation: return "Automation error";
    default: return "Application-defined or object-defined error";
    }
}

void raise(int32_t number, std::string description, std::source_location where) {
    if (description.empty()) description = describe(number);
    throw RunError(number, std::move(description), static_cast<int32_t>(where.line()));
}

}  // namespace kora
