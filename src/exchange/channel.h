// The remote request channel: prepares a command's empty reply file below
// BasePath "\RCData" and hands the request text to the utility's WriteFile.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "errors/module.h"
#include "form/form_window.h"

namespace kora {

inline constexpr std::string_view kGetSettings = "GetSettingsRem";
inline constexpr std::string_view kSetSettings = "SetSettingsRem";

std::string replyFilePath(std::string_view basePath, std::string_view command);
std::string requestText(std::string_view command, std::string_view serverKey, int32_t hostIndex,
                        std::optional<std::string_view> payload);
// Raises on any failure; no WriteFile when the folder or file cannot be prepared.
void sendCommand(Module& module, std::string_view command, std::optional<std::string_view> payload = std::nullopt);

}  // namespace kora
