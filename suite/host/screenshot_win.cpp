#include "screenshot_win.h"

#include <wincodec.h>

#include "base/gdi_win.h"
#include "base/raii_win.h"

namespace kora::suite {
namespace {

bool endsWithBmp(const std::wstring& path) {
    return path.size() >= 4 && _wcsicmp(path.c_str() + path.size() - 4, L".bmp") == 0;
}

// The platform's own image encoder writes the file: PNG, or BMP by name.
std::string encodeImage(const std::wstring& path, int width, int height, BYTE* bits, UINT stride) {
    win::ComPtr<IWICImagingFactory> factory;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                factory.putVoid())))
        return "no image encoder";
    win::ComPtr<IWICStream> stream;
    win::ComPtr<IWICBitmapEncoder> encoder;
    win::ComPtr<IWICBitmapFrameEncode> frame;
    const GUID& format = endsWithBmp(path) ? GUID_ContainerFormatBmp : GUID_ContainerFormatPng;
    if (FAILED(factory->CreateStream(stream.put())) ||
        FAILED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE)))
        return "cannot write the file";
    WICPixelFormatGUID pixels = GUID_WICPixelFormat24bppBGR;
    const UINT size = stride * static_cast<UINT>(height);
    if (FAILED(factory->CreateEncoder(format, nullptr, encoder.put())) ||
        FAILED(encoder->Initialize(stream.get(), WICBitmapEncoderNoCache)) ||
        FAILED(encoder->CreateNewFrame(frame.put(), nullptr)) || FAILED(frame->Initialize(nullptr)) ||
        FAILED(frame->SetSize(static_cast<UINT>(width), static_cast<UINT>(height))) ||
        FAILED(frame->SetPixelFormat(&pixels)) || pixels != GUID_WICPixelFormat24bppBGR ||
        FAILED(frame->WritePixels(static_cast<UINT>(height), stride, size, bits)) || FAILED(frame->Commit()) ||
        FAILED(encoder->Commit()))
        return "cannot encode the image";
    return {};
}

}  // namespace

bool writeWholeFile(const std::wstring& path, const std::string& bytes) {
    win::FileHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    return bytes.empty() || (WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
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
    const UINT stride = (static_cast<UINT>(width) * 3 + 3) & ~3u;
    return encodeImage(path, width, height, static_cast<BYTE*>(bits), stride);
}

}  // namespace kora::suite
