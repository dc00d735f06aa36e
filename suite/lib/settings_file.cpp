#include "settings_file.h"

#include <cstdio>
#include <fstream>
#include <map>
#include <system_error>

#include "base/number.h"
#include "ini_text.h"

#ifdef _WIN32
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace kora::suite {
namespace fs = std::filesystem;
namespace {

using SS = ServerSettings;
constexpr std::string_view kHeader = "# Duskwater server settings (korastand-server). UTF-8, one key=value a line.\n";
constexpr std::string_view kRolePrefix = "Role.";
constexpr std::string_view kAutoLoadKey = "AutoLoad";
constexpr std::string_view kWeaponKey = "Weapon";
constexpr std::uintmax_t kMaxFileSize = 1 << 20;

std::string fieldValue(const SS& s, const FieldSpec& f) {
    if (const auto* text = std::get_if<std::string SS::*>(&f.member)) return s.**text;
    if (const auto* number = std::get_if<int SS::*>(&f.member)) return std::to_string(s.**number);
    return s.*std::get<bool SS::*>(f.member) ? "1" : "0";
}

[[noreturn]] void fail(std::size_t line, const std::string& why) {
    throw SettingsFileError("line " + std::to_string(line) + ": " + why);
}

// One line of the file, once its key is known.
class Reader {
public:
    void read(std::size_t line, std::string_view key, std::string_view value) {
        if (key == kWeaponKey) return readWeapon(line, value);
        if (!seen_.emplace(std::string(key), line).second) fail(line, "\"" + std::string(key) + "\" appears twice");
        for (const auto& f : fieldSpecs()) {
            if (f.name != key) continue;
            if (!readField(settings_, f, value)) fail(line, "bad value for " + std::string(key));
            return;
        }
        const auto roles = roleNames();
        for (std::size_t i = 0; i < roles.size(); ++i) {
            if (!key.starts_with(kRolePrefix) || key.substr(kRolePrefix.size()) != roles[i]) continue;
            const auto flag = parseFlag(value);
            if (!flag) fail(line, "bad value for " + std::string(key));
            settings_.roles[i] = *flag;
            return;
        }
        if (key == kAutoLoadKey) {
            const auto flag = parseFlag(value);
            if (!flag) fail(line, "bad value for AutoLoad");
            settings_.autoLoad = *flag;
            return;
        }
        fail(line, "unknown key \"" + std::string(key) + "\"");
    }

    SS finish() {
        for (const auto& f : fieldSpecs()) require(f.name);
        for (const auto role : roleNames()) require(std::string(kRolePrefix) + std::string(role));
        require(kAutoLoadKey);
        if (auto fault = checkSettings(settings_)) throw SettingsFileError(*fault);
        return std::move(settings_);
    }

private:
    void readWeapon(std::size_t line, std::string_view value) {
        const auto flag = parseFlag(value.substr(0, 1));
        if (value.size() < 2 || value[1] != ',' || !flag)
            fail(line, "a weapon is written as 0 or 1, \",\", and its name");
        settings_.weapons.push_back({std::string(value.substr(2)), *flag});
    }

    void require(std::string_view key) {
        if (!seen_.contains(std::string(key))) throw SettingsFileError("\"" + std::string(key) + "\" is missing");
    }

    SS settings_;
    std::map<std::string, std::size_t, std::less<>> seen_;
};

std::FILE* openForWriting(const fs::path& path) {
#ifdef _WIN32
    return _wfopen(path.c_str(), L"wb");
#else
    return std::fopen(path.c_str(), "wb");
#endif
}

bool forceToDisk(std::FILE* file) {
#ifdef _WIN32
    return _commit(_fileno(file)) == 0;
#else
    return ::fsync(fileno(file)) == 0;
#endif
}

// Makes the rename itself survive a power cut. Best effort: some file
// systems refuse to sync a folder, and the data are safe either way.
void syncFolder([[maybe_unused]] const fs::path& folder) {
#ifndef _WIN32
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
#endif
}

}  // namespace

std::string settingsFileText(const ServerSettings& s) {
    std::string text(kHeader);
    const auto add = [&](std::string_view key, std::string_view value) {
        text += ini::entryLine(key, value);
        text += '\n';
    };
    for (const auto& f : fieldSpecs()) add(f.name, fieldValue(s, f));
    const auto roles = roleNames();
    for (std::size_t i = 0; i < roles.size(); ++i)
        add(std::string(kRolePrefix) + std::string(roles[i]), s.roles[i] ? "1" : "0");
    add(kAutoLoadKey, s.autoLoad ? "1" : "0");
    for (const auto& w : s.weapons) add(kWeaponKey, (w.selected ? "1," : "0,") + w.name);
    return text;
}

ServerSettings parseSettingsFile(std::string_view text) {
    Reader reader;
    for (const ini::Entry& e : ini::entries(text)) {
        if (!e.section.empty()) fail(e.line, "the file has no sections");
        reader.read(e.line, e.key, e.value);
    }
    return reader.finish();
}

ServerSettings loadSettingsFile(const fs::path& path) {
    std::error_code ec;
    const auto size = fs::file_size(path, ec);
    if (ec) throw SettingsFileError(path.string() + ": " + ec.message());
    if (size > kMaxFileSize) throw SettingsFileError(path.string() + ": file too large");
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open()) throw SettingsFileError(path.string() + ": cannot be opened");
    std::string content(static_cast<std::size_t>(size), '\0');
    in.read(content.data(), static_cast<std::streamsize>(content.size()));
    if (in.gcount() != static_cast<std::streamsize>(content.size()))
        throw SettingsFileError(path.string() + ": cannot be read");
    try {
        return parseSettingsFile(content);
    } catch (const SettingsFileError& e) {
        throw SettingsFileError(path.string() + ": " + e.what());
    }
}

void saveSettingsFile(const ServerSettings& settings, const fs::path& path) {
    const std::string text = settingsFileText(settings);
    fs::path temp = path;
    temp += ".tmp";

    std::FILE* file = openForWriting(temp);
    if (!file) throw SettingsFileError(temp.string() + ": cannot be created");
    const bool written =
        std::fwrite(text.data(), 1, text.size(), file) == text.size() && std::fflush(file) == 0 && forceToDisk(file);
    const bool closed = std::fclose(file) == 0;
    std::error_code ec;
    if (!written || !closed) {
        fs::remove(temp, ec);
        throw SettingsFileError(temp.string() + ": cannot be written");
    }
    fs::rename(temp, path, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(temp, ignored);
        throw SettingsFileError(path.string() + ": cannot be replaced: " + ec.message());
    }
    syncFolder(path.parent_path());
}

}  // namespace kora::suite
