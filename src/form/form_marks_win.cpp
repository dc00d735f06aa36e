// The marks on the real windows: a changed setting's caption in the changed
// colour and bold, a warning mark beside a setting that Update would correct,
// its notice in the tooltip. What to show comes from the core (form/marks.h);
// this file draws. Drawing is never worth an operation: a mark that cannot be
// drawn is left out, and the value that changed it is stored all the same.
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

// Comctl32 version 5, which a host without a version 6 manifest gets, refuses
// the larger structure that newer headers declare.
TTTOOLINFOW toolInfo(HWND owner, HWND tool) {
    TTTOOLINFOW info{};
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    info.hwnd = owner;
    info.uId = reinterpret_cast<UINT_PTR>(tool);
    return info;
}

bool intersect(const RECT& a, const RECT& b) {
    RECT both;
    return IntersectRect(&both, &a, &b) != FALSE;
}

}  // namespace

HWND Win32Form::captionWindow(Control c) const {
    if (const auto frame = markFrame(c)) return frames_[static_cast<size_t>(*frame)];
    const Control caption = captionControl(c);
    return caption == c ? labels_[index(c)] : controls_[index(caption)];
}

Font Win32Form::makeFont(int width, bool bold, bool underlined) const {
    return Font(CreateFontW(-MulDiv(825, dpi_, 7200), width, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, underlined, FALSE,
                            DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                            DEFAULT_PITCH | FF_DONTCARE, L"Tahoma"));
}

HFONT Win32Form::captionFont(bool bold, bool underlined) {
    if (!bold) return (underlined ? underlined_ : font_).get();
    Font& font = underlined ? boldUnderlined_ : bold_;
    if (!font) font = makeFont(0, true, underlined);
    if (!font) raiseWindowFailure("font");
    return font.get();
}

// A caption that has no room for its face gets the face narrowed until it
// fits; the few widths needed are made once and kept.
HFONT Win32Form::fittingFont(HDC dc, const std::wstring& text, LONG room, bool bold, bool underlined) {
    HFONT font = captionFont(bold, underlined);
    ScopedSelect select(dc, font);
    TEXTMETRICW metrics{};
    if (!GetTextMetricsW(dc, &metrics)) return font;
    const LONG needed = textWidth(dc, text) + 1;
    if (needed <= room) return font;
    for (int width = MulDiv(metrics.tmAveCharWidth, room, needed); width > metrics.tmAveCharWidth / 2; --width) {
        Font& narrow = narrowFonts_[{width, bold, underlined}];
        if (!narrow) narrow = makeFont(width, bold, underlined);
        if (!narrow) return font;
        ScopedSelect trial(dc, narrow.get());
        if (textWidth(dc, text) + 1 <= room) return narrow.get();
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

void Win32Form::showMark(Control c) noexcept {
    try {
        if (!hwnd_ || (!isSetting(c) && !markFrame(c)) || !captionWindow(c)) return;
        Mark mark = markOf(*this, baseline(), c);
        Mark& shown = marks_[index(c)];
        if (mark.changed != shown.changed) {
            // The colour follows at once (onCtlColor asks isChangedCaption), whatever the font does.
            shown.changed = mark.changed;
            fitCaptionWindow(captionWindow(c));
        }
        if (mark.notice != shown.notice) {
            showWarning(c, mark.notice);
            shown.notice = std::move(mark.notice);
        }
    } catch (...) {
        // Left as it was: the next change of the setting tries again. The
        // caption is painted again in case its colour changed before the failure.
        if (hwnd_ && captionWindow(c)) InvalidateRect(captionWindow(c), nullptr, TRUE);
        OutputDebugStringW(L"Korastand: a mark could not be drawn\n");
    }
}

bool Win32Form::isChangedCaption(HWND h) const {
    const auto marked = markedControls();
    return h && std::any_of(marked.begin(), marked.end(),
                            [&](Control c) { return marks_[index(c)].changed && captionWindow(c) == h; });
}

// A caption label is fitted to its text again in the face it now has (bold
// when its setting changed), beside any warning mark that stands at its left:
// it grows into the room beside it as far as that goes, and narrows its face
// for the rest. A frame's caption only changes its face.
void Win32Form::fitCaptionWindow(HWND h) {
    const auto entry = std::find_if(entries_.begin(), entries_.end(), [h](const Entry& e) { return e.hwnd == h; });
    if (!h || entry == entries_.end()) return;
    const Piece* piece = entry->piece;
    const bool bold = isChangedCaption(h);
    const bool underlined = piece->kind == PieceKind::Label && (row(piece->control).flags & flag::LabelUnderlined);
    HFONT font = captionFont(bold, underlined);
    const RECT before = onForm(h);
    if (piece->kind != PieceKind::Frame) {
        WindowDC dc(h);
        if (!dc.get()) raiseWindowFailure("caption");
        RECT r;
        {
            ScopedSelect select(dc.get(), font);
            r = fitCaption(*piece, pixels(piece->rect), 0, dc.get());
        }
        bool besideMark = false;
        for (HWND warning : warnings_)
            if (warning && intersect(onForm(warning), r)) {
                r.left = std::max(r.left, onForm(warning).right);
                besideMark = true;
            }
        // Otherwise a regular caption is as the form made it.
        if (bold || besideMark) font = fittingFont(dc.get(), widen(piece->caption), r.right - r.left, bold, underlined);
        SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        SetWindowPos(h, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
    } else {
        SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    RedrawWindow(hwnd_, &before, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    const RECT after = onForm(h);
    RedrawWindow(hwnd_, &after, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// The captions of the row to the right of a setting's control, which its
// warning mark may stand in front of.
void Win32Form::refitCaptionsBeside(Control c) {
    const auto entry = std::find_if(entries_.begin(), entries_.end(), [c](const Entry& e) {
        return e.piece->kind == PieceKind::Control && e.piece->control == c;
    });
    if (entry == entries_.end()) return;
    const Piece* control = entry->piece;
    for (const Entry& e : entries_) {
        const Piece& p = *e.piece;
        const bool caption = p.kind == PieceKind::Label || p.kind == PieceKind::StaticLabel ||
                             (p.kind == PieceKind::Control && row(p.control).kind == Kind::Label);
        if (caption && e.hwnd && p.frame == control->frame && p.rect.top == control->rect.top &&
            p.rect.left >= control->rect.left + control->rect.width)
            fitCaptionWindow(e.hwnd);
    }
}

void Win32Form::showWarning(Control c, const std::string& notice) {
    HWND& warning = warnings_[index(c)];
    if (notice.empty()) {
        if (!warning) return;
        TTTOOLINFOW tool = toolInfo(hwnd_, warning);  // a mark has a tool from the moment it is shown
        SendMessageW(tooltip_.get(), TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
        DestroyWindow(std::exchange(warning, nullptr));
        refitCaptionsBeside(c);
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
    TTTOOLINFOW tool = toolInfo(hwnd_, warning);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.lpszText = text.data();
    if (warning) {
        SendMessageW(tooltip_.get(), TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
        return;
    }
    // Beside the control, to its right, as tall as it is.
    HWND control = controls_[index(c)];
    if (!control) return;
    const RECT r = onForm(control);
    const bool shown = (GetWindowLongPtrW(control, GWL_STYLE) & WS_VISIBLE) != 0;
    warning =
        CreateWindowExW(0, L"Static", L"!", WS_CHILD | SS_CENTER | SS_NOTIFY | SS_NOPREFIX | (shown ? WS_VISIBLE : 0),
                        r.right, r.top, px(kWarningWidth), r.bottom - r.top, hwnd_, nullptr, codeModule(), nullptr);
    if (!warning) raiseWindowFailure("warning mark");
    SendMessageW(warning, WM_SETFONT, reinterpret_cast<WPARAM>(captionFont(true, false)), FALSE);
    // Just above the frame it lies on, below the frame's contents.
    HWND frame = frames_[static_cast<size_t>(row(c).frame)];
    HWND above = frame ? GetWindow(frame, GW_HWNDPREV) : nullptr;
    SetWindowPos(warning, above ? above : HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    tool.uId = reinterpret_cast<UINT_PTR>(warning);
    if (!SendMessageW(tooltip_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool))) {
        // A mark whose notice cannot be read is not shown.
        DestroyWindow(std::exchange(warning, nullptr));
        raiseWindowFailure("tooltip tool");
    }
    refitCaptionsBeside(c);
}

}  // namespace kora::win
