#include "box_answerer_win.h"

#include <stdexcept>

#include "window_helpers_win.h"

namespace kora::suite {
namespace {

// The answerer of this thread (hooks are per thread; nested answerers stack).
thread_local BoxAnswerer* t_current = nullptr;

}  // namespace

SeenBox readBox(HWND dialog) {
    SeenBox box{windowText(dialog), {}};
    // The message is the dialog's text static; icon statics have no text.
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!hasClass(child, L"Static")) continue;
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

bool firstActivation(HWND dialog, const wchar_t* mark) {
    if (GetPropW(dialog, mark)) return false;
    SetPropW(dialog, mark, reinterpret_cast<HANDLE>(1));
    return true;
}

LRESULT CALLBACK BoxAnswerer::hook(int code, WPARAM wParam, LPARAM lParam) {
    return passDialogActivation(code, wParam, lParam, [](HWND dialog) {
        if (t_current) t_current->answer(dialog);
    });
}

void BoxAnswerer::answer(HWND dialog) {
    if (!firstActivation(dialog, L"KorastandBoxAnswered")) return;
    boxes_.push_back(readBox(dialog));
    const int button = choose_ ? choose_(boxes_.back()) : IDOK;
    // Posted, not sent: the box's own loop picks it up once it is running.
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
}

}  // namespace kora::suite
