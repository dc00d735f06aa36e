// What the plug-in calls on the outside world, as typed interfaces: the support
// components, the file system, the host's privileges, message boxes and file
// dialogs. On Windows the support components are reached late-bound through
// IDispatch (plugin/components_win.*); the core's tests use recording
// stand-ins. A failing call raises a RunError (errors/failure.h) carrying the
// error number and description.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kora {

struct Failure;

// The six-field error report handed to SendErrorReport.
struct ErrorReport {
    std::string number;       // 0: the error number as text
    std::string description;  // 1
    std::string library;      // 2: "zelrcKORA.dll 1.0.5"
    std::string operation;    // 3
    std::string marker;       // 4: always "0"
    int32_t line = 0;         // 5: a number, not text
};

class UtilityComponent {
public:
    virtual ~UtilityComponent() = default;
    virtual void writeFile(const std::string& path, const std::string& text) = 0;
    virtual std::string getIniKey(const std::string& section, const std::string& key, const std::string& file) = 0;
    virtual void writeIniKey(const std::string& section, const std::string& key, const std::string& value,
                             const std::string& file) = 0;
    virtual void logError(const std::string& library, const std::string& operation, const Failure& failure,
                          int32_t line) = 0;
    // True when delivered; false, or nullopt for a null or empty result, when not.
    virtual std::optional<bool> sendErrorReport(const ErrorReport& report) = 0;
};

class CodecComponent {
public:
    virtual ~CodecComponent() = default;
    virtual std::string enc64(const std::string& text) = 0;
    virtual std::string dec64(std::string_view text) = 0;
};

// The file-system service: folder and file tests, creation and deletion.
// Paths are UTF-8 with "\" separators, formed by plain concatenation.
class FileService {
public:
    virtual ~FileService() = default;
    virtual bool folderExists(const std::string& path) = 0;
    virtual void createFolder(const std::string& path) = 0;  // one level; raises 76 when the parent is missing
    virtual bool fileExists(const std::string& path) = 0;
    virtual void deleteFile(const std::string& path) = 0;
    virtual void createTextFile(const std::string& path) = 0;  // empty, replacing
    virtual std::optional<uint64_t> fileSize(const std::string& path) = 0;
    // Both replace a file at `to`; a service that cannot raises 75.
    virtual void copyFile(const std::string& from, const std::string& to) = 0;
    virtual void moveFile(const std::string& from, const std::string& to) = 0;
};

// The host's keyed privilege collection (Count, Item(key)).
class PrivilegeCollection {
public:
    virtual ~PrivilegeCollection() = default;
    virtual int32_t count() = 0;
    // The item under the key as a number; raises 5 when the key is absent.
    virtual double item(const std::string& key) = 0;
};

// A modal box with an OK button and no icon. Real MessageBoxW on Windows.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual void show(std::string_view title, std::string_view text) = 0;
};

// The common Open/Save dialog cdSettings. Returns the chosen file, or "" when cancelled.
struct FileDialogRequest {
    bool save = false;
    std::string title;
    std::string filter;  // "Server Settings File (*.ssf)|*.ssf"
    std::string initialDir;
    uint32_t flags = 0;  // 0xC0804
};
class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    virtual std::string ask(const FileDialogRequest& request) = 0;
};

}  // namespace kora
