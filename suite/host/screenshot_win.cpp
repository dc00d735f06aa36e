#include "screenshot_win.h"

#include <cstring>
#include <vector>

#include "base/gdi_win.h"
#include "base/raii_win.h"
#include "png_writer.h"

namespace kora::suite {
namespace {

bool endsWithBmp(const std::wstring& path) {
    return path.size() >= 4 && _wcsicmp(path.c_str() + path.size() - 4, L".bmp") == 0;
}

template <class T>
void putLittle(std::string& out, T value) {
    for (size_t i = 0; i < sizeof(T); ++i)
        out += static_cast<char>((static_cast<uint64_t>(value) >> (8 * i)) & 0xFF);
}

// A bottom-up 24-bit BMP from top-down rows of `stride` bytes (BGR, padded).
std::string bmpFile(int width, int height, const uint8_t* bits, size_t stride) {
    const uint32_t imageBytes = static_cast<uint32_t>(stride * static_cast<size_t>(height));
    std::string out;
    out += "BM";
    putLittle<uint32_t>(out, 14 + 40 + imageBytes);
    putLittle<uint32_t>(out, 0);
    putLittle<uint32_t>(out, 14 + 40);
    putLittle<uint32_t>(out, 40);
    putLittle<int32_t>(out, width);
    putLittle<int32_t>(out, height);
    putLittle<uint16_t>(out, 1);
    putLittle<uint16_t>(out, 24);
    putLittle<uint32_t>(out, BI_RGB);
    putLittle<uint32_t>(out, imageBytes);
    putLittle<int32_t>(out, 3780);  // 96 dpi in pixels per metre
    putLittle<int32_t>(out, 3780);
    putLittle<uint32_t>(out, 0);
    putLittle<uint32_t>(out, 0);
    for (int y = height - 1; y >= 0; --y)
        out.append(reinterpret_cast<const char*>(bits) + static_cast<size_t>(y) * stride, stride);
    return out;
}

std::string pngFile(int width, int height, const uint8_t* bits, size_t stride) {
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
    for (int y = 0; y < height; ++y) {
        const uint8_t* from = bits + static_cast<size_t>(y) * stride;
        uint8_t* to = rgb.data() + static_cast<size_t>(y) * static_cast<size_t>(width) * 3;
        for (int x = 0; x < width; ++x) {
            to[3 * x + 0] = from[3 * x + 2];
            to[3 * x + 1] = from[3 * x + 1];
            to[3 * x + 2] = from[3 * x + 0];
        }
    }
    return encodePng(static_cast<uint32_t>(width), static_cast<uint32_t>(height), rgb.data());
}

}  // namespace

bool writeWholeFile(const std::wstring& path, const std::string& bytes) {
    win::FileHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    return bytes.empty() ||
           (WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
            written == bytes.size());
}

std::string captureWindow(HWND window, const std::wstring& path) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT client{};
    GetClientRect(window, &client);
    const int width = client.right, height = client.bottom;
    if (width <= 0 || height <= 0) return "the window has no area to capture";
    win::WindowDC source(window);
    win::MemoryDC memory(CreateCompatibleDC(source.get()));
    if (!source.get() || !memory) return "no device context";
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    win::GdiBitmap dib(CreateDIBSection(memory.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dib || !bits) return "cannot create the capture bitmap";
    {
        win::ScopedSelect selected(memory.get(), dib.get());
        if (!BitBlt(memory.get(), 0, 0, width, height, source.get(), 0, 0, SRCCOPY)) return "BitBlt failed";
        GdiFlush();
    }
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~static_cast<size_t>(3);
    const auto* pixels = static_cast<const uint8_t*>(bits);
    const std::string file =
        endsWithBmp(path) ? bmpFile(width, height, pixels, stride) : pngFile(width, height, pixels, stride);
    return writeWholeFile(path, file) ? std::string() : "cannot write the file";
}

}  // namespace kora::suite
