#include "style/face_image_win.h"

#include <wincodec.h>

#include <climits>
#include <cstring>

#include "errors/failure.h"
#include "plugin/text_win.h"

namespace kora::style {
namespace {

// The run-time number a failed read maps to, as the host's picture loader
// reports it.
[[noreturn]] void raiseFor(HRESULT hr, const std::string& path) {
    if (hr == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)) raise(err::FileNotFound, "File not found: " + path);
    if (hr == HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND)) raise(err::PathNotFound, "Path not found: " + path);
    raise(err::InvalidPicture);
}

uint8_t blend(uint32_t premultiplied, uint32_t alpha, uint32_t background) {
    return static_cast<uint8_t>(premultiplied + ((255 - alpha) * background + 127) / 255);
}

}  // namespace

GdiBitmap loadPicture(const std::string& path, COLORREF background) {
    // The imaging component is COM; the host's thread has an apartment, a
    // test thread may not. Joining one for the call is harmless either way.
    win::ComApartment apartment;
    win::ComPtr<IWICImagingFactory> factory;
    HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_IWICImagingFactory, factory.putVoid());
    if (FAILED(hr)) raise(err::InvalidPicture, "The imaging component is not available");

    const std::wstring widePath = win::widen(path);
    win::ComPtr<IWICBitmapDecoder> decoder;
    hr = factory->CreateDecoderFromFilename(widePath.c_str(), nullptr, GENERIC_READ,
                                            WICDecodeMetadataCacheOnDemand, decoder.put());
    if (FAILED(hr)) {
        // The decoder may refuse a missing file in its own words; ask the file system.
        const DWORD attributes = GetFileAttributesW(widePath.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) raiseFor(HRESULT_FROM_WIN32(GetLastError()), path);
        raiseFor(hr, path);
    }
    win::ComPtr<IWICBitmapFrameDecode> frame;
    if (FAILED(decoder->GetFrame(0, frame.put()))) raise(err::InvalidPicture);
    win::ComPtr<IWICFormatConverter> converter;
    if (FAILED(factory->CreateFormatConverter(converter.put())) ||
        FAILED(converter->Initialize(frame.get(), GUID_WICPixelFormat32bppPBGRA,
                                     WICBitmapDitherTypeNone, nullptr, 0.0,
                                     WICBitmapPaletteTypeCustom)))
        raise(err::InvalidPicture);
    UINT width = 0, height = 0;
    if (FAILED(converter->GetSize(&width, &height)) || width == 0 || height == 0 ||
        width > 0x4000 || height > 0x4000)
        raise(err::InvalidPicture);

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = static_cast<LONG>(width);
    info.bmiHeader.biHeight = -static_cast<LONG>(height);  // top-down, as WIC writes rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    GdiBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits) raise(err::InvalidPicture, "No room for the picture");
    const UINT stride = width * 4;
    if (FAILED(converter->CopyPixels(nullptr, stride, stride * height, static_cast<BYTE*>(bits))))
        raise(err::InvalidPicture);

    // GDI ignores alpha when it stretches: settle transparency now.
    auto* pixel = static_cast<uint8_t*>(bits);
    const uint32_t bgB = GetBValue(background), bgG = GetGValue(background), bgR = GetRValue(background);
    for (size_t i = 0, n = static_cast<size_t>(width) * height; i < n; ++i, pixel += 4) {
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

SIZE bitmapSize(HBITMAP bitmap) noexcept {
    BITMAP b{};
    if (!bitmap || !GetObjectW(bitmap, sizeof(b), &b)) return {0, 0};
    return {b.bmWidth, b.bmHeight < 0 ? -b.bmHeight : b.bmHeight};
}

}  // namespace kora::style
