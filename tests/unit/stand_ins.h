// Quiet, realistic stand-ins for the property tests, the fuzz targets and the
// benchmarks: the codec is the encoding component's own Base64 with its UTF-8
// check, profiles are INI text in memory through the utility component's own
// format, and nothing records calls, so a loop of a million runs stays flat.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "base64.h"
#include "errors/failure.h"
#include "errors/module.h"
#include "form/form_window.h"
#include "form/memory_form.h"
#include "ini_text.h"

namespace kora::standin {

// Dec64 refuses what the component refuses, with number 5, as its COM failure maps.
class Codec : public CodecComponent {
public:
    std::string enc64(const std::string& text) override { return suite::encodeBase64(text); }
    std::string dec64(const std::string& text) override {
        auto bytes = suite::decodeBase64(text);
        if (!bytes) raise(err::InvalidCall, "Dec64: the text is not valid Base64");
        if (!suite::isValidUtf8(*bytes))
            raise(err::InvalidCall, "Dec64: the decoded bytes are not valid UTF-8 text");
        return std::move(*bytes);
    }
};

// Files and folders as two sets; a file's size is the length of its INI text.
class Files : public FileService {
public:
    std::set<std::string> folders;
    std::map<std::string, uint64_t> sizes;
    std::map<std::string, std::string> texts;  // file -> INI text, written by the Utility below

    bool folderExists(const std::string& path) override { return folders.count(path) > 0; }
    void createFolder(const std::string& path) override {
        const auto cut = path.rfind('\\');
        if (cut != std::string::npos && !folders.count(path.substr(0, cut)))
            raise(err::PathNotFound);
        folders.insert(path);
    }
    bool fileExists(const std::string& path) override { return sizes.count(path) > 0; }
    void deleteFile(const std::string& path) override {
        if (!sizes.erase(path)) raise(err::FileNotFound);
        texts.erase(path);
    }
    void createTextFile(const std::string& path) override {
        sizes[path] = 0;
        texts[path].clear();
    }
    void copyFile(const std::string& from, const std::string& to) override {
        if (!sizes.count(from)) raise(err::FileNotFound);
        sizes[to] = sizes[from];
        texts[to] = texts[from];
    }
    void moveFile(const std::string& from, const std::string& to) override {
        copyFile(from, to);
        deleteFile(from);
    }
    std::optional<uint64_t> fileSize(const std::string& path) override {
        const auto it = sizes.find(path);
        if (it == sizes.end()) return std::nullopt;
        return it->second;
    }
    void addFolderTree(const std::string& path) {
        for (size_t at = path.find('\\'); at != std::string::npos; at = path.find('\\', at + 1))
            folders.insert(path.substr(0, at));
        folders.insert(path);
    }
};

// The utility component with its INI files held as text. GetIniKey answers ""
// for a missing file, section or key, as the component does.
class Utility : public UtilityComponent {
public:
    explicit Utility(Files& files) : ini(files.texts), files_(files) {}

    std::map<std::string, std::string>& ini;  // the files' INI texts
    std::string lastPath, lastRequest;        // the last WriteFile
    int failures = 0;                         // LogError calls

    void writeFile(const std::string& path, const std::string& text) override {
        lastPath = path;
        lastRequest = text;
    }
    std::string getIniKey(const std::string& section, const std::string& key,
                          const std::string& file) override {
        const auto it = ini.find(file);
        if (it == ini.end()) return {};
        return suite::ini::read(it->second, section, key).value_or(std::string());
    }
    void writeIniKey(const std::string& section, const std::string& key, const std::string& value,
                     const std::string& file) override {
        std::string& text = ini[file];
        text = suite::ini::write(text, section, key, value);
        files_.sizes[file] = text.size();
    }
    void logError(const std::string&, const std::string&, const Failure&, int32_t) override {
        ++failures;
    }
    std::optional<bool> sendErrorReport(const ErrorReport&) override { return true; }

private:
    Files& files_;
};

// Keeps only the last box, as "Title: text".
class Boxes : public MessageBoxes {
public:
    std::string last;
    int count = 0;
    void show(std::string_view title, std::string_view text) override {
        last = std::string(title) + ": " + std::string(text);
        ++count;
    }
};

// Every dialog answers with `answer` ("" cancels).
class Dialogs : public FileDialogs {
public:
    std::string answer;
    std::string ask(const FileDialogRequest&) override { return answer; }
};

// A module on the in-memory form with the stand-ins above: BasePath C:\Suite,
// host index 3, server key KEY, the profile folder's parent in place.
struct Rig {
    std::shared_ptr<Files> files = std::make_shared<Files>();
    std::shared_ptr<Boxes> boxes = std::make_shared<Boxes>();
    std::shared_ptr<Dialogs> dialogs = std::make_shared<Dialogs>();
    std::shared_ptr<Utility> utility = std::make_shared<Utility>(*files);
    std::shared_ptr<Codec> codec = std::make_shared<Codec>();
    Module module{{files, boxes, dialogs, [](Module&) { return std::make_unique<MemoryForm>(); }}};

    Rig() {
        module.state.basePath = "C:\\Suite";
        module.state.hostIndex = 3;
        module.state.serverKey = "KEY";
        module.state.utility = utility;
        module.state.codec = codec;
        files->addFolderTree("C:\\Suite\\profiles\\3");
    }
    MemoryForm& form() { return static_cast<MemoryForm&>(module.form()); }
};

}  // namespace kora::standin
