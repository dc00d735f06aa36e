// The real Win32 settings form in the test process: a host window to hold it,
// a message pump that runs the dialog keyboard the way the host's loop does,
// and the user's acts on the real controls.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <string_view>

#include "../contract/form_contract.h"
#include "base/text_win.h"
#include "exchange/file_service_win.h"
#include "form/form_win.h"
#include "form/placement.h"
#include "plugin/module_win.h"
#include "style_support.h"
#include "window_helpers_win.h"

namespace kora::testing {

// The form's host window is the tests' one top window (style_support.h).
inline HWND formHostWindow() { return testTopWindow(); }
inline void pumpForm() { pumpMessages(); }

// Creates the form as the module's factory does and shows it inside the host.
inline std::unique_ptr<FormWindow> createShownForm(Module& module, bool developmentMode = false) {
    auto form = win::createModuleForm(module, developmentMode);
    form->setParentWindow(reinterpret_cast<uintptr_t>(formHostWindow()));
    form->show();
    pumpForm();
    return form;
}

inline Win32FormWindows& windowsOf(Module& module) { return *win32Windows(module.form()); }

// The page of SSTab2 a control lies on, or -1 for the form itself.
inline int pageOf(Control c) {
    for (const Piece& p : formPieces())
        if ((p.kind == PieceKind::Control || p.kind == PieceKind::OptionElement) && p.control == c) return p.tab;
    return -1;
}

// Brings the control's page to the front, as a user would before acting.
inline void showPageOf(Module& module, Control c) {
    if (const int page = pageOf(c); page >= 0) module.form().selectTab(page);
    pumpForm();
}

// Holds Ctrl (and Shift) down in this thread's keyboard state while it lives.
class HeldKeys {
public:
    HeldKeys(bool control, bool shift) {
        GetKeyboardState(saved_);
        BYTE keys[256];
        GetKeyboardState(keys);
        const auto hold = [&](int vk, bool on) { keys[vk] = on ? 0x80 : 0; };
        hold(VK_CONTROL, control);
        hold(VK_LCONTROL, control);
        hold(VK_SHIFT, shift);
        hold(VK_LSHIFT, shift);
        SetKeyboardState(keys);
    }
    ~HeldKeys() { SetKeyboardState(saved_); }
    HeldKeys(const HeldKeys&) = delete;
    HeldKeys& operator=(const HeldKeys&) = delete;

private:
    BYTE saved_[256]{};
};

// A key pressed on the focused window, through the message loop.
inline void pressKey(UINT vk) {
    HWND focus = GetFocus();
    PostMessageW(focus, WM_KEYDOWN, vk, 1);
    PostMessageW(focus, WM_KEYUP, vk, 0xC0000001);
    pumpForm();
}

inline HWND countryEdit(Module& module) {
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    GetComboBoxInfo(windowsOf(module).controlWindow(Control::savCountry), &info);
    return info.hwndItem;
}

inline contract::FormRealisation win32Realisation() {
    contract::FormRealisation r;
    r.name = "Win32Form";
    r.create = [](Module& m) { return createShownForm(m); };
    r.files = [] { return std::make_shared<win::Win32FileService>(); };
    r.clickCheck = [](Module& m, Control c) {
        showPageOf(m, c);
        SendMessageW(windowsOf(m).controlWindow(c), BM_CLICK, 0, 0);
        pumpForm();
    };
    r.clickOption = [](Module& m, Control c, int element) {
        showPageOf(m, c);
        SendMessageW(windowsOf(m).controlWindow(c, element), BM_CLICK, 0, 0);
        pumpForm();
    };
    r.clickItem = [](Module& m, Control c, int item) {
        showPageOf(m, c);
        HWND list = windowsOf(m).controlWindow(c);
        SendMessageW(list, LB_SETTOPINDEX, static_cast<WPARAM>(item), 0);
        RECT at{};
        SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&at));
        const LPARAM point = MAKELPARAM((at.left + at.right) / 2, (at.top + at.bottom) / 2);
        SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, point);
        SendMessageW(list, WM_LBUTTONUP, 0, point);
        pumpForm();
    };
    r.scrollPlayersDown = [](Module& m) {
        HWND list = windowsOf(m).controlWindow(Control::savPlayers);
        SendMessageW(list, WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), 0);
        SendMessageW(list, WM_VSCROLL, MAKEWPARAM(SB_ENDSCROLL, 0), 0);
        pumpForm();
    };
    r.typeCountry = [](Module& m, std::string_view text) {
        HWND edit = countryEdit(m);
        SetFocus(edit);
        SendMessageW(edit, EM_SETSEL, 0, -1);
        for (wchar_t ch : win::widen(text)) SendMessageW(edit, WM_CHAR, ch, 1);
        pumpForm();
    };
    return r;
}

}  // namespace kora::testing
