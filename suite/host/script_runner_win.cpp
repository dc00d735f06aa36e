#include "script_runner_win.h"

#include <windows.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "base/module_path_win.h"
#include "base/raii_win.h"
#include "base/text_win.h"
#include "base/window_win.h"
#include "dialog_answerer_win.h"
#include "form_driver_win.h"
#include "keyed_collection_win.h"
#include "relay_win.h"
#include "screenshot_win.h"
#include "script_language.h"
#include "server_relay_win.h"
#include "window_helpers_win.h"
#include "zelrcKORA_h.h"

namespace kora::suite {
namespace {

using script::event;

constexpr wchar_t kHostClass[] = L"KorastandHostWindow";
constexpr UINT kRelayDone = WM_APP + 40;   // lParam: RelayAnswer*, owned by the receiver
constexpr UINT kFileDialog = WM_APP + 41;  // lParam: the dialog's window
constexpr UINT_PTR kDialogWatch = 1;
// A file dialog still open this long after its answer was confirmed did not
// accept it (it showed a complaint, which was answered): it is cancelled.
constexpr UINT kDialogWatchMs = 3000;
// How long the queue must stay empty before the host counts as idle: enough
// for the window system's own notifications to come in.
constexpr DWORD kIdleSliceMs = 10;
constexpr int kMaxMessagesPerPump = 100000;

struct RelayAnswer {
    std::wstring path;
    std::string text;
};

// Creates the folders of `path` that do not exist yet (not the last part).
void createParents(const std::wstring& path) {
    for (size_t at = path.find_first_of(L"\\/", 3); at != std::wstring::npos; at = path.find_first_of(L"\\/", at + 1))
        CreateDirectoryW(path.substr(0, at).c_str(), nullptr);
}

std::string hresultText(HRESULT hr) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

class ScriptHost {
public:
    explicit ScriptHost(const ScriptOptions& options) : options_(options), relayTimeout_(options.relayTimeout) {}
    ~ScriptHost();
    ScriptHost(const ScriptHost&) = delete;
    ScriptHost& operator=(const ScriptHost&) = delete;

    bool start();
    void run();

private:
    using Handler = void (ScriptHost::*)(const std::string& rest);

    LRESULT handle(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

    void print(const std::string& line);
    void fail(const std::string& why);
    bool pumpPending();
    void settle();
    void pumpFor(DWORD milliseconds);
    bool checked(const char* call, HRESULT hr);

    // Events from the plug-in's side.
    bool onRequest(const RelayRequest& request);
    void onRelayDone(std::unique_ptr<RelayAnswer> answer);
    void onFileDialog(HWND dialog);
    void onDialogWatch();

    // Commands.
    void execute(const script::Line& line);
    std::optional<std::vector<std::string>> args(const std::string& rest, size_t count);
    void cmdKey(const std::string& rest);
    void cmdEdition(const std::string& rest);
    void cmdPdat(const std::string& rest);
    void cmdLoad(const std::string& rest);
    void cmdHide(const std::string& rest);
    void cmdPrivilege(const std::string& rest);
    void cmdPrivilegesClear(const std::string& rest);
    void cmdPrivis(const std::string& rest);
    void cmdPrivisNull(const std::string& rest);
    void privis(const std::string& rest, bool nullNames);
    void cmdText(const std::string& rest);
    void cmdSet(const std::string& rest);
    void cmdSelect(const std::string& rest);
    void cmdClick(const std::string& rest) { click(rest, true); }
    void cmdPress(const std::string& rest) { click(rest, false); }
    void click(const std::string& rest, bool release);
    void cmdTab(const std::string& rest);
    void cmdDump(const std::string& rest);
    void cmdItems(const std::string& rest);
    void cmdWindow(const std::string& rest);
    void cmdMarks(const std::string& rest);
    void cmdReply(const std::string& rest);
    void cmdRelay(const std::string& rest);
    void cmdWait(const std::string& rest);
    void cmdDialog(const std::string& rest);
    void cmdScreenshot(const std::string& rest);
    void cmdSleep(const std::string& rest);
    void cmdQuit(const std::string& rest);
    void cmdInteractive(const std::string& rest);
    void cmdEcho(const std::string& rest);
    void cmdWriteFile(const std::string& rest);
    void cmdDumpFile(const std::string& rest);
    void remoteData(const std::wstring& data);

    // Relative paths of a script are relative to BasePath, wherever the
    // plug-in's file dialogs moved the current folder.
    std::wstring resolve(const std::string& path) const;

    ScriptOptions options_;
    std::wstring basePath_;
    std::chrono::milliseconds relayTimeout_;
    std::string command_;  // the command being run, for its error events
    win::WindowClass class_;
    win::Window window_;
    std::unique_ptr<RelayWindow> relay_;
    std::unique_ptr<DialogAnswerer> answerer_;
    std::unique_ptr<FormDriver> driver_;
    win::ComPtr<_clsPlugin> plugin_;
    win::ComPtr<KeyedCollection> privileges_;
    win::ComPtr<KeyedCollection> values_;
    std::string key_;
    std::string edition_;
    enum class Pdat { Full, Short, Scalar } nextPdat_ = Pdat::Full;
    bool relayOn_ = false;
    int outstanding_ = 0;
    std::vector<std::thread> workers_;
    std::deque<std::string> dialogAnswers_;
    HWND watchedDialog_ = nullptr;
    std::string watchedAnswer_;
    bool quit_ = false;
};

// --- Start and end ------------------------------------------------------------

bool ScriptHost::start() {
    const std::wstring exe = win::moduleFileName(nullptr);
    basePath_ = exe.substr(0, exe.rfind(L'\\'));
    SetCurrentDirectoryW(basePath_.c_str());

    class_ = win::WindowClass(kHostClass, &win::windowProcedure<&ScriptHost::handle>,
                              reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1));
    // Room for the form at (2, 30), 740 x 403 pixels at 96 dpi, and a margin.
    const DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    const SIZE frame = scaledFrameSize(750, 442, style);
    window_.reset(CreateWindowExW(0, kHostClass, L"Korastand host", style, 0, 0, frame.cx, frame.cy, nullptr, nullptr,
                                  win::codeModule(), this));
    if (!window_) {
        print(event("error", {"cannot create the host window"}));
        return false;
    }
    ShowWindow(window_.get(), SW_SHOW);
    UpdateWindow(window_.get());
    driver_ = std::make_unique<FormDriver>(window_.get());
    relay_ = std::make_unique<RelayWindow>([this](const RelayRequest& r) { return onRequest(r); });
    answerer_ = std::make_unique<DialogAnswerer>(window_.get(), kFileDialog, [this](const SeenBox& box) {
        print(event("message", {win::narrow(box.title), win::narrow(box.text)}));
    });
    privileges_ = newKeyedCollection();
    values_ = newKeyedCollection();

    CLSID clsid{};
    HRESULT hr = CLSIDFromProgID(L"zelrcKORA.clsPlugin", &clsid);
    if (SUCCEEDED(hr)) hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID__clsPlugin, plugin_.putVoid());
    if (FAILED(hr)) {
        print(event("error", {"cannot create zelrcKORA.clsPlugin (" + hresultText(hr) + ")"}));
        return false;
    }
    settle();
    return true;
}

ScriptHost::~ScriptHost() {
    try {
        settle();  // answers still on their way arrive first
    } catch (...) {}
    for (std::thread& worker : workers_)
        if (worker.joinable()) worker.join();
    // The form stays loaded while it lies in the host's window, as the client
    // keeps it between calls: the window goes first, then the library can.
    plugin_.reset();
    privileges_.reset();
    values_.reset();
    window_.reset();
    CoFreeUnusedLibrariesEx(0, 0);
    answerer_.reset();
    relay_.reset();
}

std::wstring ScriptHost::resolve(const std::string& path) const {
    const std::wstring wide = win::widen(path);
    const bool absolute =
        (wide.size() >= 2 && wide[1] == L':') || (!wide.empty() && (wide[0] == L'\\' || wide[0] == L'/'));
    return absolute ? wide : basePath_ + L"\\" + wide;
}

// --- Messages -------------------------------------------------------------------

LRESULT ScriptHost::handle(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case kRelayDone: onRelayDone(std::unique_ptr<RelayAnswer>(reinterpret_cast<RelayAnswer*>(lp))); return 0;
    case kFileDialog: onFileDialog(reinterpret_cast<HWND>(lp)); return 0;
    case WM_TIMER:
        if (wp == kDialogWatch) {
            onDialogWatch();
            return 0;
        }
        break;
    case WM_CLOSE:
        quit_ = true;  // the script ends before its next command
        return 0;
    default: break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

void ScriptHost::print(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), options_.out);
    std::fputc('\n', options_.out);
    std::fflush(options_.out);
}

void ScriptHost::fail(const std::string& why) { print(event("error", {command_ + ": " + why})); }

bool ScriptHost::pumpPending() {
    bool any = false;
    MSG m;
    for (int n = 0; n < kMaxMessagesPerPump && PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE); ++n) {
        any = true;
        if (m.message == WM_QUIT) {
            quit_ = true;
            continue;
        }
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
    return any;
}

// Handles every pending message, waits for every relayed answer to be handed
// over, and returns once the queue has stayed empty for two idle slices.
void ScriptHost::settle() {
    for (int quiet = 0; quiet < 2 || outstanding_ > 0;) {
        if (pumpPending()) {
            quiet = 0;
            continue;
        }
        const DWORD slice = outstanding_ > 0 ? 50 : kIdleSliceMs;
        if (MsgWaitForMultipleObjectsEx(0, nullptr, slice, QS_ALLINPUT, MWMO_INPUTAVAILABLE) == WAIT_TIMEOUT) ++quiet;
    }
}

void ScriptHost::pumpFor(DWORD milliseconds) {
    const ULONGLONG end = GetTickCount64() + milliseconds;
    for (ULONGLONG now = GetTickCount64(); now < end; now = GetTickCount64()) {
        pumpPending();
        MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(end - now), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
    pumpPending();
}

bool ScriptHost::checked(const char* call, HRESULT hr) {
    if (SUCCEEDED(hr)) return true;
    fail(std::string(call) + " failed (" + hresultText(hr) + ")");
    return false;
}

// --- The relay -------------------------------------------------------------------

bool ScriptHost::onRequest(const RelayRequest& request) {
    print(event("request", {win::narrow(request.path), win::narrow(request.text)}));
    if (!relayOn_) return true;
    ++outstanding_;
    HWND host = window_.get();
    const uint16_t port = options_.serverPort;
    const auto timeout = relayTimeout_;
    auto answer = std::make_unique<RelayAnswer>();
    answer->path = request.path;
    const std::string text = win::narrow(request.text);
    workers_.emplace_back([host, port, timeout, text, answer = std::move(answer)]() mutable {
        answer->text = relayRequest(text, port, timeout);
        if (PostMessageW(host, kRelayDone, 0, reinterpret_cast<LPARAM>(answer.get()))) (void)answer.release();
    });
    return true;
}

void ScriptHost::onRelayDone(std::unique_ptr<RelayAnswer> answer) {
    --outstanding_;
    if (!answer) return;
    // What the host does with an answer: into the command's reply file, then
    // to the plug-in.
    if (!writeWholeFile(answer->path, answer->text))
        print(event("error", {"relay: cannot write " + win::narrow(answer->path)}));
    else
        print(event("reply-file", {win::narrow(answer->path), answer->text}));
    remoteData(win::widen(answer->text));
}

void ScriptHost::remoteData(const std::wstring& data) {
    win::Bstr text(data);
    checked("RemoteData", plugin_->RemoteData(text.slot()));
}

// --- File dialogs ----------------------------------------------------------------

void ScriptHost::onFileDialog(HWND dialog) {
    if (!IsWindow(dialog)) return;
    const SeenFileDialog seen = readFileDialog(dialog);
    print(event("dialog", {win::narrow(seen.title), win::narrow(seen.folder), win::narrow(seen.types)}));
    if (!answerer_->answering()) return;  // a person answers it
    if (dialogAnswers_.empty()) {
        print(event("error", {"dialog: no answer was given for this dialog; it is cancelled"}));
        return cancelFileDialog(dialog);
    }
    const std::string answer = dialogAnswers_.front();
    dialogAnswers_.pop_front();
    if (answer.empty()) return cancelFileDialog(dialog);
    if (!confirmFileDialog(dialog, win::widen(answer))) {
        print(event("error", {"dialog: the dialog has no file-name box; it is cancelled"}));
        return cancelFileDialog(dialog);
    }
    watchedDialog_ = dialog;
    watchedAnswer_ = answer;
    SetTimer(window_.get(), kDialogWatch, kDialogWatchMs, nullptr);
}

void ScriptHost::onDialogWatch() {
    KillTimer(window_.get(), kDialogWatch);
    if (!watchedDialog_ || !IsWindow(watchedDialog_)) return;
    print(event("error", {"dialog: the file dialog did not accept \"" + watchedAnswer_ + "\"; it is cancelled"}));
    cancelFileDialog(watchedDialog_);
    watchedDialog_ = nullptr;
}

// --- Commands ----------------------------------------------------------------------

void ScriptHost::run() {
    std::string line;
    char chunk[4096];
    while (!quit_ && std::fgets(chunk, sizeof chunk, options_.in)) {
        line += chunk;
        if (line.back() != '\n' && !std::feof(options_.in)) continue;
        if (line.back() == '\n') line.pop_back();
        if (auto parsed = script::parseLine(line)) {
            execute(*parsed);
            settle();
        }
        line.clear();
    }
}

void ScriptHost::execute(const script::Line& line) {
    static const std::map<std::string, Handler> kCommands = {
        {"key", &ScriptHost::cmdKey},
        {"edition", &ScriptHost::cmdEdition},
        {"pdat", &ScriptHost::cmdPdat},
        {"load", &ScriptHost::cmdLoad},
        {"hide", &ScriptHost::cmdHide},
        {"privilege", &ScriptHost::cmdPrivilege},
        {"privis", &ScriptHost::cmdPrivis},
        {"privis-null", &ScriptHost::cmdPrivisNull},
        {"text", &ScriptHost::cmdText},
        {"set", &ScriptHost::cmdSet},
        {"select", &ScriptHost::cmdSelect},
        {"click", &ScriptHost::cmdClick},
        {"press", &ScriptHost::cmdPress},
        {"tab", &ScriptHost::cmdTab},
        {"dump", &ScriptHost::cmdDump},
        {"reply", &ScriptHost::cmdReply},
        {"relay", &ScriptHost::cmdRelay},
        {"wait", &ScriptHost::cmdWait},
        {"dialog", &ScriptHost::cmdDialog},
        {"screenshot", &ScriptHost::cmdScreenshot},
        {"sleep", &ScriptHost::cmdSleep},
        {"quit", &ScriptHost::cmdQuit},
        {"interactive", &ScriptHost::cmdInteractive},
        {"echo", &ScriptHost::cmdEcho},
        {"write-file", &ScriptHost::cmdWriteFile},
        {"dump-file", &ScriptHost::cmdDumpFile},
        {"privileges-clear", &ScriptHost::cmdPrivilegesClear},
        {"items", &ScriptHost::cmdItems},
        {"window", &ScriptHost::cmdWindow},
        {"marks", &ScriptHost::cmdMarks},
    };
    command_ = line.command;
    const auto found = kCommands.find(line.command);
    if (found == kCommands.end()) {
        print(event("error", {"unknown command: " + line.command}));
        return;
    }
    (this->*found->second)(line.rest);
}

std::optional<std::vector<std::string>> ScriptHost::args(const std::string& rest, size_t count) {
    auto parsed = script::arguments(rest, count);
    if (!parsed)
        fail("needs " + std::to_string(count) + " argument" + (count == 1 ? "" : "s") + ", or has a bad escape");
    return parsed;
}

void ScriptHost::cmdKey(const std::string& rest) {
    if (auto a = args(rest, 1)) key_ = a->front();
}

void ScriptHost::cmdEdition(const std::string& rest) {
    if (auto a = args(rest, 1)) edition_ = a->front();
}

void ScriptHost::cmdPdat(const std::string& rest) {
    if (rest == "short")
        nextPdat_ = Pdat::Short;
    else if (rest == "scalar")
        nextPdat_ = Pdat::Scalar;
    else if (rest == "full")
        nextPdat_ = Pdat::Full;
    else
        fail("expects short, scalar or full");
}

void ScriptHost::cmdLoad(const std::string& rest) {
    const auto index = script::parseInteger(rest, INT32_MIN, INT32_MAX);
    if (!index) return fail("expects a 32-bit index");
    // The client keeps a folder of its own for each server it manages; the
    // plug-in's profile folders go below it.
    CreateDirectoryW(resolve("profiles").c_str(), nullptr);
    CreateDirectoryW(resolve("profiles\\" + std::to_string(*index)).c_str(), nullptr);
    const Pdat shape = std::exchange(nextPdat_, Pdat::Full);  // short and scalar hold for one load
    win::Variant pdat;
    if (shape == Pdat::Scalar) {
        V_VT(pdat.put()) = VT_BSTR;
        V_BSTR(&pdat.get()) = win::toBstr(key_).detach();
    } else {
        const LONG count = shape == Pdat::Short ? 1 : 2;
        win::SafeArray array = win::SafeArray::attach(SafeArrayCreateVector(VT_VARIANT, 0, count));
        if (!array.get()) return fail("out of memory");
        const std::string* texts[] = {&key_, &edition_};
        for (LONG i = 0; i < count; ++i) {
            win::Variant element;
            V_VT(element.put()) = VT_BSTR;
            V_BSTR(&element.get()) = win::toBstr(*texts[i]).detach();
            SafeArrayPutElement(array.get(), &i, &element.get());
        }
        V_VT(pdat.put()) = VT_ARRAY | VT_VARIANT;
        V_ARRAY(&pdat.get()) = array.detach();
    }
    VARIANT missing;
    VariantInit(&missing);
    V_VT(&missing) = VT_ERROR;
    V_ERROR(&missing) = DISP_E_PARAMNOTFOUND;
    checked("LoadInterface",
            plugin_->LoadInterface(static_cast<LONG>(*index), HandleToLong(window_.get()), &pdat.get(), &missing));
}

void ScriptHost::cmdHide(const std::string& rest) {
    if (!args(rest, 0)) return;
    VARIANT missing;
    VariantInit(&missing);
    V_VT(&missing) = VT_ERROR;
    V_ERROR(&missing) = DISP_E_PARAMNOTFOUND;
    checked("HideInterface", plugin_->HideInterface(&missing));
}

void ScriptHost::cmdPrivilege(const std::string& rest) {
    const auto text = script::unescape(rest);
    const auto privilege = text ? script::parsePrivilege(*text) : std::nullopt;
    if (!privilege) return fail("expects NAME=VALUE with a whole number as VALUE");
    privileges_->set(win::widen(privilege->name), privilege->value);
}

void ScriptHost::cmdPrivilegesClear(const std::string& rest) {
    if (args(rest, 0)) privileges_->clear();
}

void ScriptHost::cmdPrivis(const std::string& rest) { privis(rest, false); }
void ScriptHost::cmdPrivisNull(const std::string& rest) { privis(rest, true); }

void ScriptHost::privis(const std::string& rest, bool nullNames) {
    if (rest != "user" && rest != "admin") return fail("expects user or admin");
    IDispatch* names = nullNames ? nullptr : privileges_.get();
    IDispatch* values = values_.get();
    checked("SetPrivis", plugin_->SetPrivis(&names, &values, rest == "admin" ? VARIANT_TRUE : VARIANT_FALSE));
}

void ScriptHost::cmdText(const std::string& rest) {
    // "text NAME" alone empties the box.
    const auto a = args(rest.find(' ') == std::string::npos ? rest + " " : rest, 2);
    if (!a) return;
    if (auto failure = driver_->type((*a)[0], (*a)[1]); !failure.empty()) fail(failure);
}

void ScriptHost::cmdSet(const std::string& rest) {
    const auto a = args(rest, 2);
    if (!a) return;
    const auto value = script::parseInteger((*a)[1], INT32_MIN, INT32_MAX);
    if (!value) return fail("expects a whole number");
    if (auto failure = driver_->setValue((*a)[0], static_cast<int>(*value)); !failure.empty()) fail(failure);
}

void ScriptHost::cmdSelect(const std::string& rest) {
    const auto a = args(rest, 3);
    if (!a) return;
    const auto index = script::parseInteger((*a)[1], 0, INT32_MAX);
    if (!index || ((*a)[2] != "0" && (*a)[2] != "1")) return fail("expects LIST INDEX 0|1");
    if (auto failure = driver_->select((*a)[0], static_cast<int>(*index), (*a)[2] == "1"); !failure.empty())
        fail(failure);
}

void ScriptHost::click(const std::string& rest, bool release) {
    const bool withButton = rest.find(' ') != std::string::npos;
    const auto a = args(rest, withButton ? 2 : 1);
    if (!a) return;
    const auto control = script::parseControlRef((*a)[0]);
    if (!control) return fail("expects a control name, or NAME(ELEMENT)");
    int button = 1;
    if (withButton) {
        const auto b = script::parseInteger((*a)[1], 0, 255);
        if (!b) return fail("expects the mouse button as 1, 2 or 4");
        button = static_cast<int>(*b);
    }
    if (auto failure = driver_->click(control->name, control->element, button, release); !failure.empty())
        fail(failure);
}

void ScriptHost::cmdTab(const std::string& rest) {
    const auto a = args(rest, 1);
    if (!a) return;
    if (a->front().empty()) return fail("expects a page index or caption");
    if (auto failure = driver_->clickTab(a->front()); !failure.empty()) fail(failure);
}

void ScriptHost::cmdDump(const std::string& rest) {
    std::vector<std::string> lines;
    std::string failure;
    if (rest.empty()) {
        failure = driver_->dump(lines);
    } else {
        std::vector<std::string> names;
        for (size_t at = 0; at <= rest.size();) {
            const size_t space = std::min(rest.find(' ', at), rest.size());
            if (space > at) names.push_back(rest.substr(at, space - at));
            at = space + 1;
        }
        failure = driver_->dump(names, lines);
    }
    if (!failure.empty()) return fail(failure);
    for (const std::string& l : lines) print(l);
}

void ScriptHost::cmdItems(const std::string& rest) {
    const auto a = args(rest, 1);
    if (!a) return;
    std::string line;
    if (auto failure = driver_->items(a->front(), line); !failure.empty()) return fail(failure);
    print(line);
}

void ScriptHost::cmdWindow(const std::string& rest) {
    if (args(rest, 0)) print(driver_->windowLine());
}

void ScriptHost::cmdMarks(const std::string& rest) {
    if (!args(rest, 0)) return;
    std::vector<std::string> lines;
    if (auto failure = driver_->marks(lines); !failure.empty()) return fail(failure);
    for (const std::string& l : lines) print(l);
}

void ScriptHost::cmdReply(const std::string& rest) {
    const auto text = script::unescape(rest);
    if (!text) return fail("has a bad escape");
    remoteData(win::widen(*text));
}

void ScriptHost::cmdRelay(const std::string& rest) {
    if (rest == "off") {
        relayOn_ = false;
        return;
    }
    if (rest == "on") {
        relayOn_ = true;
        relayTimeout_ = options_.relayTimeout;
        return;
    }
    if (rest.rfind("on ", 0) == 0) {
        if (const auto ms = script::parseInteger(rest.substr(3), 1, 3'600'000)) {
            relayOn_ = true;
            relayTimeout_ = std::chrono::milliseconds(*ms);
            return;
        }
    }
    fail("expects on [TIMEOUT-MS] or off");
}

void ScriptHost::cmdWait(const std::string& rest) {
    if (args(rest, 0)) settle();
}

void ScriptHost::cmdDialog(const std::string& rest) {
    const auto text = script::unescape(rest);
    if (!text) return fail("has a bad escape");
    dialogAnswers_.push_back(*text);
}

void ScriptHost::cmdScreenshot(const std::string& rest) {
    const auto a = args(rest, 1);
    if (!a || a->front().empty()) return fail("expects a file name");
    settle();
    if (auto failure = captureWindow(window_.get(), resolve(a->front())); !failure.empty()) return fail(failure);
    print(event("shot", {a->front()}));
}

void ScriptHost::cmdSleep(const std::string& rest) {
    const auto ms = script::parseInteger(rest, 0, 600'000);
    if (!ms) return fail("expects milliseconds");
    pumpFor(static_cast<DWORD>(*ms));
}

void ScriptHost::cmdQuit(const std::string& rest) {
    if (args(rest, 0)) quit_ = true;
}

// The host is handed to a person: the boxes and file dialogs are theirs to
// answer (still reported), and the host runs until its window is closed.
void ScriptHost::cmdInteractive(const std::string& rest) {
    if (!args(rest, 0)) return;
    answerer_->setAnswering(false);
    while (!quit_) {
        pumpPending();
        if (!quit_) MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

void ScriptHost::cmdEcho(const std::string& rest) {
    if (auto a = args(rest, 1)) print(event("echo", {a->front()}));
}

void ScriptHost::cmdWriteFile(const std::string& rest) {
    const auto a = args(rest, 2);
    if (!a) return;
    const std::wstring path = resolve((*a)[0]);
    createParents(path);
    if (!writeWholeFile(path, (*a)[1])) fail("cannot write " + (*a)[0]);
}

void ScriptHost::cmdDumpFile(const std::string& rest) {
    const auto a = args(rest, 1);
    if (!a || a->front().empty()) return fail("expects a file name");
    win::FileHandle file(CreateFileW(resolve(a->front()).c_str(), GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return print(event("no-file", {a->front()}));
    std::string bytes;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
    print(event("file", {a->front(), bytes}));
}

}  // namespace

std::optional<ScriptOptions> scriptOptions(int argc, wchar_t** argv, std::string& error) {
    std::optional<ScriptOptions> options;
    bool script = false;
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (!options) options.emplace();
        if (arg == L"--script" && hasValue) {
            options->script = argv[++i];
            script = true;
        } else if (arg == L"--server" && hasValue) {
            const auto port = script::parseInteger(win::narrow(argv[++i]), 1, 65535);
            if (!port)
                error = "--server expects a port from 1 to 65535";
            else
                options->serverPort = static_cast<uint16_t>(*port);
        } else if (arg == L"--relay-timeout" && hasValue) {
            const auto ms = script::parseInteger(win::narrow(argv[++i]), 1, 3'600'000);
            if (!ms)
                error = "--relay-timeout expects milliseconds";
            else
                options->relayTimeout = std::chrono::milliseconds(*ms);
        } else {
            error = "unknown argument: " + win::narrow(arg);
        }
    }
    if (options && !script && error.empty()) error = "--script FILE is missing";
    if (!error.empty()) return std::nullopt;
    return options;
}

int runScript(const ScriptOptions& given) {
    ScriptOptions options = given;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(nullptr, &std::fclose);
    if (options.script != L"-") {
        file.reset(_wfopen(options.script.c_str(), L"rb"));
        if (!file) {
            std::fprintf(stderr, "korastand-host: cannot read the script %s\n", win::narrow(options.script).c_str());
            return 2;
        }
        options.in = file.get();
    }
    ScriptHost host(options);
    if (!host.start()) return 1;
    host.run();
    return 0;
}

}  // namespace kora::suite
