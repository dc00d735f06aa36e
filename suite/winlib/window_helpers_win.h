// Windows as a user sees them, for the host's script mode, the dialog
// answerers and the Wine tests: their texts, their classes, the items of their
// lists, and where they are.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace kora::suite {

std::wstring windowText(HWND window);
std::wstring className(HWND window);
// Class names match without regard to case, as Windows matches them.
bool hasClass(HWND window, std::wstring_view name);

// An item's text; "" when there is no such item.
std::wstring comboItemText(HWND combo, int index);
std::wstring listItemText(HWND list, int index);

// The first window of the class, in the order Windows enumerates them; null
// when there is none. Forms that have no parent yet are top-level windows of
// the thread; controls may sit inside other controls, hence descendants.
HWND findThreadWindow(std::wstring_view windowClass);
HWND findDescendant(HWND parent, std::wstring_view windowClass);

// The outer size of a window of `style` whose client area is width x height
// pixels at 96 dpi, scaled to the screen's dpi as the host's frame is.
SIZE scaledFrameSize(int width, int height, DWORD style);

}  // namespace kora::suite
