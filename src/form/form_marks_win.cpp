// The marks on the real windows: a changed setting's caption in bold, a
// warning mark beside a setting that Update would correct, its notice in the
// tooltip. What to show comes from the core (form/marks.h); this file draws.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <utility>

#include "form/form_impl_win.h"
#include "base/text_win.h"

namespace kora::win {

using namespace parts;

namespace {

constexpr int kWarningWidth = 90;  // twips: the narrowest gap beside a control (savVoteMin) is 105
constexpr int kWarningGap = 0;

}  // namespace

HWND Win32Form::captionWindow(Control c) const {
    if (const auto frame = markFrame(c)) return frames_[static_cast<size_t>(*frame)];
    const Control caption = captionControl(c);
    return caption == c ? labels_[index(c)] : controls_[index(caption)];
}

namespace {

Font makeBoldFont(int dpi, int width, bool underlined) {
    return Font(CreateFontW(-MulDiv(825, dpi, 7200), width, 0, 0, FW_BOLD, FALSE, underlined, FALSE, DEFAULT_CHARSET,
                            OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                            L"Tahoma"));
}

LONG textWidth(HDC dc, const std::wstring& text) {
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

}  // namespace

HFONT Win32Form::boldFont(bool underlined) {
    Font& font = underlined ? boldUnderlined_ : bold_;
    if (!font) {
        font = makeBoldFont(dpi_, 0, underlined);
        if (!font) raiseWindowFailure("font");
    }
    return font.get();
}

// A caption that has no room for its bold face gets the bold face narrowed
// until it fits; the few widths needed are made once and kept.
HFONT Win32Form::narrowBoldFont(HDC dc, const std::wstring& text, LONG room, bool underlined) {
    HFONT font = boldFont(underlined);
    ScopedSelect select(dc, font);
    TEXTMETRICW metrics{};
    if (!GetTextMetricsW(dc, &metrics)) return font;
    const LONG needed = textWidth(dc, text) + 1;
    if (needed <= room) return font;
    for (int width = MulDiv(metrics.tmAveCharWidth, room, needed); width > metrics.tmAveCharWidth / 2; --width) {
        const auto key = std::make_pair(width, underlined);
        auto made = std::find_if(narrowBold_.begin(), narrowBold_.end(), [&](const auto& f) { return f.first == key; });
        if (made == narrowBold_.end()) {
            Font narrow = makeBoldFont(dpi_, width, underlined);
            if (!narrow) return font;
            narrowBold_.emplace_back(key, std::move(narrow));
            made = std::prev(narrowBold_.end());
        }
        ScopedSelect trial(dc, made->second.get());
        if (textWidth(dc, text) + 1 <= room) return made->second.get();
    }
    return font;
}

// The rectangle of a child window in the form's client area.
RECT Win32Form::onForm(HWND h) const {
    RECT r{};
    GetWindowRect(h, &r);
    MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// A list's mark compares all its items, and code sets them one at a time (a
// reply or a profile may hold thousands of weapons): the lists are looked at
// once, when the message loop next runs.
void Win32Form::markMayChange(Control c) {
    if (row(c).kind != Kind::MultiList) return showMark(c);
    if (listMarksPending_ || !hwnd_) return;
    listMarksPending_ = PostMessageW(hwnd_, kShowListMarks, 0, 0) != FALSE;
    if (!listMarksPending_) showMark(c);
}

void Win32Form::showMark(Control c) {
    if (!hwnd_ || (!isSetting(c) && !markFrame(c)) || !captionWindow(c)) return;
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
    RECT before = onForm(h);
    SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    // A label is fitted to its caption again, in the font it now has, as it
    // was when it was made: the bold caption may grow into the room beside it.
    const Piece* piece = nullptr;
    for (const Entry& e : entries_)
        if (e.hwnd == h) piece = e.piece;
    if (piece && piece->kind != PieceKind::Frame) {
        WindowDC dc(h);
        if (dc.get()) {
            RECT r;
            {
                ScopedSelect select(dc.get(), font);
                r = fitCaption(*piece, pixels(piece->rect), 0, dc.get());
            }
            if (bold) {
                HFONT fitting = narrowBoldFont(dc.get(), widen(piece->caption), r.right - r.left, underlined);
                if (fitting != font) SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(fitting), FALSE);
            }
            SetWindowPos(h, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    RedrawWindow(hwnd_, &before, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    RECT after = onForm(h);
    RedrawWindow(hwnd_, &after, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
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
    if (!control) return;
    const RECT r = onForm(control);
    const bool shown = (GetWindowLongPtrW(control, GWL_STYLE) & WS_VISIBLE) != 0;
    warning = CreateWindowExW(
        0, L"Static", L"!", WS_CHILD | SS_CENTER | SS_NOTIFY | SS_NOPREFIX | (shown ? WS_VISIBLE : 0),
        r.right + px(kWarningGap), r.top, px(kWarningWidth), r.bottom - r.top, hwnd_, nullptr, codeModule(), nullptr);
    if (!warning) raiseWindowFailure("warning mark");
    SendMessageW(warning, WM_SETFONT, reinterpret_cast<WPARAM>(boldFont(false)), FALSE);
    // Just above the frame it lies on, below the frame's contents: a caption
    // that reaches into its box then paints first, and the mark over it.
    HWND frame = frames_[static_cast<size_t>(row(c).frame)];
    HWND above = frame ? GetWindow(frame, GW_HWNDPREV) : nullptr;
    SetWindowPos(warning, above ? above : HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    tool.uId = reinterpret_cast<UINT_PTR>(warning);
    if (!SendMessageW(tooltip_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool)))
        raiseWindowFailure("tooltip tool");
}

// The warning marks are on the page of their settings.
void Win32Form::followPage() {
    for (Control c : markedControls()) {
        HWND warning = warnings_[index(c)];
        if (!warning || !controls_[index(c)]) continue;
        const bool visible = (GetWindowLongPtrW(controls_[index(c)], GWL_STYLE) & WS_VISIBLE) != 0;
        ShowWindow(warning, visible ? SW_SHOWNA : SW_HIDE);
    }
}

bool Win32Form::isWarning(HWND h) const {
    return h && std::find(warnings_.begin(), warnings_.end(), h) != warnings_.end();
}

}  // namespace kora::win
