// The marks on the real windows: a changed setting's caption in bold, a
// warning mark beside a setting that Update would correct, its notice in the
// tooltip. What to show comes from the core (form/marks.h); this file draws.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "form/form_impl_win.h"
#include "plugin/text_win.h"

namespace kora::win {

using namespace parts;

namespace {

constexpr int kWarningWidth = 105;  // twips
constexpr int kWarningGap = 15;

}  // namespace

HWND Win32Form::captionWindow(Control c) const {
    if (const auto frame = markFrame(c)) return frames_[static_cast<size_t>(*frame)];
    const Control caption = captionControl(c);
    return caption == c ? labels_[index(c)] : controls_[index(caption)];
}

HFONT Win32Form::boldFont(bool underlined) {
    Font& font = underlined ? boldUnderlined_ : bold_;
    if (!font) {
        font = Font(CreateFontW(-MulDiv(825, dpi_, 7200), 0, 0, 0, FW_BOLD, FALSE, underlined, FALSE,
                                DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                DEFAULT_PITCH | FF_DONTCARE, L"Tahoma"));
        if (!font) raiseWindowFailure("font");
    }
    return font.get();
}

void Win32Form::showMark(Control c) {
    if (!hwnd_ || (!isSetting(c) && !markFrame(c)) || !controls_[index(c)]) return;
    Mark mark = markOf(*this, baseline(), c);
    Mark& shown = marks_[index(c)];
    if (mark.changed != shown.changed) boldCaption(c, mark.changed);
    if (mark.notice != shown.notice) showWarning(c, mark.notice);
    shown = std::move(mark);
}

void Win32Form::boldCaption(Control c, bool bold) {
    HWND h = captionWindow(c);
    if (!h) return;
    const bool underlined = !markFrame(c) && (row(c).flags & flag::LabelUnderlined) != 0;
    HFONT font = bold ? boldFont(underlined) : (underlined ? underlined_ : font_).get();
    SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (bold && !markFrame(c)) {
        // The caption was fitted to its regular width; the bold one may grow
        // to the right, as far as the room the placement left it.
        style::WindowDC dc(h);
        if (dc.get()) {
            style::ScopedSelect select(dc.get(), font);
            const std::wstring text = windowText(h);
            SIZE size{};
            GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
            RECT r;
            GetWindowRect(h, &r);
            MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
            LONG room = size.cx + 1;
            for (const Entry& e : entries_)
                if (e.hwnd == h) room = std::min(room, static_cast<LONG>(px(e.piece->room) - MulDiv(2, dpi_, 96)));
            if (room > r.right - r.left)
                SetWindowPos(h, nullptr, 0, 0, room, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    RECT r;
    GetWindowRect(h, &r);
    MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
    RedrawWindow(hwnd_, &r, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void Win32Form::showWarning(Control c, const std::string& notice) {
    HWND& warning = warnings_[index(c)];
    if (notice.empty()) {
        if (!warning) return;
        if (tooltip_) {
            TTTOOLINFOW tool{};
            tool.cbSize = sizeof tool;
            tool.hwnd = hwnd_;
            tool.uId = reinterpret_cast<UINT_PTR>(warning);
            SendMessageW(tooltip_.get(), TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
        }
        DestroyWindow(std::exchange(warning, nullptr));
        return;
    }
    std::wstring text = widen(notice);
    if (!tooltip_) {
        tooltip_ = Window(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                          WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                                          CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, codeModule(), nullptr));
        if (!tooltip_) raiseWindowFailure("tooltip");
        SendMessageW(tooltip_.get(), TTM_SETMAXTIPWIDTH, 0, px(4320));
    }
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = hwnd_;
    tool.lpszText = text.data();
    if (warning) {
        tool.uId = reinterpret_cast<UINT_PTR>(warning);
        SendMessageW(tooltip_.get(), TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
        return;
    }
    // Beside the control, to its right, as tall as it is.
    HWND control = controls_[index(c)];
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
    const bool shown = (GetWindowLongPtrW(control, GWL_STYLE) & WS_VISIBLE) != 0;
    warning = CreateWindowExW(0, L"Static", L"!", WS_CHILD | SS_CENTER | SS_NOTIFY | SS_NOPREFIX | (shown ? WS_VISIBLE : 0),
                              r.right + px(kWarningGap), r.top, px(kWarningWidth), r.bottom - r.top, hwnd_, nullptr,
                              codeModule(), nullptr);
    if (!warning) raiseWindowFailure("warning mark");
    SendMessageW(warning, WM_SETFONT, reinterpret_cast<WPARAM>(boldFont(false)), FALSE);
    // Above the frame it lies on.
    SetWindowPos(warning, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    tool.uId = reinterpret_cast<UINT_PTR>(warning);
    if (!SendMessageW(tooltip_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool)))
        raiseWindowFailure("tooltip tool");
}

// The warning marks are on the page of their settings.
void Win32Form::followPage() {
    for (Control c : markedControls()) {
        HWND warning = warnings_[index(c)];
        if (!warning) continue;
        const bool visible = (GetWindowLongPtrW(controls_[index(c)], GWL_STYLE) & WS_VISIBLE) != 0;
        ShowWindow(warning, visible ? SW_SHOWNA : SW_HIDE);
    }
}

bool Win32Form::isWarning(HWND h) const { return h && std::find(warnings_.begin(), warnings_.end(), h) != warnings_.end(); }

}  // namespace kora::win
