// The Win32 form's messages: the form window's procedure, the controls'
// notifications handed to the core's event functions, colours, the few
// subclassed controls, and Frame3's own painting.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <utility>

#include "form/automation_win.h"
#include "form/behaviours.h"
#include "form/form_impl_win.h"
#include "base/text_win.h"

namespace kora::win {

using namespace parts;

LRESULT Win32Form::handle(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_NCCREATE: hwnd_ = hwnd; break;
    case WM_COMMAND:
        if (lp) onCommand(LOWORD(wp), HIWORD(wp));
        return 0;
    case WM_NOTIFY: {
        const auto& nm = *reinterpret_cast<const NMHDR*>(lp);
        if (nm.hwndFrom == tabs_ && nm.code == static_cast<UINT>(TCN_SELCHANGE))
            showPage(static_cast<int>(SendMessageW(tabs_, TCM_GETCURSEL, 0, 0)));
        return 0;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX: return onCtlColor(msg, reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp));
    case WM_ERASEBKGND: return eraseToBack(hwnd, reinterpret_cast<HDC>(wp));
    case WM_SETCURSOR:
        if (mousePointer_ == FormWindow::kHourglass) {
            SetCursor(LoadCursorW(nullptr, IDC_WAIT));
            return TRUE;
        }
        break;
    case WM_NEXTDLGCTL:
        if (LOWORD(lp)) {
            SetFocus(reinterpret_cast<HWND>(wp));
        } else {
            // From a multi-line text box that passes Tab on.
            HWND focus = GetFocus();
            while (focus && GetParent(focus) != hwnd_) focus = GetParent(focus);
            if (HWND next = GetNextDlgTabItem(hwnd_, focus, wp != 0)) SetFocus(next);
        }
        return 0;
    case kSyncCountry: syncCountrySelection(false); return 0;
    case kResumeRedraw: resumeRedraw(); return 0;
    case kShowListMarks:
        listMarksPending_ = false;
        showMark(Control::lstRoles);
        showMark(Control::lstWeapons);
        return 0;
    case WM_DESTROY:
        // Destroyed from outside (the host's window went first): the hook
        // still goes before the tab control does.
        if (std::exchange(hooked_, false)) style::UnhookGrid(tabs_);
        break;
    case WM_NCDESTROY: hwnd_ = nullptr; break;
    default:
        // The host stand-in and the window tests reach the controls by name.
        if (msg == automationMessage()) return answerAutomation(lp);
        break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

void Win32Form::onCommand(int id, int code) {
    const int at = id - kFirstId;
    if (at < 0 || at >= static_cast<int>(entries_.size())) return;
    const Piece& piece = *entries_[static_cast<size_t>(at)].piece;
    if (piece.kind == PieceKind::OptionElement) {
        // A radio button also "clicks" when it merely receives the focus;
        // only a real click or Space chooses.
        if (code == BN_CLICKED && !focusingOption_) userClickOption(module_, *this, piece.control, piece.element);
        return;
    }
    if (piece.kind != PieceKind::Control) return;
    switch (row(piece.control).kind) {
    case Kind::Check:
        if (code == BN_CLICKED) userClickCheck(module_, *this, piece.control);
        break;
    // What the user changes in the control itself reaches the core through no
    // setter: the marks look again.
    case Kind::Text:
        if (code == EN_CHANGE) showMark(piece.control);
        break;
    case Kind::Combo:
        if (code == CBN_SELCHANGE) showMark(piece.control);
        break;
    case Kind::List:
    case Kind::MultiList:
        if (code == LBN_SELCHANGE) showMark(piece.control);
        break;
    case Kind::EditCombo:
        if (code == CBN_EDITCHANGE)
            syncCountrySelection(true);
        else if (code == CBN_SELCHANGE || code == CBN_CLOSEUP || code == CBN_SELENDCANCEL)
            // The combo box writes its edit text after notifying.
            PostMessageW(hwnd_, kSyncCountry, 0, 0);
        break;
    default: break;
    }
}

// savCountry's index always matches its text: the item that equals the text
// exactly (case-sensitive), or none.
void Win32Form::syncCountrySelection(bool keepCaret) {
    if (syncingCountry_ || !hwnd_) return;
    syncingCountry_ = true;
    HWND combo = handleOf(Control::savCountry);
    const std::wstring text = windowText(combo);
    const int match = exactItem(Control::savCountry, narrow(text));
    if (match != static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0))) {
        DWORD start = 0, end = 0;
        SendMessageW(combo, CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(match), 0);
        if (match < 0) SetWindowTextW(combo, text.c_str());  // no selection empties the edit box
        if (keepCaret) SendMessageW(combo, CB_SETEDITSEL, 0, MAKELPARAM(start, end));
    }
    syncingCountry_ = false;
    showMark(Control::savCountry);
}

LRESULT Win32Form::onCtlColor(UINT msg, HDC dc, HWND child) {
    SetTextColor(dc, kBlack);
    if (msg == WM_CTLCOLOREDIT || msg == WM_CTLCOLORLISTBOX || isEditWindow(child)) {
        if (!IsWindowEnabled(child)) SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
        SetBkColor(dc, kWhite);
        return reinterpret_cast<LRESULT>(white_.get());
    }
    // Everything else lies on the form's colour. Labels are transparent but
    // for one; painting them with the colour beneath them keeps redraws clean.
    SetBkColor(dc, kBack);
    if (std::find(warnings_.begin(), warnings_.end(), child) != warnings_.end()) SetTextColor(dc, kWarningColour);
    if (isChangedCaption(child)) SetTextColor(dc, kChangedColour);
    const bool opaque = std::find(opaqueLabels_.begin(), opaqueLabels_.end(), child) != opaqueLabels_.end();
    SetBkMode(dc, opaque ? OPAQUE : TRANSPARENT);
    return reinterpret_cast<LRESULT>(back_.get());
}

LRESULT Win32Form::eraseToBack(HWND hwnd, HDC dc) const {
    RECT rc;
    GetClientRect(hwnd, &rc);
    FillRect(dc, &rc, back_.get());
    return 1;
}

LRESULT CALLBACK Win32Form::controlProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR ref) {
    try {
        return reinterpret_cast<Win32Form*>(ref)->onControlMessage(hwnd, msg, wp, lp, id);
    } catch (...) {
        return 0;
    }
}

LRESULT Win32Form::onControlMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id) {
    switch (msg) {
    case WM_SETFOCUS:
        if (id == kOptionButton) {
            focusingOption_ = true;
            const LRESULT r = DefSubclassProc(hwnd, msg, wp, lp);
            focusingOption_ = false;
            return r;
        }
        break;
    case WM_VSCROLL:
    case WM_MOUSEWHEEL:
        if (id == kPlayersList) {
            const LRESULT top = SendMessageW(hwnd, LB_GETTOPINDEX, 0, 0);
            const LRESULT r = DefSubclassProc(hwnd, msg, wp, lp);
            const LRESULT now = SendMessageW(hwnd, LB_GETTOPINDEX, 0, 0);
            // The scroll bar scrolls even where the list cannot move; the wheel only when it moves.
            if (msg == WM_VSCROLL || now != top) userScrollPlayers(module_, *this, static_cast<int>(now));
            return r;
        }
        break;
    case WM_ERASEBKGND:
        if (id == kGroupBox) return eraseToBack(hwnd, reinterpret_cast<HDC>(wp));
        break;
    case WM_NCDESTROY: RemoveWindowSubclass(hwnd, &Win32Form::controlProc, id); break;
    default: break;
    }
    return DefSubclassProc(hwnd, msg, wp, lp);
}

// Frame3: paints itself like a group box, with the image buttons on it, and
// hands its mouse messages to the buttons.
LRESULT Win32Form::onFrameMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_ERASEBKGND: return 1;  // painted whole in WM_PAINT
    case WM_PAINT: paintFrame(hwnd); return 0;
    case WM_SETFONT: return 0;  // it always uses the form's font
    default:
        // The release may end the form: nothing of it is touched after.
        if (buttons_ && buttons_->mouse(msg, wp, lp)) return 0;
        break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

// The etched box with the caption set into its top edge, as a group box has
// it, and the buttons; drawn off screen, so a pressed button never flickers.
void Win32Form::paintFrame(HWND hwnd) {
    const PaintScope paint(hwnd);
    HDC screen = paint.dc();
    RECT rc;
    GetClientRect(hwnd, &rc);
    const OffscreenDC offscreen(screen, rc);
    HDC dc = offscreen.get() ? offscreen.get() : screen;
    FillRect(dc, &rc, back_.get());
    {
        const ScopedSelect font(dc, font_.get());
        TEXTMETRICW tm{};
        GetTextMetricsW(dc, &tm);
        RECT edge = rc;
        edge.top += tm.tmHeight / 2 - 1;
        DrawEdge(dc, &edge, EDGE_ETCHED, BF_RECT);
        const std::wstring caption = windowText(hwnd);
        if (!caption.empty()) {
            RECT behind{6, 0, 8 + textWidth(dc, caption), tm.tmHeight};
            FillRect(dc, &behind, back_.get());
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, kBlack);
            TextOutW(dc, 7, 0, caption.c_str(), static_cast<int>(caption.size()));
        }
    }
    if (buttons_) buttons_->paint(dc);
    if (dc != screen) BitBlt(screen, 0, 0, rc.right, rc.bottom, dc, 0, 0, SRCCOPY);
}

}  // namespace kora::win
