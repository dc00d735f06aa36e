#include "errors/show_message.h"

#include "base/version.h"

namespace kora {
std::string_view messageTitle(MessageKind kind) {
    switch (kind) {
    case MessageKind::Error: return "Error!";
    case MessageKind::Success: return "Success";
    case MessageKind::Failed: return "Failed!";
    case MessageKind::ActionRequired: return "Action Required!";
    case MessageKind::DllError: return "DLL Error!";
    }
    return "";
}

std::string noDataNotice(std::string_view unableTo) {
    return "There seems to have been a problem collecting data!\r\n\r\nUnable to " + std::string(unableTo) + "!";
}

std::string composeErrorText(const Failure* failure, int32_t line, std::string_view text) {
    return "Error Line: " + std::to_string(line) + "\r\nError " + (failure ? std::to_string(failure->number) : "") +
           ": " + (failure ? failure->description : "") + "\r\nDLL: " + std::string(kLibraryName) +
           "\r\nFunction/Sub: " + std::string(text);
}

ErrorReport composeReport(const Failure* failure, int32_t line, std::string_view text) {
    ErrorReport r;
    if (failure) {
        r.number = std::to_string(failure->number);
        r.description = failure->description;
    }
    r.library = std::string(kLibraryName) + " " + KORA_VERSION_TEXT;
    r.operation = text;
    r.marker = "0";
    r.line = line;
    return r;
}

void showMessage(UtilityComponent* utility, MessageBoxes& boxes, MessageKind kind, std::string_view text,
                 const Failure* failure, int32_t line) {
    std::string errorText;
    if (failure) {
        errorText = composeErrorText(failure, line, text);
        // What the utility component raises while reporting is dropped: the user must still see the box.
        if (utility) quietly([&] { utility->logError(std::string(kLibraryName), std::string(text), *failure, line); });
    }
    if (kind < MessageKind::DllError) {
        boxes.show(messageTitle(kind), text);
        return;
    }
    if (kind != MessageKind::DllError) return;
    // Without a failure the error text stays empty: the box shows only the outcome.
    bool sent = false;
    if (utility) quietly([&] { sent = utility->sendErrorReport(composeReport(failure, line, text)).value_or(false); });
    errorText += sent ? "\r\n\r\nError Report Sent: Yes" : "\r\n\r\nError Report Sent: Failed!";
    boxes.show(messageTitle(kind), errorText);
}

}  // namespace kora
