// The server side's settings file: UTF-8 text, one "key=value" a line.
//
//   # comment lines and empty lines are ignored
//   ServerName=[DW] Harbour Night Ops | 24/7     one line per field, keys as in fieldSpecs()
//   Role.CQB=1                                   one line per role, "0" or "1"
//   AutoLoad=1
//   Weapon=1,Mortar, 81 mm                       one line per weapon, in list order:
//                                                selected flag, ",", the name
//
// It is INI text without sections, read and written by the INI code the
// utility component uses (ini_text.h), escapes included. Every
// field, role and the auto-load flag must appear exactly once, no other key
// may appear, and the result must pass checkSettings.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

#include "server_settings.h"

namespace kora::suite {

class SettingsFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

std::string settingsFileText(const ServerSettings& settings);
// Raises SettingsFileError naming the line at fault.
ServerSettings parseSettingsFile(std::string_view text);

// Raises SettingsFileError when the file cannot be read or is not valid.
ServerSettings loadSettingsFile(const std::filesystem::path& path);

// Writes a temporary file beside the target, forces it to disk and renames it
// over the target, so a reader sees the old file or the new one, never a part.
// On failure it raises SettingsFileError, removes the temporary file and
// leaves the old file as it was.
void saveSettingsFile(const ServerSettings& settings, const std::filesystem::path& path);

}  // namespace kora::suite
