#include "base/window_win.h"

#include <utility>

namespace kora::win {

WindowClass::WindowClass(const wchar_t* name, WNDPROC procedure, HBRUSH background) noexcept {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = procedure;
    wc.hInstance = codeModule();
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    if (RegisterClassExW(&wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS) name_ = name;
}

WindowClass& WindowClass::operator=(WindowClass&& other) noexcept {
    if (this != &other) {
        reset();
        name_ = std::exchange(other.name_, nullptr);
    }
    return *this;
}

void WindowClass::reset() noexcept {
    if (name_) UnregisterClassW(std::exchange(name_, nullptr), codeModule());
}

}  // namespace kora::win
