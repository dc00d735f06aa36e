#include "style/window_class_win.h"

namespace kora::style {

HINSTANCE windowClassModule() noexcept {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&windowClassModule), &module);
    return module;
}

bool ensureWindowClass(const wchar_t* name, WNDPROC procedure, HCURSOR cursor) noexcept {
    HINSTANCE module = windowClassModule();
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (GetClassInfoExW(module, name, &existing)) {
        if (existing.lpfnWndProc == procedure) return true;
        // Left behind by an earlier image of this library: only usable once it is gone.
        if (!UnregisterClassW(name, module)) return false;
    }
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = procedure;
    wc.hInstance = module;
    wc.hCursor = cursor ? cursor : LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    wc.lpszClassName = name;
    return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

void releaseWindowClass(const wchar_t* name) noexcept { UnregisterClassW(name, windowClassModule()); }

}  // namespace kora::style
