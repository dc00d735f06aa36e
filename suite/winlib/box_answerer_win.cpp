#include "box_answerer_win.h"

#include <stdexcept>

namespace kora::suite {
namespace {

// The answerer of this thread (hooks are per thread; nested answerers stack).
thread_local BoxAnswerer* t_current = nullptr;

std::wstring windowText(HWND window) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::wstring className(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

}  // namespace

SeenBox readBox(HWND dialog) {
    SeenBox box{windowText(dialog), {}};
    // The message is the dialog's text static; icon statics have no text.
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (_wcsicmp(className(child).c_str(), L"Static") != 0) continue;
        if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) continue;
        std::wstring text = windowText(child);
        if (!text.empty()) {
            box.text = std::move(text);
            break;
        }
    }
    return box;
}

BoxAnswerer::BoxAnswerer(Chooser choose) : choose_(std::move(choose)), previous_(t_current) {
    hook_.reset(SetWindowsHookExW(WH_CBT, &BoxAnswerer::hook, nullptr, GetCurrentThreadId()));
    if (!hook_) throw std::runtime_error("cannot install the box hook");
    t_current = this;
}

BoxAnswerer::~BoxAnswerer() {
    hook_.reset();
    t_current = previous_;
}

LRESULT CALLBACK BoxAnswerer::hook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && t_current) {
        try {
            const auto dialog = reinterpret_cast<HWND>(wParam);
            if (className(dialog) == L"#32770") t_current->answer(dialog);
        } catch (...) {
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void BoxAnswerer::answer(HWND dialog) {
    // A dialog is activated again after each box it owns closes: answer once.
    static constexpr wchar_t kAnswered[] = L"KorastandBoxAnswered";
    if (GetPropW(dialog, kAnswered)) return;
    SetPropW(dialog, kAnswered, reinterpret_cast<HANDLE>(1));
    boxes_.push_back(readBox(dialog));
    const int button = choose_ ? choose_(boxes_.back()) : IDOK;
    // Posted, not sent: the box's own loop picks it up once it is running.
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
}

}  // namespace kora::suite
