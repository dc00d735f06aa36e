// Windows, pixels and GDI handle counts for the visual-style tests.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace kora::testing {

// Dispatches everything pending on this thread's queue, paints included.
inline void pumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// A plain, visible top-level window to hold the controls under test, one per
// process and never destroyed: under Xvfb, with no window manager, Wine waits
// two seconds for every visible top-level window it destroys. Each test
// destroys the children it made.
inline HWND testTopWindow() {
    static HWND top = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        wc.lpszClassName = L"KoraStyleTestTop";
        RegisterClassW(&wc);
        HWND hwnd = CreateWindowExW(0, L"KoraStyleTestTop", L"Korastand style",
                                    WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0, 760, 460, nullptr,
                                    nullptr, GetModuleHandleW(nullptr), nullptr);
        pumpMessages();
        return hwnd;
    }();
    return top;
}

// What the window shows at a client point, read back from its device context.
inline COLORREF pixelOf(HWND hwnd, int x, int y) {
    HDC dc = GetDC(hwnd);
    COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(hwnd, dc);
    return c;
}

// Paints over the window's client area directly, leaving nothing invalid.
inline void paintOver(HWND hwnd, COLORREF colour) {
    RECT client{};
    GetClientRect(hwnd, &client);
    HDC dc = GetDC(hwnd);
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &client, brush);
    DeleteObject(brush);
    ReleaseDC(hwnd, dc);
    GdiFlush();
}

// How many more GDI objects this process can create now: 1x1 bitmaps are
// made until creation fails, then all are freed again.
inline size_t freeGdiCapacity() {
    std::vector<HBITMAP> made;
    made.reserve(70000);
    while (HBITMAP b = CreateBitmap(1, 1, 1, 1, nullptr)) {
        made.push_back(b);
        if (made.size() > 1000000) break;
    }
    for (HBITMAP b : made) DeleteObject(b);
    return made.size();
}

// The process's live GDI objects by type (OBJ_BITMAP, OBJ_MEMDC, ...). Wine
// finds an object by the index in the low word of a handle when the high
// word is zero, so every slot of its table can be asked for its type.
inline std::map<DWORD, size_t> gdiCensus() {
    std::map<DWORD, size_t> census;
    for (uintptr_t index = 1; index < 0x10000; ++index)
        if (DWORD type = GetObjectType(reinterpret_cast<HGDIOBJ>(index))) ++census[type];
    return census;
}

// The window's position inside its parent's client area.
inline RECT rectInParent(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    MapWindowPoints(nullptr, GetParent(hwnd), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

}  // namespace kora::testing
