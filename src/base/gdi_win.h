// Owners of GDI resources. An object is never deleted while it is selected
// into a device context: ScopedSelect puts the previous object back first,
// and the owners are declared so that the selection ends before the context
// goes and the context goes before the bitmap.
#pragma once

#include <windows.h>

#include <optional>
#include <utility>

#include "base/raii_win.h"

namespace kora::win {

struct DeleteGdiObject {
    void operator()(HGDIOBJ h) const noexcept { DeleteObject(h); }
};
template <class H>
using GdiObject = Owner<H, DeleteGdiObject>;
using GdiBitmap = GdiObject<HBITMAP>;
using GdiFont = GdiObject<HFONT>;
using GdiBrush = GdiObject<HBRUSH>;

// The objects made through counted owners that are still alive, so that a
// test can prove that whatever made them gave back all it made.
inline int& liveCountedGdiObjects() noexcept {
    static int count = 0;
    return count;
}
struct DeleteCountedGdiObject {
    static void adopted(HGDIOBJ) noexcept { ++liveCountedGdiObjects(); }
    void operator()(HGDIOBJ h) const noexcept {
        DeleteObject(h);
        --liveCountedGdiObjects();
    }
};
template <class H>
using CountedGdiObject = Owner<H, DeleteCountedGdiObject>;

struct DeleteDc {
    void operator()(HDC h) const noexcept { DeleteDC(h); }
};
using MemoryDC = Owner<HDC, DeleteDc>;

// GetDC / ReleaseDC of a window (null: the screen).
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

// A bitmap the size of a client area, selected into a memory context
// compatible with `screen`: a window drawn there goes on the screen at once,
// without flicker. The owners end in order: the selection is undone, then the
// context goes, then the bitmap.
class OffscreenDC {
public:
    OffscreenDC(HDC screen, const RECT& client) noexcept
        : bitmap_(screen ? CreateCompatibleBitmap(screen, client.right, client.bottom) : nullptr),
          memory_(bitmap_ ? CreateCompatibleDC(screen) : nullptr),
          select_(memory_.get(), bitmap_.get()) {}
    // Null when there was no room for the copy: the caller draws on the screen.
    HDC get() const noexcept { return select_.selected() ? memory_.get() : nullptr; }

private:
    GdiBitmap bitmap_;
    MemoryDC memory_;
    ScopedSelect select_;
};

// A memory context (compatible with `like`; null: the screen) that holds one
// object selected for as long as it lives: the context's own object goes back
// in before the context is deleted.
class SelectedMemoryDC {
public:
    SelectedMemoryDC() noexcept = default;
    SelectedMemoryDC(const SelectedMemoryDC&) = delete;
    SelectedMemoryDC& operator=(const SelectedMemoryDC&) = delete;
    ~SelectedMemoryDC() { reset(); }

    HDC get() const noexcept { return dc_.get(); }
    explicit operator bool() const noexcept { return static_cast<bool>(dc_); }
    void reset() noexcept {
        selection_.reset();
        dc_.reset();
    }
    void reset(HDC like, HGDIOBJ object) noexcept {
        reset();
        dc_.reset(CreateCompatibleDC(like));
        if (dc_) selection_.emplace(dc_.get(), object);
    }

private:
    MemoryDC dc_;
    std::optional<ScopedSelect> selection_;
};

}  // namespace kora::win
