// Picture1: a child window whose image persists in a memory device context, as
// a picture box with AutoRedraw keeps it. The painting hook of the tab control
// copies from that context while the window itself may be hidden or covered.
#include <windowsx.h>

#include "errors/failure.h"
#include "style/face_image_win.h"
#include "style/style_win.h"
#include "style/window_class_win.h"

namespace kora::style {
namespace {

constexpr wchar_t kPictureBoxClass[] = L"KoraStylePictureBox";
constexpr uint32_t kSystemColourFlag = 0x80000000u;

COLORREF toRgb(uint32_t color) noexcept {
    if (color & kSystemColourFlag) return GetSysColor(static_cast<int>(color & 0xFFu));
    return static_cast<COLORREF>(color & 0xFFFFFFu);
}

LRESULT CALLBACK pictureBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

}  // namespace

struct PictureBox::Image {
    HWND hwnd = nullptr;
    uint32_t back = 0;
    bool autoRedraw = false;
    bool autoSize = false;
    int scaleMode = 1;
    SIZE size{0, 0};
    win::GdiBitmap picture;
    win::GdiBitmap surface;
    win::SelectedMemoryDC dc;  // holds `surface`

    ~Image() { dropSurface(); }

    void dropSurface() noexcept {
        dc.reset();
        surface.reset();
    }

    // Makes the persistent image the size of the client area and draws it anew.
    void resize() noexcept {
        RECT client{};
        if (hwnd) GetClientRect(hwnd, &client);
        SIZE wanted{client.right > 0 ? client.right : 1, client.bottom > 0 ? client.bottom : 1};
        if (dc && wanted.cx == size.cx && wanted.cy == size.cy) return;
        dropSurface();
        win::WindowDC screen(nullptr);
        surface.reset(CreateCompatibleBitmap(screen.get(), wanted.cx, wanted.cy));
        dc.reset(screen.get(), surface.get());
        if (!dc || !surface) {
            dropSurface();
            size = {0, 0};
            return;
        }
        size = wanted;
        render();
    }

    // The back colour with the picture over it, at the top-left corner.
    void render() noexcept {
        if (!dc) return;
        RECT all{0, 0, size.cx, size.cy};
        win::GdiBrush brush(CreateSolidBrush(toRgb(back)));
        if (brush) FillRect(dc.get(), &all, brush.get());
        if (picture) {
            win::MemoryDC source(CreateCompatibleDC(dc.get()));
            win::ScopedSelect select(source.get(), picture.get());
            const SIZE p = bitmapSize(picture.get());
            if (select.selected()) BitBlt(dc.get(), 0, 0, p.cx, p.cy, source.get(), 0, 0, SRCCOPY);
        }
        if (hwnd) InvalidateRect(hwnd, nullptr, FALSE);
    }

    void fitToPicture() noexcept {
        if (!autoSize || !picture || !hwnd) return;
        const SIZE p = bitmapSize(picture.get());
        RECT r{0, 0, p.cx, p.cy};
        AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE)), FALSE,
                           static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_EXSTYLE)));
        SetWindowPos(hwnd, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        resize();
    }

    void paint() noexcept {
        win::PaintScope ps(hwnd);
        if (!ps.dc()) return;
        if (dc) {
            BitBlt(ps.dc(), 0, 0, size.cx, size.cy, dc.get(), 0, 0, SRCCOPY);
        } else {
            win::GdiBrush brush(CreateSolidBrush(toRgb(back)));
            FillRect(ps.dc(), &ps.paint().rcPaint, brush.get());
        }
    }

    int twipsPerPixel() const noexcept {
        win::WindowDC screen(nullptr);
        const int dpi = screen.get() ? GetDeviceCaps(screen.get(), LOGPIXELSX) : 96;
        return dpi > 0 ? 1440 / dpi : 15;
    }
};

namespace {

LRESULT CALLBACK pictureBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    auto* image = reinterpret_cast<PictureBox::Image*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (message) {
    case WM_NCCREATE: {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        image = static_cast<PictureBox::Image*>(create->lpCreateParams);
        if (image) image->hwnd = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(image));
        break;
    }
    case WM_ERASEBKGND:
        if (image) return 1;  // the whole client area is painted from the image
        break;
    case WM_PAINT:
        if (image) {
            image->paint();
            return 0;
        }
        break;
    case WM_SIZE:
        if (image) image->resize();
        break;
    case WM_NCDESTROY:
        if (image) image->hwnd = nullptr;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        break;
    default: break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

PictureBox::PictureBox(std::shared_ptr<Image> image) : image_(std::move(image)) {}

PictureBox::~PictureBox() {
    if (image_ && image_->hwnd) {
        HWND hwnd = std::exchange(image_->hwnd, nullptr);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        DestroyWindow(hwnd);
    }
    releaseWindowClass(kPictureBoxClass);
}

HWND PictureBox::window() const noexcept { return image_->hwnd; }
HDC PictureBox::hdc() const noexcept { return image_->dc.get(); }
uint32_t PictureBox::backColor() const noexcept { return image_->back; }

void PictureBox::setBackColor(uint32_t color) noexcept {
    image_->back = color;
    image_->render();
}

bool PictureBox::autoRedraw() const noexcept { return image_->autoRedraw; }
void PictureBox::setAutoRedraw(bool on) noexcept { image_->autoRedraw = on; }
bool PictureBox::autoSize() const noexcept { return image_->autoSize; }

void PictureBox::setAutoSize(bool on) noexcept {
    image_->autoSize = on;
    image_->fitToPicture();
}

int PictureBox::scaleMode() const noexcept { return image_->scaleMode; }

void PictureBox::setScaleMode(int mode) {
    if (mode != 1 && mode != 3) raise(err::InvalidPropertyValue);
    image_->scaleMode = mode;
}

double PictureBox::scaleWidth() const noexcept {
    const double pixels = image_->size.cx;
    return image_->scaleMode == 3 ? pixels : pixels * image_->twipsPerPixel();
}

double PictureBox::scaleHeight() const noexcept {
    const double pixels = image_->size.cy;
    return image_->scaleMode == 3 ? pixels : pixels * image_->twipsPerPixel();
}

void PictureBox::setPicture(HBITMAP bitmap) noexcept {
    image_->picture.reset(bitmap ? static_cast<HBITMAP>(CopyImage(bitmap, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION))
                                 : nullptr);
    image_->render();
    image_->fitToPicture();
}

std::unique_ptr<PictureBox> createPictureBox(HWND parent, const RECT& pixels, COLORREF back) {
    if (!ensureWindowClass(kPictureBoxClass, &pictureBoxProc)) return nullptr;
    auto image = std::make_shared<PictureBox::Image>();
    image->back = static_cast<uint32_t>(back) & 0xFFFFFFu;
    CreateWindowExW(WS_EX_CLIENTEDGE, kPictureBoxClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, pixels.left,
                    pixels.top, pixels.right - pixels.left, pixels.bottom - pixels.top, parent, nullptr,
                    windowClassModule(), image.get());
    if (!image->hwnd) {
        releaseWindowClass(kPictureBoxClass);
        return nullptr;
    }
    image->resize();
    return std::make_unique<PictureBox>(std::move(image));
}

HWND pictureWindow(const PictureBox& box) { return box.window(); }

}  // namespace kora::style
