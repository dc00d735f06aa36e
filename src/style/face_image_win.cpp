// Button faces (GIFs) read through the Windows imaging component.
#include "style/style_win.h"

#include <wincodec.h>

#include <vector>

#include "base/module_path_win.h"
#include "errors/failure.h"

namespace kora::style {
namespace {

uint8_t blend(uint32_t premultiplied, uint32_t alpha, uint32_t background) {
    return static_cast<uint8_t>(premultiplied + ((255 - alpha) * background + 127) / 255);
}

// Faces are a few kilobytes; anything past this is no face.
constexpr LONGLONG kLargestPictureFile = 64LL << 20;

std::vector<uint8_t> readPictureFile(const std::string& path) {
    const std::wstring widePath = win::openablePath(path);
    win::FileHandle file(CreateFileW(widePath.c_str(), GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        // The run-time numbers the host's picture loader reports.
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND) raise(err::FileNotFound, "File not found: " + path);
        if (error == ERROR_PATH_NOT_FOUND) raise(err::PathNotFound, "Path not found: " + path);
        raise(err::InvalidPicture);
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > kLargestPictureFile) raise(err::InvalidPicture);
    std::vector<uint8_t> bytes(static_cast<size_t>(size.QuadPart));
    // A file read whole in one call comes back short only when it shrank meanwhile.
    DWORD read = 0;
    if (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) || read != bytes.size())
        raise(err::InvalidPicture);
    return bytes;
}

}  // namespace

win::GdiBitmap loadPicture(const std::string& path, COLORREF background) {
    std::vector<uint8_t> file = readPictureFile(path);
    // The imaging component is COM; the host's thread has an apartment, a
    // test thread may not. Joining one for the call is harmless either way.
    win::ComApartment apartment;
    win::ComPtr<IWICImagingFactory> factory;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                factory.putVoid())))
        raise(err::InvalidPicture, "The imaging component is not available");
    win::ComPtr<IWICStream> stream;
    win::ComPtr<IWICBitmapDecoder> decoder;
    win::ComPtr<IWICBitmapFrameDecode> frame;
    win::ComPtr<IWICFormatConverter> converter;
    if (file.empty() || FAILED(factory->CreateStream(stream.put())) ||
        FAILED(stream->InitializeFromMemory(file.data(), static_cast<DWORD>(file.size()))) ||
        FAILED(factory->CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnLoad, decoder.put())) ||
        FAILED(decoder->GetFrame(0, frame.put())) || FAILED(factory->CreateFormatConverter(converter.put())) ||
        FAILED(converter->Initialize(frame.get(), GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                     WICBitmapPaletteTypeCustom)))
        raise(err::InvalidPicture);
    UINT width = 0, height = 0;
    if (FAILED(converter->GetSize(&width, &height)) || width == 0 || height == 0 || width > 0x4000 || height > 0x4000)
        raise(err::InvalidPicture);

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = static_cast<LONG>(width);
    info.bmiHeader.biHeight = -static_cast<LONG>(height);  // top-down, as WIC writes rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    win::GdiBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits) raise(err::InvalidPicture, "No room for the picture");
    const UINT stride = width * 4, size = stride * height;
    auto* pixels = static_cast<uint8_t*>(bits);
    if (FAILED(converter->CopyPixels(nullptr, stride, size, pixels))) raise(err::InvalidPicture);
    // GDI ignores alpha when it stretches: settle transparency now.
    const uint32_t bgB = GetBValue(background), bgG = GetGValue(background), bgR = GetRValue(background);
    for (uint8_t* pixel = pixels; pixel < pixels + size; pixel += 4) {
        const uint32_t alpha = pixel[3];
        if (alpha == 255) continue;
        pixel[0] = blend(pixel[0], alpha, bgB);
        pixel[1] = blend(pixel[1], alpha, bgG);
        pixel[2] = blend(pixel[2], alpha, bgR);
        pixel[3] = 255;
    }
    GdiFlush();
    return bitmap;
}

}  // namespace kora::style
