#include "window_helpers_win.h"

namespace kora::suite {
namespace {

std::wstring itemText(HWND control, UINT lengthMessage, UINT textMessage, int index) {
    const LRESULT length = SendMessageW(control, lengthMessage, static_cast<WPARAM>(index), 0);
    if (length < 0) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT got =
        SendMessageW(control, textMessage, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(got < 0 ? 0 : static_cast<size_t>(got));
    return text;
}

struct ClassSearch {
    std::wstring_view windowClass;
    HWND found = nullptr;
};

BOOL CALLBACK matchClass(HWND window, LPARAM search) {
    auto& s = *reinterpret_cast<ClassSearch*>(search);
    if (!hasClass(window, s.windowClass)) return TRUE;
    s.found = window;
    return FALSE;
}

}  // namespace

std::wstring windowText(HWND window) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::wstring className(HWND window) {
    wchar_t name[257] = {};  // class names are at most 256 characters
    GetClassNameW(window, name, 257);
    return name;
}

bool hasClass(HWND window, std::wstring_view name) {
    return _wcsicmp(className(window).c_str(), std::wstring(name).c_str()) == 0;
}

std::wstring comboItemText(HWND combo, int index) { return itemText(combo, CB_GETLBTEXTLEN, CB_GETLBTEXT, index); }

std::wstring listItemText(HWND list, int index) { return itemText(list, LB_GETTEXTLEN, LB_GETTEXT, index); }

HWND findThreadWindow(std::wstring_view windowClass) {
    ClassSearch search{windowClass};
    EnumThreadWindows(GetCurrentThreadId(), &matchClass, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND findDescendant(HWND parent, std::wstring_view windowClass) {
    ClassSearch search{windowClass};
    EnumChildWindows(parent, &matchClass, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

SIZE scaledFrameSize(int width, int height, DWORD style) {
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    RECT frame{0, 0, MulDiv(width, dpi, 96), MulDiv(height, dpi, 96)};
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    return {frame.right - frame.left, frame.bottom - frame.top};
}

}  // namespace kora::suite
