#include "base/window_win.h"

namespace kora::win {

WindowClass::WindowClass(const wchar_t* name, WNDPROC procedure, HBRUSH background) noexcept {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = procedure;
    wc.hInstance = codeModule();
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    if (RegisterClassExW(&wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS) reset(name);
}

}  // namespace kora::win
