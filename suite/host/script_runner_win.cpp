#include "script_runner_win.h"

#include <winsock2.h>
#include <windows.h>
#include <wincodec.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "base/gdi_win.h"
#include "base/module_path_win.h"
#include "base/raii_win.h"
#include "base/text_win.h"
#include "base/window_win.h"
#include "dialog_answerer_win.h"
#include "form_driver_win.h"
#include "keyed_collection_win.h"
#include "relay_win.h"
#include "script_language.h"
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

// An optional argument left out, as automation passes it.
VARIANT missingArgument() {
    VARIANT missing;
    VariantInit(&missing);
    V_VT(&missing) = VT_ERROR;
    V_ERROR(&missing) = DISP_E_PARAMNOTFOUND;
    return missing;
}

std::string hresultText(HRESULT hr) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

// --- The relay to the server side: one request over loopback TCP, framed as
// korastand-server expects (decimal byte count, "\n", UTF-8 bytes; the answer
// comes back the same way).

using Clock = std::chrono::steady_clock;
constexpr std::size_t kMaxAnswer = 1 << 20;
constexpr std::size_t kMaxCountDigits = 7;

struct CloseSocket {
    static SOCKET none() noexcept { return INVALID_SOCKET; }
    void operator()(SOCKET s) const noexcept { ::closesocket(s); }
};
using Socket = Owner<SOCKET, CloseSocket>;

// Waits until the socket can be written (or has failed, for a pending
// connect) or read; false when the deadline passes first.
bool waitFor(SOCKET s, bool forWrite, Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline - Clock::now());
    if (left.count() <= 0) return false;
    timeval tv;
    tv.tv_sec = static_cast<long>(left.count() / 1'000'000);
    tv.tv_usec = static_cast<long>(left.count() % 1'000'000);
    fd_set ready, failed;
    FD_ZERO(&ready);
    FD_ZERO(&failed);
    FD_SET(s, &ready);
    FD_SET(s, &failed);
    const int n = forWrite ? ::select(0, nullptr, &ready, &failed, &tv) : ::select(0, &ready, nullptr, &failed, &tv);
    return n > 0;
}

bool connectBefore(SOCKET s, uint16_t port, Clock::time_point deadline) {
    u_long nonBlocking = 1;
    if (::ioctlsocket(s, FIONBIO, &nonBlocking) != 0) return false;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(port);
    if (::connect(s, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0) return true;
    if (::WSAGetLastError() != WSAEWOULDBLOCK) return false;
    if (!waitFor(s, true, deadline)) return false;
    int error = 0;
    int len = sizeof error;
    return ::getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &len) == 0 && error == 0;
}

// Sends or receives exactly `size` bytes.
bool transferAll(SOCKET s, char* data, std::size_t size, bool sending, Clock::time_point deadline) {
    while (size > 0) {
        if (!waitFor(s, sending, deadline)) return false;
        const int chunk = static_cast<int>(std::min<std::size_t>(size, 1 << 16));
        const int n = sending ? ::send(s, data, chunk, 0) : ::recv(s, data, chunk, 0);
        if (n == SOCKET_ERROR && ::WSAGetLastError() == WSAEWOULDBLOCK) continue;
        if (n <= 0) return false;  // closed early, or failed
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// The answer's count line, read a byte at a time so none of the body is taken.
bool receiveCount(SOCKET s, std::size_t& count, Clock::time_point deadline) {
    std::string digits;
    for (;;) {
        char c;
        if (!transferAll(s, &c, 1, false, deadline)) return false;
        if (c == '\n') break;
        if (c < '0' || c > '9' || digits.size() == kMaxCountDigits) return false;
        digits += c;
    }
    if (digits.empty() || (digits.size() > 1 && digits[0] == '0')) return false;
    count = 0;
    for (const char c : digits) count = count * 10 + static_cast<std::size_t>(c - '0');
    return count <= kMaxAnswer;
}

std::string exchange(const std::string& request, uint16_t port, Clock::time_point deadline) {
    // Started once for the process, which ends soon after the script does.
    static const bool winsock = [] {
        WSADATA data;
        return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    if (!winsock) return {};
    Socket s(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    if (!s || !connectBefore(s.get(), port, deadline)) return {};
    std::string frame = std::to_string(request.size()) + "\n" + request;
    if (!transferAll(s.get(), frame.data(), frame.size(), true, deadline)) return {};
    ::shutdown(s.get(), SD_SEND);
    std::size_t count = 0;
    if (!receiveCount(s.get(), count, deadline)) return {};
    std::string answer(count, '\0');
    if (!transferAll(s.get(), answer.data(), count, false, deadline)) return {};
    return answer;
}

// The server side's answer, or "" when it cannot be reached (refused, no such
// port), does not answer within `timeout` (which bounds the whole exchange),
// closes early or breaks the framing. An empty answer is exactly what the
// plug-in must be told when nothing came back. Never throws.
std::string relayRequest(const std::string& request, uint16_t port, std::chrono::milliseconds timeout) noexcept {
    try {
        if (port == 0 || timeout.count() <= 0) return {};
        const auto bounded = std::min<std::chrono::milliseconds>(timeout, std::chrono::hours(24));
        return exchange(request, port, Clock::now() + bounded);
    } catch (...) {
        return {};  // out of memory: as good as no answer
    }
}

// --- Screenshots of the host's window -------------------------------------------

bool endsWithBmp(const std::wstring& path) {
    return path.size() >= 4 && _wcsicmp(path.c_str() + path.size() - 4, L".bmp") == 0;
}

// The platform's own image encoder writes the file: PNG, or BMP by name.
std::string encodeImage(const std::wstring& path, int width, int height, BYTE* bits, UINT stride) {
    win::ComPtr<IWICImagingFactory> factory;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                factory.putVoid())))
        return "no image encoder";
    win::ComPtr<IWICStream> stream;
    win::ComPtr<IWICBitmapEncoder> encoder;
    win::ComPtr<IWICBitmapFrameEncode> frame;
    const GUID& format = endsWithBmp(path) ? GUID_ContainerFormatBmp : GUID_ContainerFormatPng;
    if (FAILED(factory->CreateStream(stream.put())) ||
        FAILED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE)))
        return "cannot write the file";
    WICPixelFormatGUID pixels = GUID_WICPixelFormat24bppBGR;
    const UINT size = stride * static_cast<UINT>(height);
    if (FAILED(factory->CreateEncoder(format, nullptr, encoder.put())) ||
        FAILED(encoder->Initialize(stream.get(), WICBitmapEncoderNoCache)) ||
        FAILED(encoder->CreateNewFrame(frame.put(), nullptr)) || FAILED(frame->Initialize(nullptr)) ||
        FAILED(frame->SetSize(static_cast<UINT>(width), static_cast<UINT>(height))) ||
        FAILED(frame->SetPixelFormat(&pixels)) || pixels != GUID_WICPixelFormat24bppBGR ||
        FAILED(frame->WritePixels(static_cast<UINT>(height), stride, size, bits)) || FAILED(frame->Commit()) ||
        FAILED(encoder->Commit()))
        return "cannot encode the image";
    return {};
}

// Writes the bytes to the file, replacing it; false when it cannot.
bool writeWholeFile(const std::wstring& path, const std::string& bytes) {
    win::FileHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    return bytes.empty() || (WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                             written == bytes.size());
}

// Captures the window's client area, children included, as the screen shows
// it, into `path`: a BMP file when the name ends in ".bmp" (any case), else
// PNG. Returns "" when it worked, else why not.
std::string captureWindow(HWND window, const std::wstring& path) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT client{};
    GetClientRect(window, &client);
    const int width = client.right, height = client.bottom;
    if (width <= 0 || height <= 0) return "the window has no area to capture";
    win::WindowDC source(window);
    win::MemoryDC memory(CreateCompatibleDC(source.get()));
    if (!source.get() || !memory) return "no device context";
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    win::GdiBitmap dib(CreateDIBSection(memory.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dib || !bits) return "cannot create the capture bitmap";
    {
        win::ScopedSelect selected(memory.get(), dib.get());
        if (!BitBlt(memory.get(), 0, 0, width, height, source.get(), 0, 0, SRCCOPY)) return "BitBlt failed";
        GdiFlush();
    }
    const UINT stride = (static_cast<UINT>(width) * 3 + 3) & ~3u;
    return encodeImage(path, width, height, static_cast<BYTE*>(bits), stride);
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

    // Commands (the table in execute) and the longer ones' bodies.
    void execute(const script::Line& line);
    std::optional<std::vector<std::string>> args(const std::string& rest, size_t count);
    void report(const std::string& failure);  // a driver's failure, if any
    void load(const std::string& rest);
    void privis(const std::string& rest, bool nullNames);
    void click(const std::string& rest, bool release);
    void dump(const std::string& rest);
    void relay(const std::string& rest);
    void dumpFile(const std::string& rest);
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

// Every command: its name, the number of arguments it takes (kRaw: it reads
// the rest of its line itself, handed over as the one argument) and what it does.
void ScriptHost::execute(const script::Line& line) {
    using Args = std::vector<std::string>;
    constexpr int kRaw = -1;
    struct Command {
        std::string_view name;
        int words;
        void (*run)(ScriptHost& h, const Args& a);
    };
    static const Command kCommands[] = {
        {"key", 1, [](ScriptHost& h, const Args& a) { h.key_ = a[0]; }},
        {"edition", 1, [](ScriptHost& h, const Args& a) { h.edition_ = a[0]; }},
        {"pdat", kRaw,
         [](ScriptHost& h, const Args& a) {
             if (a[0] == "short")
                 h.nextPdat_ = Pdat::Short;
             else if (a[0] == "scalar")
                 h.nextPdat_ = Pdat::Scalar;
             else if (a[0] == "full")
                 h.nextPdat_ = Pdat::Full;
             else
                 h.fail("expects short, scalar or full");
         }},
        {"load", kRaw, [](ScriptHost& h, const Args& a) { h.load(a[0]); }},
        {"hide", 0,
         [](ScriptHost& h, const Args&) {
             VARIANT missing = missingArgument();
             h.checked("HideInterface", h.plugin_->HideInterface(&missing));
         }},
        {"privilege", kRaw,
         [](ScriptHost& h, const Args& a) {
             const auto text = script::unescape(a[0]);
             const auto privilege = text ? script::parsePrivilege(*text) : std::nullopt;
             if (!privilege) return h.fail("expects NAME=VALUE with a whole number as VALUE");
             h.privileges_->set(win::widen(privilege->name), privilege->value);
         }},
        {"privileges-clear", 0, [](ScriptHost& h, const Args&) { h.privileges_->clear(); }},
        {"privis", kRaw, [](ScriptHost& h, const Args& a) { h.privis(a[0], false); }},
        {"privis-null", kRaw, [](ScriptHost& h, const Args& a) { h.privis(a[0], true); }},
        {"text", kRaw,
         [](ScriptHost& h, const Args& a) {
             // "text NAME" alone empties the box.
             const auto w = h.args(a[0].find(' ') == std::string::npos ? a[0] + " " : a[0], 2);
             if (w) h.report(h.driver_->type((*w)[0], (*w)[1]));
         }},
        {"set", 2,
         [](ScriptHost& h, const Args& a) {
             const auto value = script::parseInteger(a[1], INT32_MIN, INT32_MAX);
             if (!value) return h.fail("expects a whole number");
             h.report(h.driver_->setValue(a[0], static_cast<int>(*value)));
         }},
        {"select", 3,
         [](ScriptHost& h, const Args& a) {
             const auto index = script::parseInteger(a[1], 0, INT32_MAX);
             if (!index || (a[2] != "0" && a[2] != "1")) return h.fail("expects LIST INDEX 0|1");
             h.report(h.driver_->select(a[0], static_cast<int>(*index), a[2] == "1"));
         }},
        {"click", kRaw, [](ScriptHost& h, const Args& a) { h.click(a[0], true); }},
        {"press", kRaw, [](ScriptHost& h, const Args& a) { h.click(a[0], false); }},
        {"tab", 1,
         [](ScriptHost& h, const Args& a) {
             if (a[0].empty()) return h.fail("expects a page index or caption");
             h.report(h.driver_->clickTab(a[0]));
         }},
        {"page", 0,
         [](ScriptHost& h, const Args&) {
             std::string pages;
             if (auto failure = h.driver_->pageLine(pages); !failure.empty()) return h.fail(failure);
             h.print(pages);
         }},
        {"dump", kRaw, [](ScriptHost& h, const Args& a) { h.dump(a[0]); }},
        {"items", 1,
         [](ScriptHost& h, const Args& a) {
             std::string items;
             if (auto failure = h.driver_->items(a[0], items); !failure.empty()) return h.fail(failure);
             h.print(items);
         }},
        {"window", 0, [](ScriptHost& h, const Args&) { h.print(h.driver_->windowLine()); }},
        {"marks", 0,
         [](ScriptHost& h, const Args&) {
             std::vector<std::string> lines;
             if (auto failure = h.driver_->marks(lines); !failure.empty()) return h.fail(failure);
             for (const std::string& l : lines) h.print(l);
         }},
        {"reply", kRaw,
         [](ScriptHost& h, const Args& a) {
             const auto text = script::unescape(a[0]);
             if (!text) return h.fail("has a bad escape");
             h.remoteData(win::widen(*text));
         }},
        {"relay", kRaw, [](ScriptHost& h, const Args& a) { h.relay(a[0]); }},
        {"wait", 0, [](ScriptHost& h, const Args&) { h.settle(); }},
        {"dialog", kRaw,
         [](ScriptHost& h, const Args& a) {
             const auto text = script::unescape(a[0]);
             if (!text) return h.fail("has a bad escape");
             h.dialogAnswers_.push_back(*text);
         }},
        {"screenshot", kRaw,
         [](ScriptHost& h, const Args& a) {
             const auto w = h.args(a[0], 1);
             if (!w || w->front().empty()) return h.fail("expects a file name");
             h.settle();
             if (auto failure = captureWindow(h.window_.get(), h.resolve(w->front())); !failure.empty())
                 return h.fail(failure);
             h.print(event("shot", {w->front()}));
         }},
        {"sleep", kRaw,
         [](ScriptHost& h, const Args& a) {
             const auto ms = script::parseInteger(a[0], 0, 600'000);
             if (!ms) return h.fail("expects milliseconds");
             h.pumpFor(static_cast<DWORD>(*ms));
         }},
        {"quit", 0, [](ScriptHost& h, const Args&) { h.quit_ = true; }},
        // The host is handed to a person: the boxes and file dialogs are theirs
        // to answer (still reported), and the host runs until its window is closed.
        {"interactive", 0,
         [](ScriptHost& h, const Args&) {
             h.answerer_->setAnswering(false);
             while (!h.quit_) {
                 h.pumpPending();
                 if (!h.quit_) MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
             }
         }},
        {"echo", 1, [](ScriptHost& h, const Args& a) { h.print(event("echo", {a[0]})); }},
        {"write-file", 2,
         [](ScriptHost& h, const Args& a) {
             const std::wstring path = h.resolve(a[0]);
             createParents(path);
             if (!writeWholeFile(path, a[1])) h.fail("cannot write " + a[0]);
         }},
        {"dump-file", kRaw, [](ScriptHost& h, const Args& a) { h.dumpFile(a[0]); }},
    };
    command_ = line.command;
    const auto found = std::find_if(std::begin(kCommands), std::end(kCommands),
                                    [&](const Command& c) { return c.name == line.command; });
    if (found == std::end(kCommands)) return print(event("error", {"unknown command: " + line.command}));
    if (found->words == kRaw) return found->run(*this, {line.rest});
    if (const auto a = args(line.rest, static_cast<size_t>(found->words))) found->run(*this, *a);
}

std::optional<std::vector<std::string>> ScriptHost::args(const std::string& rest, size_t count) {
    auto parsed = script::arguments(rest, count);
    if (!parsed)
        fail("needs " + std::to_string(count) + " argument" + (count == 1 ? "" : "s") + ", or has a bad escape");
    return parsed;
}

void ScriptHost::report(const std::string& failure) {
    if (!failure.empty()) fail(failure);
}

void ScriptHost::load(const std::string& rest) {
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
        V_BSTR(&pdat.get()) = win::toBstr(key_).release();
    } else {
        const LONG count = shape == Pdat::Short ? 1 : 2;
        win::SafeArray array(SafeArrayCreateVector(VT_VARIANT, 0, count));
        if (!array) return fail("out of memory");
        const std::string* texts[] = {&key_, &edition_};
        for (LONG i = 0; i < count; ++i) {
            win::Variant element;
            V_VT(element.put()) = VT_BSTR;
            V_BSTR(&element.get()) = win::toBstr(*texts[i]).release();
            SafeArrayPutElement(array.get(), &i, &element.get());
        }
        V_VT(pdat.put()) = VT_ARRAY | VT_VARIANT;
        V_ARRAY(&pdat.get()) = array.release();
    }
    VARIANT missing = missingArgument();
    checked("LoadInterface",
            plugin_->LoadInterface(static_cast<LONG>(*index), HandleToLong(window_.get()), &pdat.get(), &missing));
}

void ScriptHost::privis(const std::string& rest, bool nullNames) {
    if (rest != "user" && rest != "admin") return fail("expects user or admin");
    IDispatch* names = nullNames ? nullptr : privileges_.get();
    IDispatch* values = values_.get();
    checked("SetPrivis", plugin_->SetPrivis(&names, &values, rest == "admin" ? VARIANT_TRUE : VARIANT_FALSE));
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
    report(driver_->click(control->name, control->element, button, release));
}

void ScriptHost::dump(const std::string& rest) {
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

void ScriptHost::relay(const std::string& rest) {
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

void ScriptHost::dumpFile(const std::string& rest) {
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
