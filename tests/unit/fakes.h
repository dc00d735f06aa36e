// Recording stand-ins for everything the core reaches outside itself, and a
// Rig that wires them into a Module with an in-memory form. Each stand-in can
// be told to fail a named operation with a run-time error number.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "errors/failure.h"
#include "errors/module.h"
#include "form/form_window.h"
#include "form/memory_form.h"
#include "stand_ins.h"

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

// The quiet stand-ins' file service, recording what changes the disk.
class Files : public standin::Files {
public:
    std::vector<std::string> calls;  // "createFolder PATH", "deleteFile PATH", ...
    Faults faults;
    // What a file's contents do when it is copied or deleted (set by the Rig:
    // the Utility below holds them).
    std::function<void(const std::string& from, const std::string& to)> contentsCopied;
    std::function<void(const std::string& path)> contentsDeleted;

    void createFolder(const std::string& path) override {
        record("createFolder", path);
        standin::Files::createFolder(path);
    }
    void deleteFile(const std::string& path) override {
        record("deleteFile", path);
        standin::Files::deleteFile(path);
        if (contentsDeleted) contentsDeleted(path);
    }
    void copyFile(const std::string& from, const std::string& to) override {
        record("copyFile", from + " " + to);
        standin::Files::copyFile(from, to);
        if (contentsCopied) contentsCopied(from, to);
    }
    void moveFile(const std::string& from, const std::string& to) override {
        record("moveFile", from + " " + to);
        standin::Files::copyFile(from, to);
        if (contentsCopied) contentsCopied(from, to);
        standin::Files::deleteFile(from);
        if (contentsDeleted) contentsDeleted(from);
    }
    void createTextFile(const std::string& path) override {
        record("createTextFile", path);
        standin::Files::createTextFile(path);
    }

private:
    void record(std::string_view op, const std::string& path) {
        calls.push_back(std::string(op) + " " + path);
        faults.check(op, path);
    }
};

// The utility component: WriteFile recorded, INI files as nested maps. When
// `disk` is set, writing an INI key also makes the file exist there with a
// size; `writesNothing` keeps that size 0, `writesNoFile` leaves no file.
class Utility : public UtilityComponent {
public:
    using Section = std::map<std::string, std::string>;
    using IniFile = std::map<std::string, Section>;

    std::vector<std::pair<std::string, std::string>> written;  // WriteFile(path, text)
    std::map<std::string, IniFile> ini;                          // file -> section -> key -> value
    std::vector<std::string> iniWrites;                          // "Section/Key=Value"
    std::vector<std::string> iniReads;                           // "Section/Key"
    std::vector<Failure> logged;
    std::vector<ErrorReport> reports;
    std::optional<bool> reportResult = true;
    Files* disk = nullptr;
    bool writesNothing = false, writesNoFile = false;
    Faults faults;

    void writeFile(const std::string& path, const std::string& text) override {
        faults.check("WriteFile", path);
        written.emplace_back(path, text);
    }
    std::string getIniKey(const std::string& section, const std::string& key,
                          const std::string& file) override {
        iniReads.push_back(section + "/" + key);
        faults.check("GetIniKey", key);
        const auto f = ini.find(file);
        if (f == ini.end()) return {};
        const auto s = f->second.find(section);
        if (s == f->second.end()) return {};
        const auto k = s->second.find(key);
        return k == s->second.end() ? std::string() : k->second;
    }
    void writeIniKey(const std::string& section, const std::string& key, const std::string& value,
                     const std::string& file) override {
        faults.check("WriteIniKey", key);
        iniWrites.push_back(section + "/" + key + "=" + value);
        ini[file][section][key] = value;
        if (disk && !writesNoFile) disk->sizes[file] = writesNothing ? 0 : iniWrites.size();
    }
    void logError(const std::string&, const std::string&, const Failure& failure, int32_t) override {
        logged.push_back(failure);
    }
    std::optional<bool> sendErrorReport(const ErrorReport& report) override {
        reports.push_back(report);
        return reportResult;
    }
};

// The encoding component's own Base64, recording its arguments.
class Codec : public standin::Codec {
public:
    std::vector<std::string> encoded, decoded;  // the arguments, in call order
    Faults faults;

    std::string enc64(const std::string& text) override {
        faults.check("Enc64", text);
        encoded.push_back(text);
        return standin::Codec::enc64(text);
    }
    std::string dec64(const std::string& text) override {
        faults.check("Dec64", text);
        decoded.push_back(text);
        return standin::Codec::dec64(text);
    }
};

struct Box {
    std::string title, text;
};
class Boxes : public MessageBoxes {
public:
    std::vector<Box> shown;
    void show(std::string_view title, std::string_view text) override {
        shown.push_back({std::string(title), std::string(text)});
    }
};

// Answers the file dialogs from a script; an empty script cancels.
class Dialogs : public FileDialogs {
public:
    std::deque<std::string> answers;
    std::vector<FileDialogRequest> asked;
    std::string ask(const FileDialogRequest& request) override {
        asked.push_back(request);
        if (answers.empty()) return {};
        std::string answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

// A module with every stand-in, BasePath C:\Suite, host index 3, server key KEY.
struct Rig {
    std::shared_ptr<Files> files = std::make_shared<Files>();
    std::shared_ptr<Boxes> boxes = std::make_shared<Boxes>();
    std::shared_ptr<Dialogs> dialogs = std::make_shared<Dialogs>();
    std::shared_ptr<Utility> utility = std::make_shared<Utility>();
    std::shared_ptr<Codec> codec = std::make_shared<Codec>();
    Module module{{files, boxes, dialogs, [](Module&) { return std::make_unique<MemoryForm>(); }}};

    Rig() {
        module.state.basePath = "C:\\Suite";
        module.state.hostIndex = 3;
        module.state.serverKey = "KEY";
        module.state.utility = utility;
        module.state.codec = codec;
        files->addFolderTree("C:\\Suite");
        utility->disk = files.get();
        files->contentsCopied = [u = utility.get()](const std::string& from, const std::string& to) {
            u->ini[to] = u->ini[from];
        };
        files->contentsDeleted = [u = utility.get()](const std::string& path) { u->ini.erase(path); };
    }
    MemoryForm& form() { return static_cast<MemoryForm&>(module.form()); }
    // The last box shown, as "Title: text".
    std::string lastBox() const {
        return boxes->shown.empty() ? std::string() : boxes->shown.back().title + ": " + boxes->shown.back().text;
    }
};

}  // namespace kora::fake
