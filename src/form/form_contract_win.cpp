// The form contract on the real controls. Every answer comes from the
// controls themselves (the form is the data model); only what a control cannot
// hold is kept beside it, exactly as the in-memory form keeps it.
#include <windows.h>

#include "base/text_win.h"
#include "form/behaviours.h"
#include "form/form_impl_win.h"

namespace kora::win {
namespace {

struct ListMessages {
    UINT count, text, textLength, add, reset, getCurSel, setCurSel;
};
constexpr ListMessages kCombo{CB_GETCOUNT, CB_GETLBTEXT, CB_GETLBTEXTLEN, CB_ADDSTRING,
                              CB_RESETCONTENT, CB_GETCURSEL, CB_SETCURSEL};
constexpr ListMessages kList{LB_GETCOUNT, LB_GETTEXT, LB_GETTEXTLEN, LB_ADDSTRING,
                             LB_RESETCONTENT, LB_GETCURSEL, LB_SETCURSEL};

// Wine's multi-line edit box draws a new text, and its scroll bar, before
// SetWindowText returns: about 9 ms, against 1 ms while it counts as hidden.
// Hidden for the call by its style bit alone (as DefWindowProc's WM_SETREDRAW
// does; the edit control keeps that message for itself), the box draws the
// text once, at the next paint. A one-line box is cheaper left alone.
void setTextQuietly(HWND h, const std::wstring& text) {
    const LONG_PTR style = GetWindowLongPtrW(h, GWL_STYLE);
    if (!(style & WS_VISIBLE)) {
        SetWindowTextW(h, text.c_str());
        return;
    }
    SetWindowLongPtrW(h, GWL_STYLE, style & ~static_cast<LONG_PTR>(WS_VISIBLE));
    SetWindowTextW(h, text.c_str());
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

bool singleSelection(Kind k) { return k == Kind::Combo || k == Kind::EditCombo || k == Kind::List; }

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

int Win32Form::exactItem(Control c, std::wstring_view text) const {
    const ListMessages* m = listMessages(c);
    if (!m) return -1;
    HWND h = handleOf(c);
    const int count = static_cast<int>(send(h, m->count));
    for (int i = 0; i < count; ++i)
        if (itemOf(h, *m, i) == text) return i;
    return -1;
}

int Win32Form::checkedElement(Control c) const {
    const auto& group = elements_[index(c)];
    for (size_t e = 0; e < group.size(); ++e)
        if (send(group[e], BM_GETCHECK) == BST_CHECKED) return static_cast<int>(e);
    return -1;
}

void Win32Form::requireItem(Control c, int i) const {
    if (i < 0 || i >= itemCount(c)) raise(err::InvalidPropertyValue);
}

std::string Win32Form::text(Control c) const {
    HWND h = handleOf(c);
    switch (row(c).kind) {
    case Kind::Combo:
    case Kind::List: {
        const int i = listIndex(c);
        return i >= 0 ? itemText(c, i) : std::string();
    }
    case Kind::Option:
    case Kind::MultiList: return extra_[index(c)].text;
    default: return narrow(parts::windowText(h));
    }
}

void Win32Form::setText(Control c, std::string_view value) {
    HWND h = handleOf(c);
    const std::wstring text = widen(value);
    switch (row(c).kind) {
    case Kind::Combo:
    case Kind::List: {
        // Like the real lists: the text selects the first item that equals it.
        const int i = exactItem(c, text);
        if (i < 0) raise(err::InvalidPropertyValue);
        setListIndex(c, i);
        return;
    }
    case Kind::EditCombo: {
        const bool wasSyncing = syncingCountry_;
        syncingCountry_ = true;
        const int i = exactItem(c, text);
        send(h, CB_SETCURSEL, static_cast<WPARAM>(i));
        if (i < 0) SetWindowTextW(h, text.c_str());  // no selection empties the edit box first
        syncingCountry_ = wasSyncing;
        return;
    }
    case Kind::Option:
    case Kind::MultiList: extra_[index(c)].text = value; return;
    case Kind::Text:
        if (row(c).flags & flag::Multiline) {
            setTextQuietly(h, text);
            return;
        }
        SetWindowTextW(h, text.c_str());
        return;
    default: SetWindowTextW(h, text.c_str()); return;
    }
}

// One value per control, as the in-memory form keeps it: check value, list
// index or option element, whichever the kind has.
int Win32Form::checkValue(Control c) const {
    HWND h = handleOf(c);
    switch (row(c).kind) {
    case Kind::Check: return static_cast<int>(send(h, BM_GETCHECK));
    case Kind::Combo:
    case Kind::EditCombo: return static_cast<int>(send(h, CB_GETCURSEL));
    case Kind::List: return static_cast<int>(send(h, LB_GETCURSEL));
    case Kind::Option: return checkedElement(c);
    default: return extra_[index(c)].value;
    }
}
int Win32Form::listIndex(Control c) const { return checkValue(c); }
int Win32Form::optionElement(Control c) const { return checkValue(c); }

void Win32Form::setCheckValue(Control c, int value) {
    if (row(c).kind != Kind::Check || value < 0 || value > 2) raise(err::InvalidPropertyValue);
    send(handleOf(c), BM_SETCHECK, static_cast<WPARAM>(value));
    if (c == Control::savMinPingChk || c == Control::savMaxPingChk) followPingCheck(*this, c);
}

void Win32Form::setListIndex(Control c, int i) {
    if (i < -1 || i >= itemCount(c)) raise(err::InvalidPropertyValue);
    HWND h = handleOf(c);
    switch (row(c).kind) {
    case Kind::Combo:
    case Kind::EditCombo: send(h, CB_SETCURSEL, static_cast<WPARAM>(i)); return;
    // A one-row list scrolls the selected item to its top.
    case Kind::List: send(h, LB_SETCURSEL, static_cast<WPARAM>(i)); return;
    case Kind::Check:
    case Kind::Option: return;  // only -1 gets here; these keep their own value
    default: extra_[index(c)].value = i; return;
    }
}

void Win32Form::setOptionElement(Control c, int element) {
    const auto& group = elements_[index(c)];
    if (element < -1 || element >= static_cast<int>(group.size())) raise(err::ControlArrayElement);
    for (size_t e = 0; e < group.size(); ++e)
        send(group[e], BM_SETCHECK, static_cast<int>(e) == element ? BST_CHECKED : BST_UNCHECKED);
}

int Win32Form::itemCount(Control c) const {
    const ListMessages* m = listMessages(c);
    return m ? static_cast<int>(send(handleOf(c), m->count)) : 0;
}

std::string Win32Form::itemText(Control c, int i) const {
    requireItem(c, i);
    return narrow(itemOf(handleOf(c), *listMessages(c), i));
}

void Win32Form::addItem(Control c, std::string_view value) {
    const ListMessages* m = listMessages(c);
    if (!m) raise(err::InvalidPropertyValue);
    const std::wstring text = widen(value);
    quietWhileFilling(handleOf(c));
    if (send(handleOf(c), m->add, 0, reinterpret_cast<LPARAM>(text.c_str())) < 0)
        raise(err::Automation, "Out of memory");
}

void Win32Form::clearItems(Control c) {
    const ListMessages* m = listMessages(c);
    if (!m) raise(err::InvalidPropertyValue);
    HWND h = handleOf(c);
    if (row(c).kind == Kind::EditCombo) {
        // Emptying the list empties the edit box too; the text stays.
        const std::wstring text = parts::windowText(h);
        send(h, m->reset);
        SetWindowTextW(h, text.c_str());
        return;
    }
    send(h, m->reset);
    extra_[index(c)].value = -1;
}

bool Win32Form::itemSelected(Control c, int i) const {
    requireItem(c, i);
    const Kind kind = row(c).kind;
    if (singleSelection(kind)) return listIndex(c) == i;
    return send(handleOf(c), LB_GETSEL, static_cast<WPARAM>(i)) > 0;
}

void Win32Form::setItemSelected(Control c, int i, bool selected) {
    requireItem(c, i);
    const Kind kind = row(c).kind;
    if (singleSelection(kind)) {
        if (selected)
            setListIndex(c, i);
        else if (listIndex(c) == i)
            setListIndex(c, -1);
        return;
    }
    send(handleOf(c), LB_SETSEL, selected ? TRUE : FALSE, i);
}

bool Win32Form::enabled(Control c) const {
    const auto& group = elements_[index(c)];
    return IsWindowEnabled(group.empty() ? handleOf(c) : group.front()) != FALSE;
}

void Win32Form::setEnabled(Control c, bool on) {
    const auto& group = elements_[index(c)];
    if (group.empty()) {
        EnableWindow(handleOf(c), on);
        return;
    }
    for (HWND h : group) EnableWindow(h, on);
}

}  // namespace kora::win
