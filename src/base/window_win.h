// How the code owns its window classes and their windows, in the DLL and in
// the stand-ins alike.
//
// A window belongs to one object: CreateWindowExW's last argument. The class
// procedure windowProcedure<&T::member> finds it again for every message and
// forwards to the member; nothing thrown leaves the procedure, and messages
// before WM_NCCREATE or after WM_NCDESTROY go to DefWindowProcW.
//
// A class is registered by the owner of its first window and unregistered when
// that owner goes (UnregisterClassW refuses while windows of the class still
// exist), so a library that is unloaded leaves no class behind whose procedure
// points into code that is gone.
#pragma once

#include <windows.h>

#include "base/module_path_win.h"
#include "base/owner.h"

namespace kora::win {

namespace detail {
template <class M>
struct MemberOf;
template <class T>
struct MemberOf<LRESULT (T::*)(HWND, UINT, WPARAM, LPARAM)> {
    using type = T;
};
}  // namespace detail

// The object a window of such a class belongs to (null: none, or gone).
template <class T>
T* windowOwner(HWND hwnd) noexcept {
    return reinterpret_cast<T*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

template <auto Member>
LRESULT CALLBACK windowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    using T = typename detail::MemberOf<decltype(Member)>::type;
    if (message == WM_NCCREATE)
        SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams));
    T* self = windowOwner<T>(hwnd);
    if (message == WM_NCDESTROY) SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    try {
        // The member may end its object: the procedure touches nothing after.
        return (self->*Member)(hwnd, message, wParam, lParam);
    } catch (...) {
        return 0;
    }
}

// The registration of one window class under codeModule(), for the life of
// its owner.
struct UnregisterWindowClass {
    void operator()(const wchar_t* name) const noexcept { UnregisterClassW(name, codeModule()); }
};
class WindowClass : public Owner<const wchar_t*, UnregisterWindowClass> {
public:
    WindowClass() noexcept = default;
    // Registers the class unless it is registered already; raises nothing:
    // a class that cannot be registered shows when its window cannot be made.
    WindowClass(const wchar_t* name, WNDPROC procedure, HBRUSH background = nullptr) noexcept;
};

}  // namespace kora::win
