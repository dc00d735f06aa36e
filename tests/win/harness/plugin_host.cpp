#include "plugin_host.h"

#include <windows.h>
#include <psapi.h>

#include "base/module_path_win.h"
#include "base/text_win.h"
#include "server_settings.h"
#include "window_helpers_win.h"

#include <cstdlib>
#include <cstring>

namespace kora::harness {
namespace {

constexpr UINT kFileDialog = WM_APP + 41;  // lParam: the dialog's window
constexpr wchar_t kHostClass[] = L"KoraHarnessHost";

// One host window per process, never destroyed: under Xvfb without a window
// manager Wine can wait for, or lose track of, a visible top-level window that
// is destroyed. Each PluginHost takes it over while it lives.
HWND createHostWindow(WNDPROC procedure) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = procedure;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kHostClass;
    RegisterClassW(&wc);
    const SIZE frame = suite::scaledFrameSize(750, 440, WS_OVERLAPPEDWINDOW);
    return CreateWindowExW(WS_EX_CONTROLPARENT, kHostClass, L"Korastand harness",
                           WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0, frame.cx, frame.cy, nullptr,
                           nullptr, GetModuleHandleW(nullptr), nullptr);
}

win::Variant pdatOf(const std::wstring& key, const std::wstring& edition) {
    win::Variant pdat;
    win::SafeArray array = win::SafeArray::attach(SafeArrayCreateVector(VT_VARIANT, 0, 2));
    const std::wstring* texts[] = {&key, &edition};
    for (LONG i = 0; i < 2; ++i) {
        win::Variant element;
        V_VT(element.put()) = VT_BSTR;
        V_BSTR(&element.get()) = SysAllocStringLen(texts[i]->data(), static_cast<UINT>(texts[i]->size()));
        SafeArrayPutElement(array.get(), &i, &element.get());
    }
    V_VT(pdat.put()) = VT_ARRAY | VT_VARIANT;
    V_ARRAY(&pdat.get()) = array.release();
    return pdat;
}

}  // namespace

PluginHost::PluginHost() {
    static HWND window = createHostWindow(&PluginHost::procedure);
    window_ = window;
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    UpdateWindow(window_);
    driver_ = suite::FormDriver(window_);
    relay_ = std::make_unique<suite::RelayWindow>([this](const suite::RelayRequest& r) {
        lastRequestAt = Clock::now();
        requests.push_back(r);
        return true;
    });
    answerer_ = std::make_unique<suite::DialogAnswerer>(window_, kFileDialog,
                                                        [this](const suite::SeenBox& box) { boxes.push_back(box); });
}

PluginHost::~PluginHost() {
    release();
    answerer_.reset();
    relay_.reset();
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
}

bool PluginHost::create() {
    CLSID clsid{};
    if (FAILED(CLSIDFromProgID(L"zelrcKORA.clsPlugin", &clsid))) return false;
    plugin_.reset();
    return SUCCEEDED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID__clsPlugin, plugin_.putVoid()));
}

void PluginHost::release() {
    plugin_.reset();
    // The library stays loaded while its form lies in the host's window; the
    // window here outlives every host, so the form goes as closing it would
    // take it.
    if (HWND form = driver_.form(); form && GetParent(form) == window_) DestroyWindow(form);
    CoFreeUnusedLibrariesEx(0, 0);
    CoFreeUnusedLibrariesEx(0, 0);
    pump();
}

HRESULT PluginHost::load(long index, const std::wstring& key, const std::wstring& edition) {
    win::Variant pdat = pdatOf(key, edition);
    VARIANT missing;
    VariantInit(&missing);
    V_VT(&missing) = VT_ERROR;
    V_ERROR(&missing) = DISP_E_PARAMNOTFOUND;
    return plugin_->LoadInterface(index, HandleToLong(window_), &pdat.get(), &missing);
}

HRESULT PluginHost::reply(const std::wstring& text) {
    BSTR data = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    const HRESULT hr = plugin_->RemoteData(&data);
    SysFreeString(data);
    return hr;
}

void PluginHost::pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (IsDialogMessageW(window_, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void PluginHost::paint() {
    RedrawWindow(window_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    pump();
}

void PluginHost::onFileDialog(HWND dialog) {
    if (!IsWindow(dialog)) return;
    std::wstring answer;
    if (!dialogAnswers_.empty()) {
        answer = std::move(dialogAnswers_.front());
        dialogAnswers_.pop_front();
    }
    if (answer.empty() || !suite::confirmFileDialog(dialog, answer)) suite::cancelFileDialog(dialog);
}

LRESULT CALLBACK PluginHost::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<PluginHost*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == kFileDialog && self) {
        try {
            self->onFileDialog(reinterpret_cast<HWND>(lParam));
        } catch (...) {}
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

std::wstring exeFolder() {
    const std::wstring exe = win::moduleFileName(nullptr);
    return exe.substr(0, exe.rfind(L'\\'));
}

suite::ServerSettings fullServer(int weapons, size_t messageBytes) {
    suite::ServerSettings s = suite::defaultServer();
    for (int i = static_cast<int>(s.weapons.size()); i < weapons; ++i)
        s.weapons.push_back({"Field Issue Weapon No. " + std::to_string(i), i % 5 != 0});
    if (static_cast<int>(s.weapons.size()) > weapons) s.weapons.resize(static_cast<size_t>(weapons));
    s.roles = {true, true, false, true, true};
    if (messageBytes) {
        s.hostMessage.clear();
        for (size_t i = 0; s.hostMessage.size() < messageBytes; ++i)
            s.hostMessage += i % 64 == 63 ? std::string("\r\n") : std::string(1, static_cast<char>('a' + i % 26));
        s.hostMessage.resize(messageBytes);
    }
    return s;
}

std::string fullReply(int weapons, size_t messageBytes) {
    return suite::settingsReply(fullServer(weapons, messageBytes));
}

size_t privateBytes() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
    if (counters.PrivateUsage) return counters.PrivateUsage;
    // Wine leaves PrivateUsage 0; the Wine process is a Linux process, whose
    // own account of its private pages is readable through Z:.
    HANDLE file = CreateFileW(L"Z:\\proc\\self\\smaps_rollup", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    std::string text;
    char chunk[4096];
    DWORD read = 0;
    while (ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read > 0) text.append(chunk, read);
    CloseHandle(file);
    const std::string* rollup = &text;
    size_t bytes = 0;
    for (const char* field : {"Private_Clean:", "Private_Dirty:"}) {
        const size_t at = rollup->find(field);
        if (at != std::string::npos)
            bytes += std::strtoull(rollup->c_str() + at + std::strlen(field), nullptr, 10) * 1024;
    }
    return bytes;
}

int freeGdiCapacity() {
    std::vector<HBITMAP> made;
    made.reserve(70000);
    for (;;) {
        HBITMAP b = CreateBitmap(1, 1, 1, 1, nullptr);
        if (!b) break;
        made.push_back(b);
        if (made.size() >= 200000) break;  // no limit in sight: stop counting
    }
    for (HBITMAP b : made) DeleteObject(b);
    return static_cast<int>(made.size());
}

}  // namespace kora::harness
