// The tab control's painting hook. The tab control paints itself into a
// memory bitmap through its own procedure; the picture box's image is merged
// in twice (once over the button-face colour with MERGEPAINT, once over its
// own back colour with SRCAND), so that the control's button-face areas take
// the picture's colours while its dark lines and text stay; only the update
// rectangle then reaches the screen, in one copy.
//
// The state lives in three window properties, so the procedure needs nothing
// else. The procedure is set with SetWindowLongPtrA (SetWindowLongA on 32-bit):
// the window becomes an ANSI window for the hook's life, and CallWindowProcA
// converts text messages back for the control. The tab control carries no
// text of its own in those messages, so nothing is lost.
#include <cmath>

#include "base/gdi_win.h"
#include "style/button_geometry.h"
#include "style/style_win.h"

namespace kora::style {
namespace {

constexpr char kOldProcedure[] = "lpPROC";
constexpr char kPictureObject[] = "PctOBJ";
constexpr char kGridObject[] = "GridOBJ";
constexpr uint32_t kButtonFaceColour = 0x8000000Fu;
constexpr int kPixels = 3;

WNDPROC oldProcedure(HWND hwnd) noexcept { return reinterpret_cast<WNDPROC>(GetPropA(hwnd, kOldProcedure)); }

// The picture box's back colour for a scope, put back at its end.
class BackColourSwap {
public:
    BackColourSwap(PictureBox& box, uint32_t colour) noexcept : box_(box), saved_(box.backColor()) {
        box_.setBackColor(colour);
    }
    BackColourSwap(const BackColourSwap&) = delete;
    BackColourSwap& operator=(const BackColourSwap&) = delete;
    ~BackColourSwap() { restore(); }
    void restore() noexcept {
        if (!restored_) box_.setBackColor(saved_);
        restored_ = true;
    }

private:
    PictureBox& box_;
    uint32_t saved_;
    bool restored_ = false;
};

// One pass of the picture over the whole memory bitmap. The box's context and
// inner size are read afresh for each pass.
void stretchPicture(HDC memory, const RECT& client, const PictureBox& box, DWORD rop) noexcept {
    StretchBlt(memory, 0, 0, client.right, client.bottom, box.hdc(), 0, 0, roundHalfEven(box.scaleWidth()),
               roundHalfEven(box.scaleHeight()), rop);
}

LRESULT paint(HWND hwnd, WNDPROC old, PictureBox& box) noexcept {
    RECT client{};
    GetClientRect(hwnd, &client);
    // Owners in the order of their end: the selection is undone, then the
    // memory context goes, then the bitmap, then the paint ends.
    win::PaintScope screen(hwnd);
    win::GdiBitmap bitmap;
    win::MemoryDC memory(CreateCompatibleDC(screen.dc()));
    bitmap.reset(CreateCompatibleBitmap(screen.dc(), client.right, client.bottom));
    if (!screen.dc() || !memory || !bitmap) {
        // No room for the off-screen copy: the control paints itself as usual.
        if (screen.dc()) CallWindowProcA(old, hwnd, WM_PAINT, reinterpret_cast<WPARAM>(screen.dc()), 0);
        return 0;
    }
    win::ScopedSelect select(memory.get(), bitmap.get());
    // A new memory context starts with the stock 1x1 bitmap; deleting a stock
    // object does nothing, so it stays valid to be selected back at the end.
    if (select.previous()) DeleteObject(select.previous());

    // A new bitmap holds no picture. The control leaves to its background
    // erase whatever its tabs and pane do not cover (the row beside the
    // tabs), so the erase is done into the bitmap too, over the button face.
    FillRect(memory.get(), &client, GetSysColorBrush(COLOR_BTNFACE));
    CallWindowProcA(old, hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory.get()), 0);

    CallWindowProcA(old, hwnd, WM_PAINT, reinterpret_cast<WPARAM>(memory.get()), 0);
    SetStretchBltMode(memory.get(), COLORONCOLOR);
    {
        BackColourSwap swap(box, kButtonFaceColour);
        stretchPicture(memory.get(), client, box, MERGEPAINT);
    }
    stretchPicture(memory.get(), client, box, SRCAND);

    const RECT& update = screen.paint().rcPaint;
    BitBlt(screen.dc(), update.left, update.top, update.right - update.left, update.bottom - update.top, memory.get(),
           update.left, update.top, SRCCOPY);

    select.restore();
    memory.reset();
    bitmap.reset();
    screen.end();
    return 0;
}

// Takes the hook off a window that is going away without UnhookGrid, so no
// property outlives it and no message reaches a picture box that may be gone.
void unhookDying(HWND hwnd) noexcept { UnhookGrid(hwnd); }

}  // namespace

LRESULT CALLBACK GridWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        // The picture box lives as long as the form's picture; holding its
        // image keeps the context valid to the end of this message even so.
        auto* box = static_cast<PictureBox*>(GetPropA(hwnd, kPictureObject));
        std::shared_ptr<PictureBox::Image> held = box ? box->image() : nullptr;
        WNDPROC old = oldProcedure(hwnd);
        if (!old) return DefWindowProcA(hwnd, message, wParam, lParam);
        if (message == WM_NCDESTROY) {
            unhookDying(hwnd);
            return CallWindowProcA(old, hwnd, message, wParam, lParam);
        }
        if (message != WM_PAINT || !box || !box->hdc()) return CallWindowProcA(old, hwnd, message, wParam, lParam);
        return paint(hwnd, old, *box);
    } catch (...) {
        // Nothing in the painting raises; nothing may leave a window procedure.
        return 0;
    }
}

void HookGrid(Grid& grid, PictureBox& picture) {
    picture.setAutoRedraw(true);
    picture.setAutoSize(true);
    picture.setScaleMode(kPixels);
    HWND hwnd = grid.hwnd;
    if (!IsWindow(hwnd)) return;
    if (oldProcedure(hwnd)) {
        // Hooked already: a second replacement would make the hook its own
        // previous procedure. Only the objects are brought up to date.
        SetPropA(hwnd, kPictureObject, &picture);
        SetPropA(hwnd, kGridObject, &grid);
        return;
    }
    const LONG_PTR previous = SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&GridWndProc));
    if (!previous) return;
    SetPropA(hwnd, kOldProcedure, reinterpret_cast<HANDLE>(previous));
    SetPropA(hwnd, kPictureObject, &picture);
    SetPropA(hwnd, kGridObject, &grid);
}

void UnhookGrid(HWND grid) {
    WNDPROC old = oldProcedure(grid);
    if (old) SetWindowLongPtrA(grid, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old));
    RemovePropA(grid, kOldProcedure);
    RemovePropA(grid, kPictureObject);
    RemovePropA(grid, kGridObject);
}

}  // namespace kora::style
