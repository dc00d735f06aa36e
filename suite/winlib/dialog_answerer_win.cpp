#include "dialog_answerer_win.h"

#include <commdlg.h>
#include <dlgs.h>

#include <stdexcept>

#include "window_helpers_win.h"

namespace kora::suite {
namespace {

// One answerer per thread; the hook is installed on that thread only.
thread_local DialogAnswerer* t_answerer = nullptr;

// The edit box a user types a file name into: the dialog's own, or the one
// inside its file-name combo box.
HWND fileNameBox(HWND dialog) {
    for (const int id : {cmb13, edt1}) {
        HWND box = GetDlgItem(dialog, id);
        if (!box) continue;
        if (hasClass(box, L"Edit")) return box;
        if (HWND edit = findDescendant(box, L"Edit")) return edit;
    }
    return nullptr;
}

}  // namespace

SeenFileDialog readFileDialog(HWND dialog) {
    SeenFileDialog seen;
    seen.title = windowText(dialog);
    std::wstring folder(32768, L'\0');
    const LRESULT length =
        SendMessageW(dialog, CDM_GETFOLDERPATH, folder.size(), reinterpret_cast<LPARAM>(folder.data()));
    folder.resize(length > 0 ? wcsnlen(folder.c_str(), folder.size()) : 0);
    seen.folder = std::move(folder);
    if (HWND types = GetDlgItem(dialog, cmb1)) {
        const int count = static_cast<int>(SendMessageW(types, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) seen.types += (i ? L"|" : L"") + comboItemText(types, i);
    }
    return seen;
}

bool confirmFileDialog(HWND dialog, std::wstring_view name) {
    HWND box = fileNameBox(dialog);
    if (!box) return false;
    SetFocus(box);
    SendMessageW(box, EM_SETSEL, 0, -1);
    SendMessageW(box, WM_CLEAR, 0, 0);
    for (const wchar_t unit : name) SendMessageW(box, WM_CHAR, unit, 1);
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    return true;
}

void cancelFileDialog(HWND dialog) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
}

bool isFileDialog(HWND dialog) { return GetDlgItem(dialog, cmb13) != nullptr || GetDlgItem(dialog, edt1) != nullptr; }

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
    return passDialogActivation(code, wParam, lParam, [](HWND dialog) {
        if (t_answerer) t_answerer->activated(dialog);
    });
}

void DialogAnswerer::activated(HWND dialog) {
    if (!firstActivation(dialog, L"KorastandHostSeen")) return;
    if (isFileDialog(dialog)) {
        PostMessageW(host_, fileDialogMessage_, 0, reinterpret_cast<LPARAM>(dialog));
        return;
    }
    if (onBox_) onBox_(readBox(dialog));
    // Posted: the box's own loop picks it up once it runs.
    if (answering_) PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

}  // namespace kora::suite
