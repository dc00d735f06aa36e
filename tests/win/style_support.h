// The rigs of the Windows tests and the harness, each once: the top window,
// the message pump, a PDAT, pixels and the GDI counts.
#pragma once

#include <windows.h>

#include "base/raii_win.h"
#include "window_helpers_win.h"

#include <map>
#include <string>
#include <vector>

namespace kora::testing {

// One plain, visible top-level window per process for every Windows test, a
// stand-in for the host's window: never destroyed, because under Xvfb without
// a window manager Wine waits seconds for every visible top-level window it
// destroys. Each test destroys the children it made.
inline HWND testTopWindow() {
    static HWND top = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = L"KoraTestTop";
        RegisterClassW(&wc);
        const SIZE frame = suite::scaledFrameSize(750, 440, WS_OVERLAPPEDWINDOW);
        HWND hwnd = CreateWindowExW(WS_EX_CONTROLPARENT, L"KoraTestTop", L"Korastand host",
                                    WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0, frame.cx, frame.cy,
                                    nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        UpdateWindow(hwnd);
        return hwnd;
    }();
    return top;
}

// Handles everything pending on this thread's queue, paints included, and
// keystrokes through IsDialogMessage on the top window as the host's loop does.
inline void pumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (IsDialogMessageW(testTopWindow(), &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// A PDAT as the client passes it: the server key and the game edition.
inline win::Variant pdatOf(const std::wstring& key, const std::wstring& edition = L"Duskwater V1.7.5.7") {
    win::SafeArray array = win::SafeArray::attach(SafeArrayCreateVector(VT_VARIANT, 0, 2));
    for (LONG i = 0; i < 2; ++i) {
        win::Bstr text(i == 0 ? key : edition);
        VARIANT element;
        V_VT(&element) = VT_BSTR;
        V_BSTR(&element) = text.get();  // copied by SafeArrayPutElement
        SafeArrayPutElement(array.get(), &i, &element);
    }
    win::Variant pdat;
    V_VT(pdat.put()) = VT_ARRAY | VT_VARIANT;
    V_ARRAY(&pdat.get()) = array.release();
    return pdat;
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

}  // namespace kora::testing
