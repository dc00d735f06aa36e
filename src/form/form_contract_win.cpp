// The form's storage on the real controls; the contract's rules over it are
// the core's (form.cpp). Every answer comes from the controls themselves (the
// form is the data model); only what a control cannot hold is kept beside it.
#include <windows.h>

#include <algorithm>
#include <utility>

#include "base/text_win.h"
#include "form/form_impl_win.h"

namespace kora::win {
namespace {

struct ListMessages {
    UINT count, text, textLength, add, reset;
};
constexpr ListMessages kCombo{CB_GETCOUNT, CB_GETLBTEXT, CB_GETLBTEXTLEN, CB_ADDSTRING, CB_RESETCONTENT};
constexpr ListMessages kList{LB_GETCOUNT, LB_GETTEXT, LB_GETTEXTLEN, LB_ADDSTRING, LB_RESETCONTENT};

// Wine's multi-line edit box draws a new text, and its scroll bar, before
// SetWindowText returns: about 9 ms, against 1 ms while it counts as hidden.
// Hidden for the call by its style bit alone (as DefWindowProc's WM_SETREDRAW
// does; the edit control keeps that message for itself), the box draws the
// text once, at the next paint. A one-line box is cheaper left alone.
void setTextQuietly(HWND h, const std::wstring& text) {
    const LONG_PTR style = GetWindowLongPtrW(h, GWL_STYLE);
    const bool shown = (style & WS_VISIBLE) != 0;
    if (shown) SetWindowLongPtrW(h, GWL_STYLE, style & ~static_cast<LONG_PTR>(WS_VISIBLE));
    SetWindowTextW(h, text.c_str());
    if (!shown) return;
    SetWindowLongPtrW(h, GWL_STYLE, style);
    RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
}

// The messages of a kind that holds items, or null.
const ListMessages* listMessages(Control c) {
    switch (row(c).kind) {
    case Kind::Combo:
    case Kind::EditCombo: return &kCombo;
    case Kind::List:
    case Kind::MultiList: return &kList;
    default: return nullptr;
    }
}

LRESULT send(HWND h, UINT msg, WPARAM wp = 0, LPARAM lp = 0) { return SendMessageW(h, msg, wp, lp); }

std::wstring itemOf(HWND h, const ListMessages& m, int i) {
    const LRESULT length = send(h, m.textLength, static_cast<WPARAM>(i));
    if (length < 0) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT got = send(h, m.text, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
    text.resize(got < 0 ? 0 : static_cast<size_t>(got));
    return text;
}

}  // namespace

std::string Win32Form::storedText(Control c) const {
    switch (row(c).kind) {
    case Kind::Option:
    case Kind::MultiList: return extra_[index(c)].text;
    default: return narrow(parts::windowText(handleOf(c)));
    }
}

void Win32Form::storeText(Control c, std::string_view value) {
    HWND h = handleOf(c);
    const std::wstring text = widen(value);
    switch (row(c).kind) {
    case Kind::EditCombo: {
        const bool wasSyncing = std::exchange(syncingCountry_, true);
        SetWindowTextW(h, text.c_str());
        syncingCountry_ = wasSyncing;
        return;
    }
    case Kind::Option:
    case Kind::MultiList: extra_[index(c)].text = value; return;
    case Kind::Text:
        if (row(c).flags & flag::Multiline) return setTextQuietly(h, text);
        [[fallthrough]];
    default: SetWindowTextW(h, text.c_str()); return;
    }
}

int Win32Form::storedValue(Control c) const {
    HWND h = handleOf(c);
    switch (row(c).kind) {
    case Kind::Check: return static_cast<int>(send(h, BM_GETCHECK));
    case Kind::Combo:
    case Kind::EditCombo: return static_cast<int>(send(h, CB_GETCURSEL));
    case Kind::List: return static_cast<int>(send(h, LB_GETCURSEL));
    case Kind::Option: {
        const auto& group = elements_[index(c)];
        const auto on = std::find_if(group.begin(), group.end(),
                                     [](HWND button) { return send(button, BM_GETCHECK) == BST_CHECKED; });
        return on == group.end() ? -1 : static_cast<int>(on - group.begin());
    }
    default: return extra_[index(c)].value;
    }
}

void Win32Form::storeValue(Control c, int value) {
    HWND h = handleOf(c);
    switch (row(c).kind) {
    case Kind::Check: send(h, BM_SETCHECK, static_cast<WPARAM>(value)); return;
    case Kind::Combo: send(h, CB_SETCURSEL, static_cast<WPARAM>(value)); return;
    case Kind::EditCombo: {
        const bool wasSyncing = std::exchange(syncingCountry_, true);
        send(h, CB_SETCURSEL, static_cast<WPARAM>(value));
        syncingCountry_ = wasSyncing;
        return;
    }
    // A one-row list scrolls the selected item to its top.
    case Kind::List: send(h, LB_SETCURSEL, static_cast<WPARAM>(value)); return;
    case Kind::Option: {
        const auto& group = elements_[index(c)];
        for (size_t e = 0; e < group.size(); ++e)
            send(group[e], BM_SETCHECK, static_cast<int>(e) == value ? BST_CHECKED : BST_UNCHECKED);
        return;
    }
    default: extra_[index(c)].value = value; return;
    }
}

int Win32Form::storedItemCount(Control c) const { return static_cast<int>(send(handleOf(c), listMessages(c)->count)); }

void Win32Form::storedItem(Control c, int i, std::string& to) const {
    to += narrow(itemOf(handleOf(c), *listMessages(c), i));
}

void Win32Form::appendItem(Control c, std::string_view value) {
    const std::wstring text = widen(value);
    quietWhileFilling(handleOf(c));
    if (send(handleOf(c), listMessages(c)->add, 0, reinterpret_cast<LPARAM>(text.c_str())) < 0)
        raise(err::Automation, "Out of memory");
}

void Win32Form::removeItems(Control c) {
    HWND h = handleOf(c);
    // Emptying savCountry's list empties its edit box too; the text stays.
    const std::wstring text = parts::windowText(h);
    send(h, listMessages(c)->reset);
    if (row(c).kind == Kind::EditCombo) SetWindowTextW(h, text.c_str());
    extra_[index(c)].value = -1;
}

bool Win32Form::storedSelection(Control c, int i) const {
    return send(handleOf(c), LB_GETSEL, static_cast<WPARAM>(i)) > 0;
}

void Win32Form::storeSelection(Control c, int i, bool selected) {
    send(handleOf(c), LB_SETSEL, selected ? TRUE : FALSE, i);
}

bool Win32Form::storedEnabled(Control c) const {
    const auto& group = elements_[index(c)];
    return IsWindowEnabled(group.empty() ? handleOf(c) : group.front()) != FALSE;
}

void Win32Form::storeEnabled(Control c, bool on) {
    const auto& group = elements_[index(c)];
    if (group.empty()) EnableWindow(handleOf(c), on);
    for (HWND h : group) EnableWindow(h, on);
}

}  // namespace kora::win
