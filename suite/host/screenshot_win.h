// Screenshots of the host's window for the script mode.
#pragma once

#include <windows.h>

#include <string>

namespace kora::suite {

// Captures the window's client area, children included, as the screen shows
// it, into `path`: a BMP file when the name ends in ".bmp" (any case), else
// PNG. Returns "" when it worked, else why not.
std::string captureWindow(HWND window, const std::wstring& path);

// Writes the bytes to the file, replacing it; false when it cannot.
bool writeWholeFile(const std::wstring& path, const std::string& bytes);

}  // namespace kora::suite
