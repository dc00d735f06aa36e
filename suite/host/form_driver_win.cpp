#include "form_driver_win.h"

#include <commctrl.h>

#include <set>

#include "base/text_win.h"
#include "errors/failure.h"
#include "form/automation_win.h"
#include "form/catalogue.h"
#include "form/marks.h"
#include "script_language.h"
#include "window_helpers_win.h"

namespace kora::suite {
namespace {

std::string describeError(int number) { return "error " + std::to_string(number) + " (" + describe(number) + ")"; }

// The message pair of a mouse button: 1 left, 2 right, 4 middle.
bool buttonMessages(int button, UINT& down, UINT& up, WPARAM& held) {
    switch (button) {
    case 1: down = WM_LBUTTONDOWN, up = WM_LBUTTONUP, held = MK_LBUTTON; return true;
    case 2: down = WM_RBUTTONDOWN, up = WM_RBUTTONUP, held = MK_RBUTTON; return true;
    case 4: down = WM_MBUTTONDOWN, up = WM_MBUTTONUP, held = MK_MBUTTON; return true;
    default: return false;
    }
}

// Posted, like real input, so the control sees them through the message
// loop in the order a click makes them.
void postClick(HWND window, POINT at, UINT down, UINT up, WPARAM held) {
    const LPARAM where = MAKELPARAM(at.x, at.y);
    PostMessageW(window, WM_MOUSEMOVE, 0, where);
    PostMessageW(window, down, held, where);
    if (up) PostMessageW(window, up, 0, where);
}

std::wstring tabCaption(HWND tabs, int index) {
    wchar_t text[128] = {};
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = 128;
    SendMessageW(tabs, TCM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    return text;
}

// Asks the form about a control by name; "" once the form has answered.
std::string ask(HWND form, AutomationRequest& request, AutomationOp op, std::string_view name) {
    if (!form) return "the plug-in has not created its form";
    const std::wstring wide = win::widen(name);
    request.op = op;
    request.name = wide.c_str();
    if (!SendMessageW(form, automationMessage(), 0, reinterpret_cast<LPARAM>(&request)))
        return "the form does not answer";
    request.name = nullptr;
    return {};
}

}  // namespace

HWND FormDriver::form() const {
    if (HWND child = FindWindowExW(host_, nullptr, kFormWindowClass, nullptr)) return child;
    return findThreadWindow(kFormWindowClass);
}

std::string FormDriver::findControl(std::string_view name, int element, HWND& window, RECT* area) const {
    window = nullptr;
    AutomationRequest request;
    request.element = element;
    if (auto failure = ask(form(), request, AutomationOp::FindControl, name); !failure.empty()) return failure;
    if (request.error != 0 || !request.window) return "no control " + std::string(name);
    window = request.window;
    if (area) {
        *area = request.area;
        if (IsRectEmpty(area)) GetClientRect(window, area);
    }
    return {};
}

std::string FormDriver::type(std::string_view name, std::string_view utf8) const {
    const auto control = controlByName(name);
    if (!control || (row(*control).kind != Kind::Text && row(*control).kind != Kind::EditCombo))
        return std::string(name) + " is no text box";
    HWND window = nullptr;
    if (auto failure = findControl(name, 0, window); !failure.empty()) return failure;
    if (!IsWindowEnabled(window)) return std::string(name) + " is disabled";
    HWND edit = window;
    if (row(*control).kind == Kind::EditCombo) {
        COMBOBOXINFO info{};
        info.cbSize = sizeof info;
        if (!GetComboBoxInfo(window, &info) || !info.hwndItem) return std::string(name) + " has no edit box";
        edit = info.hwndItem;
    }
    SetFocus(edit);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    SendMessageW(edit, WM_KEYDOWN, VK_DELETE, 0x01530001);
    SendMessageW(edit, WM_KEYUP, VK_DELETE, static_cast<LPARAM>(0xC1530001u));
    const std::wstring text = win::widen(utf8);
    for (size_t i = 0; i < text.size(); ++i) {
        wchar_t unit = text[i];
        if (unit == L'\n' || unit == L'\r') {
            if (unit == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ++i;
            unit = L'\r';  // Enter
        }
        SendMessageW(edit, WM_CHAR, unit, 1);
    }
    return {};
}

std::string FormDriver::setValue(std::string_view name, int value) const {
    AutomationRequest request;
    request.value = value;
    if (auto failure = ask(form(), request, AutomationOp::SetValue, name); !failure.empty()) return failure;
    if (request.error == err::KeyNotFound) return "no control " + std::string(name);
    if (request.error != 0)
        return std::string(name) + " refused " + std::to_string(value) + ": " + describeError(request.error);
    return {};
}

std::string FormDriver::select(std::string_view name, int index, bool selected) const {
    const auto control = controlByName(name);
    if (!control || row(*control).kind != Kind::MultiList) return std::string(name) + " is no multi-select list";
    HWND list = nullptr;
    if (auto failure = findControl(name, 0, list); !failure.empty()) return failure;
    const int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    if (index < 0 || index >= count)
        return std::string(name) + " has no item " + std::to_string(index) + " (it holds " + std::to_string(count) +
               ")";
    if (!IsWindowEnabled(list)) return std::string(name) + " is disabled";
    if ((SendMessageW(list, LB_GETSEL, static_cast<WPARAM>(index), 0) > 0) == selected) return {};
    RECT client{}, item{};
    GetClientRect(list, &client);
    SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    if (item.top < client.top || item.bottom > client.bottom) {
        SendMessageW(list, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
        SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    }
    postClick(list, POINT{(item.left + item.right) / 2, (item.top + item.bottom) / 2}, WM_LBUTTONDOWN, WM_LBUTTONUP,
              MK_LBUTTON);
    return {};
}

std::string FormDriver::click(std::string_view name, int element, int button, bool release) const {
    UINT down = 0, up = 0;
    WPARAM held = 0;
    if (!buttonMessages(button, down, up, held)) return "mouse button " + std::to_string(button) + " is not 1, 2 or 4";
    HWND window = nullptr;
    RECT r{};
    if (auto failure = findControl(name, element, window, &r); !failure.empty()) return failure;
    if (!IsWindowEnabled(window)) return std::string(name) + " is disabled";
    postClick(window, POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}, down, release ? up : 0, held);
    return {};
}

std::string FormDriver::clickTab(std::string_view page) const {
    HWND f = form();
    if (!f) return "the plug-in has not created its form";
    HWND tabs = findDescendant(f, WC_TABCONTROLW);
    if (!tabs) return "the form has no tab control";
    const int count = static_cast<int>(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0));
    int index = -1;
    if (const auto number = script::parseInteger(page, 0, INT32_MAX))
        index = *number < count ? static_cast<int>(*number) : -1;
    else
        for (int i = 0; i < count && index < 0; ++i)
            if (tabCaption(tabs, i) == win::widen(page)) index = i;
    if (index < 0)
        return "the tab control has no page " + std::string(page) + " (it has " + std::to_string(count) + ")";
    if (!IsWindowEnabled(tabs)) return "the tab control is disabled";
    RECT r{};
    if (!SendMessageW(tabs, TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r)))
        return "the header of page " + std::string(page) + " is not shown";
    postClick(tabs, POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}, WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON);
    return {};
}

std::string FormDriver::items(std::string_view name, std::string& line) const {
    const auto control = controlByName(name);
    const Kind kind = control ? row(*control).kind : Kind::Label;
    const bool combo = kind == Kind::Combo || kind == Kind::EditCombo;
    if (!combo && kind != Kind::List && kind != Kind::MultiList) return std::string(name) + " holds no items";
    HWND window = nullptr;
    if (auto failure = findControl(name, 0, window); !failure.empty()) return failure;
    const int count = static_cast<int>(SendMessageW(window, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0));
    std::string texts;
    for (int i = 0; i < count; ++i) {
        if (i) texts += '|';
        texts += win::narrow(combo ? comboItemText(window, i) : listItemText(window, i));
    }
    line = script::event("items " + std::string(name) + " " + std::to_string(count), {texts});
    return {};
}

std::string FormDriver::windowLine() const {
    HWND f = form();
    if (!f) return "window absent hidden";
    const bool child = GetParent(f) == host_;
    const bool shown = (GetWindowLongPtrW(f, GWL_STYLE) & WS_VISIBLE) != 0;
    return std::string("window ") + (child ? "host" : "alone") + (shown ? " visible" : " hidden");
}

namespace {

// What a profile would store for the control, read from its window(s).
std::string settingValue(const FormDriver& driver, const ControlRow& r, HWND window) {
    switch (r.kind) {
    case Kind::Text: return win::narrow(windowText(window));
    case Kind::Check: return std::to_string(SendMessageW(window, BM_GETCHECK, 0, 0));
    case Kind::Combo:
    case Kind::EditCombo: return std::to_string(SendMessageW(window, CB_GETCURSEL, 0, 0));
    case Kind::List: return std::to_string(SendMessageW(window, LB_GETCURSEL, 0, 0));
    case Kind::Option:
        for (size_t e = 0; e < r.elements.size(); ++e) {
            HWND button = nullptr;
            if (driver.findControl(r.name, static_cast<int>(e), button).empty() &&
                SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED)
                return std::to_string(e);
        }
        return "-1";
    default: return {};
    }
}

std::string listLine(HWND list, std::string_view name) {
    std::vector<std::pair<std::string, bool>> items;
    const int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i)
        items.emplace_back(win::narrow(listItemText(list, i)),
                           SendMessageW(list, LB_GETSEL, static_cast<WPARAM>(i), 0) > 0);
    return script::event("list " + std::string(name), {script::listValue(items)});
}

}  // namespace

std::string FormDriver::pageLine(std::string& line) const {
    if (!form()) return "the plug-in has not created its form";
    std::set<int> shown;
    for (const ControlRow& r : controls()) {
        const int tab = frames()[static_cast<size_t>(r.frame)].tab;
        HWND window = nullptr;
        if (tab >= 0 && findControl(r.name, 0, window).empty() && IsWindowVisible(window)) shown.insert(tab);
    }
    line = "page";
    for (const int tab : shown) line += " " + std::to_string(tab);
    return {};
}

std::string FormDriver::dump(std::vector<std::string>& lines) const {
    if (!form()) return "the plug-in has not created its form";
    std::vector<std::string> enabledLines;
    for (const ControlRow& r : settingControls()) {
        HWND window = nullptr;
        if (auto failure = findControl(r.name, 0, window); !failure.empty()) return failure;
        lines.push_back(script::event("control " + std::string(r.name), {settingValue(*this, r, window)}));
        enabledLines.push_back("enabled " + std::string(r.name) + (IsWindowEnabled(window) ? " 1" : " 0"));
    }
    lines.insert(lines.end(), enabledLines.begin(), enabledLines.end());
    for (const Control c : {Control::lstRoles, Control::lstWeapons}) {
        HWND list = nullptr;
        if (auto failure = findControl(name(c), 0, list); !failure.empty()) return failure;
        lines.push_back(listLine(list, name(c)));
    }
    HWND autoLoad = nullptr;
    if (auto failure = findControl("chkAutoLoad", 0, autoLoad); !failure.empty()) return failure;
    lines.push_back("control chkAutoLoad " + std::to_string(SendMessageW(autoLoad, BM_GETCHECK, 0, 0)));
    return {};
}

std::string FormDriver::dump(const std::vector<std::string>& names, std::vector<std::string>& lines) const {
    for (const std::string& n : names) {
        const auto c = controlByName(n);
        if (!c) return "no control " + n;
        const ControlRow& r = row(*c);
        HWND window = nullptr;
        if (auto failure = findControl(n, 0, window); !failure.empty()) return failure;
        const std::string enabled = "enabled " + n + (IsWindowEnabled(window) ? " 1" : " 0");
        switch (r.kind) {
        case Kind::MultiList: lines.push_back(listLine(window, n)); break;
        case Kind::Label: lines.push_back(enabled); break;
        default:
            lines.push_back(script::event("control " + n, {settingValue(*this, r, window)}));
            if (isSetting(*c)) lines.push_back(enabled);
            break;
        }
    }
    return {};
}

namespace {

bool boldFont(HWND window) {
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0));
    LOGFONTW face{};
    return font && GetObjectW(font, sizeof face, &face) == sizeof face && face.lfWeight >= FW_BOLD;
}

std::string toolText(HWND tooltip, HWND owner, HWND tool) {
    if (!tooltip) return {};
    std::wstring text(1024, L'\0');
    TTTOOLINFOW info{};
    info.cbSize = sizeof info;
    info.hwnd = owner;
    info.uId = reinterpret_cast<UINT_PTR>(tool);
    info.lpszText = text.data();
    SendMessageW(tooltip, TTM_GETTEXTW, text.size(), reinterpret_cast<LPARAM>(&info));
    text.resize(wcslen(text.c_str()));
    return win::narrow(text);
}

}  // namespace

std::string FormDriver::marks(std::vector<std::string>& lines) const {
    HWND f = form();
    if (!f) return "the plug-in has not created its form";
    for (const Control c : markedControls()) {
        AutomationRequest request;
        if (auto failure = ask(f, request, AutomationOp::FindMark, name(c)); !failure.empty()) return failure;
        if (request.error != 0 || !request.window) return "no caption for " + std::string(name(c));
        const bool changed = boldFont(request.window);
        const bool corrected = request.mark != nullptr;
        if (!changed && !corrected) continue;
        const auto frame = markFrame(c);
        const std::string shownName(frame ? frames()[static_cast<size_t>(*frame)].name : name(c));
        const std::string tooltip = corrected ? toolText(request.tooltip, f, request.mark) : std::string();
        lines.push_back(
            script::event("mark " + shownName + " " + std::string(markKind(changed, corrected)), {tooltip}));
    }
    return {};
}

}  // namespace kora::suite
