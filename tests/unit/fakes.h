// Stand-ins for everything the core reaches outside itself, and a Rig that
// wires them into a Module with an in-memory form. They behave like the real
// components (the encoding component's own Base64 with its UTF-8 check, INI
// files as text in the utility component's own format), record what they are
// asked, and can be told to fail a named operation with a run-time error
// number. A quiet Rig records nothing, so that a loop of a million runs (the
// property tests, the fuzz targets, the benchmarks) stays flat.
#pragma once

#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base64.h"
#include "errors/failure.h"
#include "errors/module.h"
#include "form/form_window.h"
#include "form/memory_form.h"
#include "ini_text.h"

namespace kora::fake {

// Failures to inject: an operation name ("WriteFile", "GetIniKey", "Enc64", ...)
// and, optionally, a text the call's argument must equal (a key, a path, a text).
class Faults {
public:
    void add(std::string operation, int32_t number, std::string argument = {}) {
        list_.push_back({std::move(operation), std::move(argument), number});
    }
    void clear() { list_.clear(); }
    void check(std::string_view operation, std::string_view argument = {}) const {
        for (const auto& f : list_)
            if (f.operation == operation && (f.argument.empty() || f.argument == argument))
                throw RunError(f.number, describe(f.number), 0);
    }

private:
    struct Fault {
        std::string operation, argument;
        int32_t number;
    };
    std::vector<Fault> list_;
};

// Files and folders as two sets; an INI file's contents are the Utility's.
class Files : public FileService {
public:
    std::set<std::string> folders;
    std::map<std::string, uint64_t> sizes;
    std::map<std::string, std::string>* contents = nullptr;  // the Utility's INI texts, carried by copies
    std::vector<std::string> calls;  // "createFolder PATH", "deleteFile PATH", ... when recording
    bool recording = true;
    Faults faults;

    bool folderExists(const std::string& path) override { return folders.count(path) > 0; }
    void createFolder(const std::string& path) override {
        record("createFolder", path);
        const auto cut = path.rfind('\\');
        if (cut != std::string::npos && !folders.count(path.substr(0, cut))) raise(err::PathNotFound);
        folders.insert(path);
    }
    bool fileExists(const std::string& path) override { return sizes.count(path) > 0; }
    void deleteFile(const std::string& path) override {
        record("deleteFile", path);
        remove(path);
    }
    void createTextFile(const std::string& path) override {
        record("createTextFile", path);
        sizes[path] = 0;
        if (contents) (*contents)[path].clear();
    }
    void copyFile(const std::string& from, const std::string& to) override {
        record("copyFile", from + " " + to);
        copy(from, to);
    }
    void moveFile(const std::string& from, const std::string& to) override {
        record("moveFile", from + " " + to);
        copy(from, to);
        remove(from);
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

private:
    void record(std::string_view op, const std::string& path) {
        if (recording) calls.push_back(std::string(op) + " " + path);
        faults.check(op, path);
    }
    void copy(const std::string& from, const std::string& to) {
        if (!sizes.count(from)) raise(err::FileNotFound);
        sizes[to] = sizes[from];
        if (contents) (*contents)[to] = (*contents)[from];
    }
    void remove(const std::string& path) {
        if (!sizes.erase(path)) raise(err::FileNotFound);
        if (contents) contents->erase(path);
    }
};

// The utility component with its INI files held as text. GetIniKey answers ""
// for a missing file, section or key, as the component does. When `disk` is
// set, writing an INI key also makes the file exist there with the text's
// size; `writesNothing` keeps that size 0, `writesNoFile` leaves no file.
class Utility : public UtilityComponent {
public:
    std::map<std::string, std::string> ini;  // file -> INI text
    std::string lastRequest;                 // the last WriteFile
    int failures = 0;                        // LogError calls
    std::optional<bool> reportResult = true;
    Files* disk = nullptr;
    bool writesNothing = false, writesNoFile = false;
    Faults faults;
    // When recording:
    bool recording = true;
    std::vector<std::pair<std::string, std::string>> written;  // WriteFile(path, text)
    std::vector<std::string> iniWrites;                        // "Section/Key=Value"
    std::vector<Failure> logged;
    std::vector<ErrorReport> reports;

    void writeFile(const std::string& path, const std::string& text) override {
        faults.check("WriteFile", path);
        lastRequest = text;
        if (recording) written.emplace_back(path, text);
    }
    std::string getIniKey(const std::string& section, const std::string& key, const std::string& file) override {
        faults.check("GetIniKey", key);
        const auto it = ini.find(file);
        if (it == ini.end()) return {};
        return suite::ini::read(it->second, section, key).value_or(std::string());
    }
    void writeIniKey(const std::string& section, const std::string& key, const std::string& value,
                     const std::string& file) override {
        faults.check("WriteIniKey", key);
        if (recording) iniWrites.push_back(section + "/" + key + "=" + value);
        std::string& text = ini[file];
        text = suite::ini::write(text, section, key, value);
        if (disk && !writesNoFile) disk->sizes[file] = writesNothing ? 0 : text.size();
    }
    void logError(const std::string&, const std::string&, const Failure& failure, int32_t) override {
        ++failures;
        if (recording) logged.push_back(failure);
    }
    std::optional<bool> sendErrorReport(const ErrorReport& report) override {
        if (recording) reports.push_back(report);
        return reportResult;
    }
};

// The encoding component's own Base64: Dec64 refuses what the component
// refuses, with number 5, as its COM failure maps.
class Codec : public CodecComponent {
public:
    std::vector<std::string> encoded, decoded;  // the arguments, in call order, when recording
    bool recording = true;
    Faults faults;

    std::string enc64(const std::string& text) override {
        faults.check("Enc64", text);
        if (recording) encoded.push_back(text);
        return suite::encodeBase64(text);
    }
    std::string dec64(std::string_view text) override {
        faults.check("Dec64", text);
        if (recording) decoded.emplace_back(text);
        auto bytes = suite::decodeBase64(text);
        if (!bytes) raise(err::InvalidCall, "Dec64: the text is not valid Base64");
        if (!suite::isValidUtf8(*bytes)) raise(err::InvalidCall, "Dec64: the decoded bytes are not valid UTF-8 text");
        return std::move(*bytes);
    }
};

struct Box {
    std::string title, text;
};
class Boxes : public MessageBoxes {
public:
    std::string last;  // "Title: text"
    int count = 0;
    bool recording = true;
    std::vector<Box> shown;  // when recording
    void show(std::string_view title, std::string_view text) override {
        last = std::string(title) + ": " + std::string(text);
        ++count;
        if (recording) shown.push_back({std::string(title), std::string(text)});
    }
};

// Answers the file dialogs with `answers` in turn, then with `answer` ("" cancels).
class Dialogs : public FileDialogs {
public:
    std::deque<std::string> answers;
    std::string answer;
    bool recording = true;
    std::vector<FileDialogRequest> asked;  // when recording
    std::string ask(const FileDialogRequest& request) override {
        if (recording) asked.push_back(request);
        if (answers.empty()) return answer;
        std::string next = std::move(answers.front());
        answers.pop_front();
        return next;
    }
};

// What LoadInterface leaves behind once its fetch went out: the settings reply is awaited.
inline void fetched(Module& module) {
    module.state.session.serverChanging();
    module.state.session.fetchSending();
    module.state.session.fetchSent();
}

enum class Recording { On, Off };

// A module with every stand-in, BasePath C:\Suite, host index 3, server key KEY,
// the profile folder's parent in place.
struct Rig {
    std::shared_ptr<Files> files = std::make_shared<Files>();
    std::shared_ptr<Boxes> boxes = std::make_shared<Boxes>();
    std::shared_ptr<Dialogs> dialogs = std::make_shared<Dialogs>();
    std::shared_ptr<Utility> utility = std::make_shared<Utility>();
    std::shared_ptr<Codec> codec = std::make_shared<Codec>();
    Module module{{files, boxes, dialogs, [](Module&) { return std::make_unique<MemoryForm>(); }}};

    explicit Rig(Recording recording = Recording::On) {
        module.state.basePath = "C:\\Suite";
        module.state.hostIndex = 3;
        module.state.serverKey = "KEY";
        module.state.utility = utility;
        module.state.codec = codec;
        files->addFolderTree("C:\\Suite\\profiles\\3");
        files->contents = &utility->ini;
        utility->disk = files.get();
        const bool on = recording == Recording::On;
        files->recording = boxes->recording = dialogs->recording = utility->recording = codec->recording = on;
    }
    MemoryForm& form() { return static_cast<MemoryForm&>(module.form()); }
    // The last box shown, as "Title: text".
    std::string lastBox() const { return boxes->last; }
};

}  // namespace kora::fake
