#include "form/form_win.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>

#include "base/text_win.h"
#include "form/behaviours.h"
#include "form/form_impl_win.h"

namespace kora {
namespace win {

using namespace parts;

void parts::raiseWindowFailure(const char* what) {
    raise(err::Automation, std::string("Cannot create the settings form: ") + what);
}

namespace {

int systemDpi() {
    const WindowDC screen(nullptr);
    const int dpi = screen.get() ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 96;
    return dpi > 0 ? dpi : 96;
}

// The form a window belongs to, or null.
Win32Form* formOf(HWND hwnd) {
    for (HWND h = hwnd; h; h = GetAncestor(h, GA_PARENT)) {
        wchar_t name[32] = {};
        GetClassNameW(h, name, 32);
        if (lstrcmpW(name, kFormWindowClass) == 0) return windowOwner<Win32Form>(h);
    }
    return nullptr;
}

// Whether `inner` is `window` or lies inside it.
bool holds(HWND window, HWND inner) { return inner && (inner == window || IsChild(window, inner)); }

void subclass(HWND hwnd, UINT_PTR id, Win32Form* form) {
    if (hwnd) SetWindowSubclass(hwnd, &Win32Form::controlProc, id, reinterpret_cast<DWORD_PTR>(form));
}

}  // namespace

// --- Building ------------------------------------------------------------------

Win32Form::Win32Form(Module& module, const Win32FormOptions& options)
    : module_(module), options_(options), dpi_(systemDpi()) {
    try {
        // Each form hooks its thread: the first hook to act blanks the key
        // for any hook after it.
        keyboardHook_.reset(SetWindowsHookExW(WH_GETMESSAGE, &Win32Form::keyboardHook, nullptr, GetCurrentThreadId()));
        if (!keyboardHook_) raiseWindowFailure("keyboard hook");
        font_ = makeFont(0, false, false);
        underlined_ = makeFont(0, false, true);
        if (!font_ || !underlined_) raiseWindowFailure("font");
        back_ = Brush(CreateSolidBrush(kBack));
        white_ = Brush(CreateSolidBrush(kWhite));
        if (!back_ || !white_) raiseWindowFailure("brush");
        formClass_ = WindowClass(kFormWindowClass, &windowProcedure<&Win32Form::handle>);
        frameClass_ = WindowClass(kFrameClass, &windowProcedure<&Win32Form::onFrameMessage>);
        INITCOMMONCONTROLSEX icc{sizeof icc,
                                 ICC_TAB_CLASSES | ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};  // bars: the tooltip
        InitCommonControlsEx(&icc);
        // A pop-up until the host adopts it: no caption or border, so the client
        // area is the whole window, as it is once it is a child.
        CreateWindowExW(WS_EX_CONTROLPARENT, kFormWindowClass, L"Korastand", WS_POPUP | WS_CLIPCHILDREN, 0, 0,
                        px(layout::ClientWidth), px(layout::ClientHeight), nullptr, nullptr, codeModule(), this);
        if (!hwnd_) raiseWindowFailure("form window");
        createPieces();
        // The design state, with room reserved in the combo boxes that take many items.
        for (const ControlRow& row : controls()) {
            const bool combo = row.kind == Kind::Combo || row.kind == Kind::EditCombo;
            if (combo && !row.items.empty())
                SendMessageW(handleOf(row.id), CB_INITSTORAGE, row.items.size(), row.items.size() * 8);
        }
        kora::fillDesignItems(*this);
        showPage(0);
    } catch (...) {
        destroy();
        throw;
    }
}

Win32Form::~Win32Form() { destroy(); }

// Form_Unload: the painting hook goes first, while the tab control still
// exists; then the run-time buttons, the windows and their classes. The fonts
// and brushes outlive every window using them.
void Win32Form::destroy() noexcept {
    measuring_.reset();
    if (std::exchange(hooked_, false)) style::UnhookGrid(tabs_);
    keyboardHook_.reset();
    buttons_.reset();
    tooltip_.reset();
    if (hwnd_) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(std::exchange(hwnd_, nullptr));
    }
    frameClass_.reset();
    formClass_.reset();
}

// Ctrl+Tab and Ctrl+Shift+Tab switch pages from any control of the form. The
// keys are taken from the thread's messages as they are retrieved, before
// IsDialogMessage or the control could turn Tab into a focus move or a tab
// character.
LRESULT CALLBACK Win32Form::keyboardHook(int code, WPARAM wp, LPARAM lp) {
    if (code == HC_ACTION && wp == PM_REMOVE) {
        try {
            MSG& m = *reinterpret_cast<MSG*>(lp);
            const bool ctrlTab =
                (m.message == WM_KEYDOWN && m.wParam == VK_TAB) || (m.message == WM_CHAR && m.wParam == L'\t');
            if (Win32Form* form = ctrlTab && keyDown(VK_CONTROL) ? formOf(m.hwnd) : nullptr) {
                if (m.message == WM_KEYDOWN) form->cycleTab(keyDown(VK_SHIFT) ? -1 : 1);
                m.message = WM_NULL;
            }
        } catch (...) {}
    }
    return CallNextHookEx(nullptr, code, wp, lp);
}

// Lists and combo boxes that receive items one at a time neither repaint nor
// recompute their scroll bars for each: drawing stays off until the thread's
// messages are next handled. Both classes handle WM_SETREDRAW themselves, so
// it leaves their visibility (and that of a combo box's hidden list) alone.
void Win32Form::quietWhileFilling(HWND h) {
    if (std::find(quiet_.begin(), quiet_.end(), h) != quiet_.end()) return;
    SendMessageW(h, WM_SETREDRAW, FALSE, 0);
    if (quiet_.empty()) PostMessageW(hwnd_, kResumeRedraw, 0, 0);
    quiet_.push_back(h);
}

void Win32Form::resumeRedraw() {
    for (HWND h : quiet_) {
        SendMessageW(h, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(h, nullptr, TRUE);
    }
    quiet_.clear();
}

RECT Win32Form::pixels(const Rect& twips) const {
    const LONG left = px(twips.left), top = px(twips.top);
    return {left, top, left + px(twips.width), top + px(twips.height)};
}

// A caption that renders wider than its box (fonts differ in width between
// systems and sizes) grows to the right up to the next piece of its row, then
// to the left into the free space before it. `extra` is what the control
// draws beside its text (the box of a check box or option button).
RECT Win32Form::fitCaption(const Piece& piece, RECT r, int extra, HDC dc) const {
    if (!dc) return r;
    const LONG needed = textWidth(dc, widen(piece.caption)) + extra + 1;
    const LONG design = r.right - r.left;
    if (needed <= design) return r;
    // Some design widths reach a little into the next piece; a grown caption does not.
    const LONG room = px(piece.room) - MulDiv(2, dpi_, 96);
    const LONG width = std::min(needed, room);
    const LONG shift = std::min(std::max<LONG>(needed - width, 0), static_cast<LONG>(px(piece.roomLeft)));
    r.left -= shift;
    r.right = r.left + width + shift;
    return r;
}

HWND Win32Form::createChild(const wchar_t* cls, const std::wstring& text, DWORD style, DWORD exStyle, const RECT& r,
                            int id, Win32Form* owner) {
    // Pieces of the pages behind the first are born hidden: showing and then
    // hiding them again would cost a window-manager round per piece.
    const DWORD shown = creatingTab_ < 0 || creatingTab_ == currentTab_ ? WS_VISIBLE : 0;
    HWND hwnd = CreateWindowExW(exStyle, cls, text.c_str(), WS_CHILD | shown | style, r.left, r.top, r.right - r.left,
                                r.bottom - r.top, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                codeModule(), owner);
    if (!hwnd) raiseWindowFailure(owner ? "frame" : "control");
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    return hwnd;
}

// Creation order is tab order and z-order (each new child goes below the
// ones before it): the contents of a frame come before the frame, so they lie
// on it, and the tab control comes last, below its pages.
void Win32Form::createPieces() {
    // One screen-compatible context with the form's font measures every
    // caption: a window's own context costs a round to the window system each.
    // It goes at the end, or with the form when a piece cannot be made.
    measuring_.reset(nullptr, font_.get());
    const std::vector<Piece>& pieces = formPieces();
    entries_.reserve(pieces.size());
    for (size_t i = 0; i < pieces.size(); ++i) {
        const int id = kFirstId + static_cast<int>(i);
        creatingTab_ = pieces[i].tab;
        entries_.push_back({&pieces[i], createPiece(pieces[i], id)});
    }
    creatingTab_ = -1;
    measuring_.reset();
}

HWND Win32Form::createPiece(const Piece& piece, int id) {
    const RECT r = pixels(piece.rect);
    const std::wstring caption = widen(piece.caption);
    switch (piece.kind) {
    case PieceKind::Frame: {
        // Frame3 draws the run-time buttons, so it is a window of the form's
        // own. A group box paints no inside of its own: it fills it with the
        // form's colour, clipped around the controls lying on it.
        const bool own = piece.frame == Frame::Frame3;
        HWND h =
            own ? createChild(kFrameClass, caption, WS_CLIPCHILDREN | WS_CLIPSIBLINGS, WS_EX_CONTROLPARENT, r, id, this)
                : createChild(L"Button", caption, BS_GROUPBOX | WS_GROUP | WS_CLIPSIBLINGS, 0, r, id);
        if (!own) subclass(h, kGroupBox, this);
        return frames_[static_cast<size_t>(piece.frame)] = h;
    }
    case PieceKind::Label: {
        const ControlRow& row = kora::row(piece.control);
        DWORD style = kLabelStyle;
        if (row.flags & flag::LabelDisabled) style |= WS_DISABLED;
        HWND h = createChild(L"Static", caption, style, 0, fitCaption(piece, r, 0, measuring_.get()), id);
        if (row.flags & flag::LabelUnderlined)
            SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(underlined_.get()), FALSE);
        if (row.flags & flag::LabelOpaque) opaqueLabels_.push_back(h);
        return labels_[index(piece.control)] = h;
    }
    case PieceKind::StaticLabel:
        return statics_.emplace_back(
            createChild(L"Static", caption, kLabelStyle, 0, fitCaption(piece, r, 0, measuring_.get()), id));
    case PieceKind::OptionElement: {
        auto& group = elements_[index(piece.control)];
        // The first button created starts the group and takes the Tab stop;
        // arrow keys move inside it.
        const bool first = group.empty();
        if (first) group.assign(kora::row(piece.control).elements.size(), nullptr);
        const DWORD style = BS_RADIOBUTTON | (first ? WS_GROUP | WS_TABSTOP : 0);
        HWND h =
            createChild(L"Button", caption, style, 0, fitCaption(piece, r, buttonBoxWidth(), measuring_.get()), id);
        subclass(h, kOptionButton, this);
        return group[static_cast<size_t>(piece.element)] = h;
    }
    case PieceKind::Control: return controls_[index(piece.control)] = createControl(piece, id, r);
    case PieceKind::Picture:
        // Picture1 shows its back colour, the form's, as the form paints a static.
        picture_ = {createChild(L"Static", L"", WS_CLIPSIBLINGS, WS_EX_CLIENTEDGE, r, id), kBack};
        return picture_.hwnd;
    case PieceKind::Tabs: {
        tabs_ = createChild(WC_TABCONTROLW, L"", WS_CLIPSIBLINGS | WS_TABSTOP | WS_GROUP, 0, r, id);
        const auto captions = tabCaptions();
        for (size_t i = 0; i < captions.size(); ++i) {
            std::wstring text = widen(captions[i]);
            TCITEMW item{};
            item.mask = TCIF_TEXT;
            item.pszText = text.data();
            SendMessageW(tabs_, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
        }
        return tabs_;
    }
    }
    return nullptr;
}

HWND Win32Form::createControl(const Piece& piece, int id, const RECT& r) {
    const ControlRow& row = kora::row(piece.control);
    const DWORD focusable = WS_TABSTOP | WS_GROUP;
    const DWORD startsOff = (row.flags & (flag::Disabled | flag::StartsDisabled)) ? WS_DISABLED : 0;
    HWND h = nullptr;
    switch (row.kind) {
    case Kind::Text: {
        DWORD style = startsOff | ((row.flags & flag::Centred) ? ES_CENTER : ES_LEFT);
        // Display-only boxes are no Tab stop: they are never focused.
        style |= (row.flags & flag::Disabled) ? WS_GROUP : focusable;
        style |=
            (row.flags & flag::Multiline) ? ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | WS_VSCROLL : ES_AUTOHSCROLL;
        h = createChild(L"Edit", L"", style, WS_EX_CLIENTEDGE, r, id);
        SendMessageW(h, EM_LIMITTEXT, static_cast<WPARAM>(row.maxLength), 0);
        break;
    }
    case Kind::Check:
        return createChild(L"Button", widen(piece.caption), BS_3STATE | focusable | startsOff, 0,
                           piece.caption.empty() ? r : fitCaption(piece, r, buttonBoxWidth(), measuring_.get()), id);
    case Kind::Combo:
    case Kind::EditCombo: {
        RECT withList = r;
        withList.bottom += MulDiv(180, dpi_, 96);  // the height of the dropped list
        const DWORD type = row.kind == Kind::Combo ? CBS_DROPDOWNLIST : CBS_DROPDOWN | CBS_AUTOHSCROLL;
        h = createChild(L"ComboBox", L"", type | WS_VSCROLL | focusable | startsOff, 0, withList, id);
        // The closed box as high as the catalogue has it. The box's height
        // follows its item height, not always one for one: a few rounds settle it.
        LRESULT asked = SendMessageW(h, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
        for (int round = 0; round < 4; ++round) {
            RECT now;
            GetWindowRect(h, &now);
            const LRESULT excess = (now.bottom - now.top) - (r.bottom - r.top);
            if (excess == 0 || asked - excess < 1) break;
            asked -= excess;
            SendMessageW(h, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), asked);
        }
        break;
    }
    case Kind::List:
        // One row high with its scroll bar: a spinner for the player count.
        h = createChild(L"ListBox", L"", LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | focusable | startsOff,
                        WS_EX_CLIENTEDGE, r, id);
        subclass(h, kPlayersList, this);
        return h;
    case Kind::MultiList:
        // Shortened to whole rows, so no item shows cut in half.
        h = createChild(L"ListBox", L"", LBS_MULTIPLESEL | LBS_NOTIFY | WS_VSCROLL | focusable | startsOff,
                        WS_EX_CLIENTEDGE, r, id);
        // Sized again now that its rows have the form's font.
        SetWindowPos(h, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        break;
    case Kind::Label:
        return createChild(L"Static", widen(piece.caption), kLabelStyle | startsOff, 0,
                           fitCaption(piece, r, 0, measuring_.get()), id);
    case Kind::Option: return nullptr;  // its elements are pieces of their own
    }
    return h;
}

void Win32Form::load() {
    // Placed in the host's pixels, scaled with the system's DPI so that the
    // twips-sized contents fit at any setting.
    MoveWindow(hwnd_, MulDiv(layout::WindowX, dpi_, 96), MulDiv(layout::WindowY, dpi_, 96),
               MulDiv(layout::WindowWidth, dpi_, 96), MulDiv(layout::WindowHeight, dpi_, 96), TRUE);

    // FillNumberCombos, with room reserved so 2,201 additions stay cheap.
    SendMessageW(handleOf(Control::savMaxFF), CB_INITSTORAGE, 1000, 1000 * 8);
    SendMessageW(handleOf(Control::savRespawn), CB_INITSTORAGE, 601, 601 * 8);
    SendMessageW(handleOf(Control::savDelay), CB_INITSTORAGE, 601, 601 * 8);
    fillNumberCombos(*this);

    if (!options_.developmentMode) {
        style::HookGrid(tabs_, picture_);
        hooked_ = true;
    }

    buttons_ =
        style::ImageButtons::create(module_, frames_[static_cast<size_t>(Frame::Frame3)], dpi_, options_.buttons);
}

// --- The window ------------------------------------------------------------------

HWND Win32Form::controlWindow(Control c, int element) const {
    const auto& group = elements_[index(c)];
    if (group.empty()) return controls_[index(c)];
    return element >= 0 && element < static_cast<int>(group.size()) ? group[static_cast<size_t>(element)] : nullptr;
}

void Win32Form::setParentWindow(uint64_t parentHandle) {
    HWND parent = reinterpret_cast<HWND>(static_cast<uintptr_t>(parentHandle));
    // The style goes first, so the window is a child when it arrives.
    const LONG_PTR style = GetWindowLongPtrW(hwnd_, GWL_STYLE) & ~static_cast<LONG_PTR>(WS_POPUP | WS_CHILD);
    SetWindowLongPtrW(hwnd_, GWL_STYLE, style | static_cast<LONG_PTR>(parent ? WS_CHILD : WS_POPUP));
    SetParent(hwnd_, parent);
    SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void Win32Form::show() { ShowWindow(hwnd_, SW_SHOW); }
void Win32Form::hide() { ShowWindow(hwnd_, SW_HIDE); }

void Win32Form::selectTab(int tab) {
    if (tab < 0 || tab >= kPages) raise(err::InvalidPropertyValue);
    SendMessageW(tabs_, TCM_SETCURSEL, static_cast<WPARAM>(tab), 0);
    showPage(tab);
}

void Win32Form::setMousePointer(int pointer) {
    mousePointer_ = pointer;
    POINT at;
    if (!GetCursorPos(&at)) return;
    if (holds(hwnd_, WindowFromPoint(at)))
        SetCursor(LoadCursorW(nullptr, pointer == FormWindow::kHourglass ? IDC_WAIT : IDC_ARROW));
}

void Win32Form::setButtonState(std::string_view pictureName, std::string_view state) {
    if (buttons_) buttons_->setState(pictureName, state);
}

// Only the current page's frames and controls are visible.
void Win32Form::showPage(int tab) {
    currentTab_ = tab;
    HWND focus = GetFocus();
    bool focusHidden = false;
    for (const Entry& e : entries_) {
        if (e.piece->tab < 0 || !e.hwnd) continue;
        const bool visible = e.piece->tab == tab;
        if (!visible && holds(e.hwnd, focus)) focusHidden = true;
        const bool shown = (GetWindowLongPtrW(e.hwnd, GWL_STYLE) & WS_VISIBLE) != 0;
        if (shown != visible) ShowWindow(e.hwnd, visible ? SW_SHOWNA : SW_HIDE);
    }
    if (focusHidden) SetFocus(tabs_);
    RECT area = pixels(layout::Tabs);
    // The warning marks are on the page of their settings.
    for (size_t i = 0; i < kControlCount; ++i)
        if (warnings_[i])
            ShowWindow(warnings_[i], (GetWindowLongPtrW(controls_[i], GWL_STYLE) & WS_VISIBLE) ? SW_SHOWNA : SW_HIDE);
    RedrawWindow(hwnd_, &area, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// Ctrl+Tab and Ctrl+Shift+Tab: the next or previous page. The focus stays
// where it is, unless it was on the page going away: then it moves to the
// first control of the new page.
void Win32Form::cycleTab(int delta) {
    const int next = (currentTab_ + delta + kPages) % kPages;
    HWND focus = GetFocus();
    const bool onOldPage = std::any_of(entries_.begin(), entries_.end(), [&](const Entry& e) {
        return e.piece->tab == currentTab_ && e.hwnd && holds(e.hwnd, focus);
    });
    selectTab(next);
    if (!onOldPage) return;
    const auto first = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) {
        return e.piece->tab == next && e.hwnd && (GetWindowLongPtrW(e.hwnd, GWL_STYLE) & WS_TABSTOP) &&
               IsWindowEnabled(e.hwnd);
    });
    SetFocus(first == entries_.end() ? tabs_ : first->hwnd);
}

}  // namespace win

std::unique_ptr<FormWindow> createWin32Form(Module& module, const Win32FormOptions& options) {
    auto form = std::make_unique<win::Win32Form>(module, options);
    form->load();
    return form;
}

Win32FormWindows* win32Windows(FormWindow& form) { return dynamic_cast<win::Win32Form*>(&form); }

}  // namespace kora
