// Recording stand-ins for everything the core reaches outside itself, and a
// Rig that wires them into a Module with an in-memory form. Each stand-in can
// be told to fail a named operation with a run-time error number.
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

#include "errors/failure.h"
#include "form/memory_form.h"
#include "plugin/module.h"

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

// The file service, in memory. Paths are compared exactly; a folder's parent is
// everything before its last "\".
class Files : public FileService {
public:
    std::set<std::string> folders;
    std::map<std::string, uint64_t> files;  // path -> size
    std::vector<std::string> calls;         // "createFolder PATH", "deleteFile PATH", ...
    Faults faults;

    bool folderExists(const std::string& path) override { return folders.count(path) > 0; }
    void createFolder(const std::string& path) override {
        record("createFolder", path);
        const auto cut = path.rfind('\\');
        if (cut != std::string::npos && !folders.count(path.substr(0, cut))) raise(err::PathNotFound);
        folders.insert(path);
    }
    bool fileExists(const std::string& path) override { return files.count(path) > 0; }
    void deleteFile(const std::string& path) override {
        record("deleteFile", path);
        if (!files.erase(path)) raise(err::FileNotFound);
    }
    void createTextFile(const std::string& path) override {
        record("createTextFile", path);
        files[path] = 0;
    }
    std::optional<uint64_t> fileSize(const std::string& path) override {
        const auto it = files.find(path);
        if (it == files.end()) return std::nullopt;
        return it->second;
    }
    // Creates a folder and all its parents.
    void addFolderTree(const std::string& path) {
        for (size_t at = path.find('\\'); at != std::string::npos; at = path.find('\\', at + 1))
            folders.insert(path.substr(0, at));
        folders.insert(path);
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
        if (disk && !writesNoFile) disk->files[file] = writesNothing ? 0 : iniWrites.size();
    }
    void logError(const std::string&, const std::string&, const Failure& failure, int32_t) override {
        logged.push_back(failure);
    }
    std::optional<bool> sendErrorReport(const ErrorReport& report) override {
        reports.push_back(report);
        return reportResult;
    }
};

// Real Base64 (standard alphabet, padded), so encoded fields look like the wire's.
class Codec : public CodecComponent {
public:
    std::vector<std::string> encoded, decoded;  // the arguments, in call order
    Faults faults;

    std::string enc64(const std::string& text) override {
        faults.check("Enc64", text);
        encoded.push_back(text);
        return base64(text);
    }
    std::string dec64(const std::string& text) override {
        faults.check("Dec64", text);
        decoded.push_back(text);
        std::string out;
        unsigned buffer = 0;
        int bits = 0;
        for (char c : text) {
            if (c == '=') break;
            const auto at = kAlphabet.find(c);
            if (at == std::string_view::npos) raise(err::InvalidCall, "Not Base64");
            buffer = (buffer << 6) | static_cast<unsigned>(at);
            bits += 6;
            if (bits >= 8) {
                bits -= 8;
                out += static_cast<char>((buffer >> bits) & 0xFF);
            }
        }
        return out;
    }
    static std::string base64(std::string_view text) {
        std::string out;
        size_t i = 0;
        for (; i + 2 < text.size(); i += 3) out += quad(byte(text, i), byte(text, i + 1), byte(text, i + 2), 4);
        if (text.size() - i == 1) out += quad(byte(text, i), 0, 0, 2) + "==";
        if (text.size() - i == 2) out += quad(byte(text, i), byte(text, i + 1), 0, 3) + "=";
        return out;
    }

private:
    static constexpr std::string_view kAlphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    static unsigned byte(std::string_view s, size_t i) { return static_cast<unsigned char>(s[i]); }
    static std::string quad(unsigned a, unsigned b, unsigned c, int keep) {
        const unsigned n = (a << 16) | (b << 8) | c;
        std::string out;
        for (int k = 0; k < keep; ++k) out += kAlphabet[(n >> (18 - 6 * k)) & 63];
        return out;
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
    }
    MemoryForm& form() { return static_cast<MemoryForm&>(module.form()); }
    // The last box shown, as "Title: text".
    std::string lastBox() const {
        return boxes->shown.empty() ? std::string() : boxes->shown.back().title + ": " + boxes->shown.back().text;
    }
};

}  // namespace kora::fake
