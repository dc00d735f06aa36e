// Picture files (the button faces are GIFs) read through the Windows imaging
// component into bitmaps that GDI can stretch.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/gdi_win.h"

namespace kora::style {

// Pictures already decoded, each kept with the file bytes it came from. A
// picture is decoded again only when its file's contents differ from what was
// decoded last time, so a replaced file shows at once while a button pressed
// again and again costs a file read rather than a decode.
class PictureCache {
public:
    struct Entry {
        std::string path;
        COLORREF background = 0;
        std::vector<uint8_t> file;
        uint32_t width = 0, height = 0;
        std::vector<uint8_t> pixels;  // 32-bit, top-down, blended over `background`
    };
    const Entry* find(const std::string& path, COLORREF background, const std::vector<uint8_t>& file) const;
    void keep(Entry entry);

private:
    static constexpr size_t kEntries = 8;  // the form shows two faces
    std::vector<Entry> entries_;
};

// Reads the picture file at `path` (UTF-8, "\" separators) into a 32-bit
// top-down DIB section; transparent pixels are blended over `background`.
// Raises 53 when the file does not exist, 76 when its folder does not, and
// 481 when it is not a picture. With a cache, an unchanged file is not
// decoded again, and `unchanged` (when given) tells whether it was.
win::GdiBitmap loadPicture(const std::string& path, COLORREF background, PictureCache* cache = nullptr,
                           bool* unchanged = nullptr);

// Width and height of a bitmap in pixels (0, 0 for none).
SIZE bitmapSize(HBITMAP bitmap) noexcept;

}  // namespace kora::style
