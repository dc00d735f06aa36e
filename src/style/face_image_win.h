// Picture files (the button faces are GIFs) read through the Windows imaging
// component into bitmaps that GDI can stretch.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/gdi_win.h"

namespace kora::style {

// Reads the picture file at `path` (UTF-8, "\" separators) into a 32-bit
// top-down DIB section; transparent pixels are blended over `background`.
// Raises 53 when the file does not exist, 76 when its folder does not, and
// 481 when it is not a picture.
win::GdiBitmap loadPicture(const std::string& path, COLORREF background);

// Width and height of a bitmap in pixels (0, 0 for none).
SIZE bitmapSize(HBITMAP bitmap) noexcept;

}  // namespace kora::style
