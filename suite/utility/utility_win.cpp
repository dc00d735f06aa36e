// zelrcUTK.dll: the stand-in utility component, ProgID "zelrcUTK.clsUTK".
//   WriteFile(path, text)            hands the request to the host's relay window
//   GetIniKey(section, key, file)    "" when the file, section or key is missing
//   WriteIniKey(section, key, value, file)
//   LogError(library, operation, error, line)
//                                    one line in BasePath\logs\errors.log
//   SendErrorReport(report)          writes BasePath\reports\report-*.txt;
//                                    True when written, False when it cannot be
// BasePath is the host's folder. Failures are raised as run-time errors
// (0x800Annnn with an EXCEPINFO): 5 for an unusable argument or a missing
// host relay, 75 for a file that cannot be read or written.
//
// Failures on demand, for the plug-in's failure paths: while the file
// BasePath\utility-faults.txt exists, each of its lines
//   OPERATION HOW [ARGUMENT]
// makes calls of OPERATION fail, only those with a text argument equal to
// ARGUMENT when one is given (case-sensitive). HOW is "raise" (run-time error
// 75, "OPERATION: failure injected for a test"), or for SendErrorReport also
// "false", "null" or "empty" (what it returns instead of delivering). The file
// is read at every call, so a script can switch faults on and off; lines
// starting with "#" and lines that do not parse are ignored.
#include <olectl.h>

#include <array>
#include <sstream>

#include "base/module_path_win.h"
#include "base/text_win.h"
#include "error_log.h"
#include "ini_text.h"
#include "plugin/dispatch_win.h"
#include "relay_win.h"
#include "stand_in_win.h"

namespace kora::suite {
namespace {

// {0EF29F49-8EB3-429F-9926-7EE5F8C2195D}
// The plug-in hands its paths over plain; the component reaches a deep one
// through the long-path form in its own file calls.
std::wstring ownPath(const std::wstring& path) { return win::openablePath(win::narrow(path)); }

const CLSID kClsidUtility = {0x0ef29f49, 0x8eb3, 0x429f, {0x99, 0x26, 0x7e, 0xe5, 0xf8, 0xc2, 0x19, 0x5d}};

constexpr int32_t kInvalidArgument = 5;
constexpr int32_t kFileAccess = 75;

std::string utf8Argument(const win::DispatchArgs& args, size_t i, const wchar_t* operation) {
    auto text = win::narrowStrict(args.text(i));
    if (!text)
        throw win::DispatchError{kInvalidArgument, std::wstring(operation) + L": an argument is not valid Unicode"};
    return *text;
}

// The report array, by value or by reference, as six texts.
std::optional<ReportFields> reportFields(const VARIANT& report) {
    SAFEARRAY* sa = nullptr;
    if (V_VT(&report) == (VT_ARRAY | VT_VARIANT))
        sa = V_ARRAY(&report);
    else if (V_VT(&report) == (VT_ARRAY | VT_VARIANT | VT_BYREF) && V_ARRAYREF(&report))
        sa = *V_ARRAYREF(&report);
    if (!sa || SafeArrayGetDim(sa) != 1) return std::nullopt;
    LONG lower = 0, upper = -1;
    SafeArrayGetLBound(sa, 1, &lower);
    SafeArrayGetUBound(sa, 1, &upper);
    if (upper - lower + 1 != 6) return std::nullopt;
    ReportFields fields;
    for (LONG i = 0; i < 6; ++i) {
        LONG at = lower + i;
        win::Variant element;
        if (FAILED(SafeArrayGetElement(sa, &at, element.put()))) return std::nullopt;
        try {
            fields[static_cast<size_t>(i)] = win::toText(element.get());
        } catch (...) {
            return std::nullopt;
        }
    }
    return fields;
}

enum class Fault { None, Raise, False, Null, Empty };

// The fault configured for this call of `operation`, if any.
Fault injectedFault(std::wstring_view operation, const win::DispatchArgs& args) {
    const auto file = readWholeFile(hostBasePath() + L"\\utility-faults.txt");
    if (!file) return Fault::None;
    std::istringstream lines(*file);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        std::istringstream words(line);
        std::string name, how;
        if (!(words >> name >> how) || win::widen(name) != operation) continue;
        std::string wanted;
        std::getline(words >> std::ws, wanted);
        if (!wanted.empty()) {
            bool matches = false;
            for (size_t i = 0; i < args.size() && !matches; ++i) {
                try {
                    matches = win::narrow(args.text(i)) == wanted;
                } catch (...) {  // an object argument (LogError's error) is no text
                }
            }
            if (!matches) continue;
        }
        if (how == "raise") return Fault::Raise;
        if (how == "false") return Fault::False;
        if (how == "null") return Fault::Null;
        if (how == "empty") return Fault::Empty;
    }
    return Fault::None;
}

class Utility final : public win::DispatchObject {
public:
    using DispatchObject::DispatchObject;

protected:
    enum : DISPID { WriteFile = 1, GetIniKey, WriteIniKey, LogError, SendErrorReport };
    std::span<const Member> members() const noexcept override {
        static constexpr Member kMembers[] = {{L"WriteFile", WriteFile},
                                              {L"GetIniKey", GetIniKey},
                                              {L"WriteIniKey", WriteIniKey},
                                              {L"LogError", LogError},
                                              {L"SendErrorReport", SendErrorReport}};
        return kMembers;
    }
    std::wstring_view source() const noexcept override { return L"zelrcUTK.clsUTK"; }

    void invoke(DISPID id, WORD, const win::DispatchArgs& args, VARIANT& result) override {
        if (injected(id, args, result)) return;
        switch (id) {
        case WriteFile: writeFile(args); break;
        case GetIniKey: getIniKey(args, result); break;
        case WriteIniKey: writeIniKey(args); break;
        case LogError: logError(args); break;
        case SendErrorReport: win::setBoolResult(result, sendErrorReport(args)); break;
        default: break;
        }
    }

private:
    // Carries out an injected fault; true when the call ends with it.
    bool injected(DISPID id, const win::DispatchArgs& args, VARIANT& result) const {
        const std::wstring operation = memberName(id);
        switch (injectedFault(operation, args)) {
        case Fault::None: return false;
        case Fault::Raise: throw win::DispatchError{kFileAccess, operation + L": failure injected for a test"};
        case Fault::False:
            if (id != SendErrorReport) return false;
            win::setBoolResult(result, false);
            return true;
        case Fault::Null:
            if (id != SendErrorReport) return false;
            VariantClear(&result);
            V_VT(&result) = VT_NULL;
            return true;
        case Fault::Empty:
            if (id != SendErrorReport) return false;
            VariantClear(&result);
            return true;
        }
        return false;
    }

    std::wstring memberName(DISPID id) const {
        for (const Member& m : members())
            if (m.id == id) return m.name;
        return {};
    }

    static void writeFile(const win::DispatchArgs& args) {
        const std::wstring failure = sendToRelay({args.text(0), args.text(1)});
        if (!failure.empty()) throw win::DispatchError{kInvalidArgument, L"WriteFile: " + failure};
    }

    static void getIniKey(const win::DispatchArgs& args, VARIANT& result) {
        const std::string section = utf8Argument(args, 0, L"GetIniKey");
        const std::string key = utf8Argument(args, 1, L"GetIniKey");
        const auto file = readWholeFile(ownPath(args.text(2)));
        const auto value = file ? ini::read(*file, section, key) : std::nullopt;
        win::setResult(result, win::widen(value.value_or(std::string())));
    }

    static void writeIniKey(const win::DispatchArgs& args) {
        const std::string section = utf8Argument(args, 0, L"WriteIniKey");
        const std::string key = utf8Argument(args, 1, L"WriteIniKey");
        const std::string value = utf8Argument(args, 2, L"WriteIniKey");
        const std::wstring path = ownPath(args.text(3));
        auto file = readWholeFile(path);
        if (!file) {
            if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES)
                throw win::DispatchError{kFileAccess, L"WriteIniKey: cannot read " + path};
            file.emplace();
        }
        if (!replaceFile(path, ini::write(*file, section, key, value)))
            throw win::DispatchError{kFileAccess, L"WriteIniKey: cannot write " + path};
    }

    static void logError(const win::DispatchArgs& args) {
        const std::string library = win::narrow(args.text(0));
        const std::string operation = win::narrow(args.text(1));
        win::ComPtr<IDispatch> error = args.object(2);
        const int32_t number =
            static_cast<int32_t>(win::toNumber(win::invoke(error.get(), L"Number", DISPATCH_PROPERTYGET, {}).get()));
        const std::string description =
            win::toText(win::invoke(error.get(), L"Description", DISPATCH_PROPERTYGET, {}).get());
        const int32_t line = args.integer(3);
        const std::wstring folder = hostBasePath() + L"\\logs";
        const std::string entry = formatLogLine(localNow(), library, operation, number, description, line) + "\r\n";
        if (!ensureFolder(folder) || !appendToFile(folder + L"\\errors.log", entry))
            throw win::DispatchError{kFileAccess, L"LogError: cannot write " + folder + L"\\errors.log"};
    }

    static bool sendErrorReport(const win::DispatchArgs& args) {
        const auto fields = reportFields(args.value(0));
        if (!fields) return false;
        const std::wstring folder = hostBasePath() + L"\\reports";
        if (!ensureFolder(folder)) return false;
        const Timestamp now = localNow();
        const std::string text = formatReport(now, *fields);
        for (int sequence = 1; sequence < 1000; ++sequence) {
            const std::wstring path = folder + L"\\" + win::widen(reportFileName(now, sequence));
            win::FileHandle file(
                CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
            if (!file) {
                if (GetLastError() == ERROR_FILE_EXISTS) continue;
                return false;
            }
            DWORD written = 0;
            return ::WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
                   written == text.size();
        }
        return false;
    }
};

StandInServer g_server(kClsidUtility, L"zelrcUTK.clsUTK",
                       [](std::atomic<long>& live) -> win::DispatchObject* { return new Utility(&live); });

}  // namespace
}  // namespace kora::suite

KORA_STAND_IN_ENTRY_POINTS(kora::suite::g_server)
