#include "dialog_answerer_win.h"

#include <dlgs.h>

#include <stdexcept>

namespace kora::suite {
namespace {

// One answerer per thread; the hook is installed on that thread only.
thread_local DialogAnswerer* t_answerer = nullptr;

bool isDialogClass(HWND window) {
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    return lstrcmpW(name, L"#32770") == 0;
}

}  // namespace

bool isFileDialog(HWND dialog) {
    return GetDlgItem(dialog, cmb13) != nullptr || GetDlgItem(dialog, edt1) != nullptr;
}

DialogAnswerer::DialogAnswerer(HWND host, UINT fileDialogMessage, BoxSeen onBox)
    : host_(host), fileDialogMessage_(fileDialogMessage), onBox_(std::move(onBox)) {
    if (t_answerer) throw std::logic_error("one dialog answerer per thread");
    hook_.reset(SetWindowsHookExW(WH_CBT, &DialogAnswerer::hook, nullptr, GetCurrentThreadId()));
    if (!hook_) throw std::runtime_error("cannot install the dialog hook");
    t_answerer = this;
}

DialogAnswerer::~DialogAnswerer() {
    hook_.reset();
    t_answerer = nullptr;
}

LRESULT CALLBACK DialogAnswerer::hook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && t_answerer) {
        try {
            const auto dialog = reinterpret_cast<HWND>(wParam);
            if (isDialogClass(dialog)) t_answerer->activated(dialog);
        } catch (...) {
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void DialogAnswerer::activated(HWND dialog) {
    // A dialog is activated again whenever a box it owns closes: once is enough.
    static constexpr wchar_t kSeen[] = L"KorastandHostSeen";
    if (GetPropW(dialog, kSeen)) return;
    SetPropW(dialog, kSeen, reinterpret_cast<HANDLE>(1));
    if (isFileDialog(dialog)) {
        PostMessageW(host_, fileDialogMessage_, 0, reinterpret_cast<LPARAM>(dialog));
        return;
    }
    if (onBox_) onBox_(readBox(dialog));
    // Posted: the box's own loop picks it up once it runs.
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

}  // namespace kora::suite
