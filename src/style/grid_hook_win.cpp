// The tab control's painting hook. The tab control paints itself into a
// memory bitmap through its own procedure; Picture1's image is merged in
// twice (over the button-face colour with MERGEPAINT, then over its own back
// colour with SRCAND), so that the control's button-face areas take the
// picture's colours while its dark lines and text stay; only the update
// rectangle then reaches the screen, in one copy.
//
// Picture1 holds no picture, so its image is its back colour and each pass is
// one colour over the whole bitmap: a brush gives that exactly, with the
// pattern forms of the two operations (~P | D for ~S | D, P & D for S & D).
//
// The procedure is set with SetWindowLongPtrA (SetWindowLongA on 32-bit): the
// window becomes an ANSI window for the hook's life, and CallWindowProcA
// converts text messages back for the control. The tab control carries no
// text of its own in those messages, so nothing is lost.
#include "base/gdi_win.h"
#include "style/style_win.h"

namespace kora::style {
namespace {

constexpr char kOldProcedure[] = "lpPROC";
constexpr char kPictureObject[] = "PctOBJ";
constexpr DWORD kMergePattern = 0x00AF0229;  // ~P | D
constexpr DWORD kPatternAnd = 0x00A000C9;    // P & D

WNDPROC oldProcedure(HWND hwnd) noexcept { return reinterpret_cast<WNDPROC>(GetPropA(hwnd, kOldProcedure)); }

void blend(HDC dc, const RECT& all, COLORREF colour, DWORD rop) noexcept {
    win::GdiBrush brush(CreateSolidBrush(colour));
    win::ScopedSelect select(dc, brush.get());
    if (select.selected()) PatBlt(dc, 0, 0, all.right, all.bottom, rop);
}

LRESULT paint(HWND hwnd, WNDPROC old, const PictureBox& box) noexcept {
    RECT client{};
    GetClientRect(hwnd, &client);
    // The copy ends before the paint does.
    win::PaintScope screen(hwnd);
    const win::OffscreenDC offscreen(screen.dc(), client);
    HDC memory = offscreen.get();
    if (!memory) {
        // No room for the off-screen copy: the control paints itself as usual.
        if (screen.dc()) CallWindowProcA(old, hwnd, WM_PAINT, reinterpret_cast<WPARAM>(screen.dc()), 0);
        return 0;
    }
    // A new bitmap holds nothing, and the control leaves what its tabs and
    // pane do not cover (the row beside the tabs) to an erase: that is the
    // button face.
    FillRect(memory, &client, GetSysColorBrush(COLOR_BTNFACE));
    CallWindowProcA(old, hwnd, WM_PAINT, reinterpret_cast<WPARAM>(memory), 0);
    blend(memory, client, GetSysColor(COLOR_BTNFACE), kMergePattern);
    blend(memory, client, box.back, kPatternAnd);

    const RECT& update = screen.paint().rcPaint;
    BitBlt(screen.dc(), update.left, update.top, update.right - update.left, update.bottom - update.top, memory,
           update.left, update.top, SRCCOPY);
    return 0;
}

}  // namespace

// Nothing here raises: the painting is noexcept, the rest are calls into Windows.
LRESULT CALLBACK GridWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto* box = static_cast<const PictureBox*>(GetPropA(hwnd, kPictureObject));
    WNDPROC old = oldProcedure(hwnd);
    if (!old) return DefWindowProcA(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        // Going away without UnhookGrid: no property outlives the window.
        UnhookGrid(hwnd);
        return CallWindowProcA(old, hwnd, message, wParam, lParam);
    }
    if (message != WM_PAINT || !box) return CallWindowProcA(old, hwnd, message, wParam, lParam);
    return paint(hwnd, old, *box);
}

void HookGrid(HWND grid, const PictureBox& picture) {
    if (!IsWindow(grid)) return;
    // Hooked already, a second replacement would make the hook its own
    // previous procedure: only the picture is brought up to date.
    if (!oldProcedure(grid)) {
        const LONG_PTR previous = SetWindowLongPtrA(grid, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&GridWndProc));
        if (!previous) return;
        SetPropA(grid, kOldProcedure, reinterpret_cast<HANDLE>(previous));
    }
    SetPropA(grid, kPictureObject, const_cast<PictureBox*>(&picture));
}

void UnhookGrid(HWND grid) {
    WNDPROC old = oldProcedure(grid);
    if (old) SetWindowLongPtrA(grid, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old));
    RemovePropA(grid, kOldProcedure);
    RemovePropA(grid, kPictureObject);
}

}  // namespace kora::style
