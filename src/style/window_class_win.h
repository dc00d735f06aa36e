// The window classes of the style's own windows. They are registered on first
// use and unregistered when their last window has gone, so that a library
// unloaded and loaded again never finds a class whose procedure points into
// the old image.
#pragma once

#include <windows.h>

namespace kora::style {

// The module (DLL or program) that holds this code.
HINSTANCE windowClassModule() noexcept;
// Registers the class with `procedure` unless it is registered already; false
// when it cannot be.
bool ensureWindowClass(const wchar_t* name, WNDPROC procedure, HCURSOR cursor = nullptr) noexcept;
// Unregisters the class; does nothing while windows of it still exist.
void releaseWindowClass(const wchar_t* name) noexcept;

}  // namespace kora::style
