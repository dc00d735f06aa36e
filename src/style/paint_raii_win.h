// Owners of the GDI resources the painting creates. An object is never deleted
// while it is selected into a device context: ScopedSelect puts the previous
// object back first, and the owners are declared so that the selection ends
// before the context goes and the context goes before the bitmap.
#pragma once

#include <windows.h>

#include <utility>

#include "base/raii_win.h"

namespace kora::style {

template <class H>
struct DeleteObjectTraits : win::NullInvalidTraits<H> {
    static void close(H h) noexcept { DeleteObject(h); }
};
struct MemoryDcTraits : win::NullInvalidTraits<HDC> {
    static void close(HDC h) noexcept { DeleteDC(h); }
};

using GdiBitmap = win::UniqueHandle<DeleteObjectTraits<HBITMAP>>;
using GdiFont = win::UniqueHandle<DeleteObjectTraits<HFONT>>;
using GdiBrush = win::UniqueHandle<DeleteObjectTraits<HBRUSH>>;
using MemoryDC = win::UniqueHandle<MemoryDcTraits>;

// GetDC / ReleaseDC of a window.
class WindowDC {
public:
    explicit WindowDC(HWND hwnd) noexcept : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    ~WindowDC() {
        if (dc_) ReleaseDC(hwnd_, dc_);
    }
    HDC get() const noexcept { return dc_; }

private:
    HWND hwnd_;
    HDC dc_;
};

// BeginPaint / EndPaint. end() may be called early to keep an order of
// clean-up visible; the destructor does it otherwise.
class PaintScope {
public:
    explicit PaintScope(HWND hwnd) noexcept : hwnd_(hwnd), dc_(BeginPaint(hwnd, &ps_)) {}
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    ~PaintScope() { end(); }
    HDC dc() const noexcept { return dc_; }
    const PAINTSTRUCT& paint() const noexcept { return ps_; }
    void end() noexcept {
        if (hwnd_) EndPaint(std::exchange(hwnd_, nullptr), &ps_);
    }

private:
    HWND hwnd_;
    PAINTSTRUCT ps_{};
    HDC dc_;
};

// SelectObject for a scope: the object that was selected before goes back
// when the scope ends (or at restore()).
class ScopedSelect {
public:
    ScopedSelect(HDC dc, HGDIOBJ object) noexcept
        : dc_(dc), previous_(dc && object ? SelectObject(dc, object) : nullptr) {
        if (previous_ == HGDI_ERROR) previous_ = nullptr;
    }
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;
    ~ScopedSelect() { restore(); }
    // The object the context held before; null when the selection failed.
    HGDIOBJ previous() const noexcept { return previous_; }
    bool selected() const noexcept { return previous_ != nullptr; }
    void restore() noexcept {
        if (previous_) SelectObject(dc_, std::exchange(previous_, nullptr));
    }

private:
    HDC dc_;
    HGDIOBJ previous_;
};

}  // namespace kora::style
