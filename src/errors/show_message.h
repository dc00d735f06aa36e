// ShowMessage: the one routine behind every message box and every error
// report of the plug-in.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/services.h"
#include "errors/failure.h"

namespace kora {

enum class MessageKind : uint8_t { Error = 0, Success = 1, Failed = 2, ActionRequired = 3, DllError = 4 };

inline constexpr std::string_view kLibraryName = "zelrcKORA.dll";

// The box title of a kind, or "" for kinds that show no box.
std::string_view messageTitle(MessageKind kind);
// The four-line error text (no line break at its end).
std::string composeErrorText(const Failure* failure, int32_t line, std::string_view text);
ErrorReport composeReport(const Failure* failure, int32_t line, std::string_view text);

// Logs (when a failure is given), reports (DllError), then shows the box.
// `utility` may be null: the box is still shown, the report counts as failed,
// and nothing is raised.
// Kinds past DllError show nothing but still log.
void showMessage(UtilityComponent* utility, MessageBoxes& boxes, MessageKind kind, std::string_view text,
                 const Failure* failure, int32_t line);

// What an operation shows instead of working on a form that holds no server
// data: "... problem collecting data!", a blank line, "Unable to <unableTo>!".
std::string noDataNotice(std::string_view unableTo);

}  // namespace kora
