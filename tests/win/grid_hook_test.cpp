// The tab control's painting hook, on a real tab control in a window of the
// test's own.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "style/style_win.h"
#include "style_support.h"

namespace kora::style {
namespace {

using namespace kora::testing;

constexpr COLORREF kPictureBack = RGB(236, 233, 216);
constexpr COLORREF kMagenta = RGB(255, 0, 255);

// What the two passes make of a pixel the control painted as `d`.
COLORREF blended(COLORREF d) {
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    return ((~face | d) & kPictureBack) & 0xFFFFFF;
}

// A procedure put under the hook that answers with values of its own and
// remembers what reached it.
struct Recorded {
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    int memoryPaints = 0;
    int screenPaints = 0;
};
Recorded g_recorded;
WNDPROC g_tabProcedure = nullptr;

LRESULT CALLBACK recordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        g_recorded = {message, wParam, lParam, g_recorded.memoryPaints, g_recorded.screenPaints};
        return 0x5A5A;
    case WM_LBUTTONDOWN:
        g_recorded = {message, wParam, lParam, g_recorded.memoryPaints, g_recorded.screenPaints};
        return 0x1234;
    case WM_PAINT:
        if (wParam && GetObjectType(reinterpret_cast<HDC>(wParam)) == OBJ_MEMDC)
            ++g_recorded.memoryPaints;
        else
            ++g_recorded.screenPaints;
        break;
    default: break;
    }
    return CallWindowProcW(g_tabProcedure, hwnd, message, wParam, lParam);
}

class GridHook : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_TAB_CLASSES};
        InitCommonControlsEx(&icc);
        tab_ = CreateWindowExW(0, WC_TABCONTROLW, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 10, 10, 363, 313,
                               testTopWindow(), nullptr, GetModuleHandleW(nullptr), nullptr);
        const wchar_t* captions[] = {L"General", L"Game", L"Team", L"Restrictions"};
        for (int i = 0; i < 4; ++i) {
            TCITEMW item{};
            item.mask = TCIF_TEXT;
            item.pszText = const_cast<wchar_t*>(captions[i]);
            SendMessageW(tab_, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
        }
        ASSERT_NE(tab_, nullptr);
        g_recorded = {};
        repaint();
    }
    void TearDown() override {
        if (IsWindow(tab_)) {
            UnhookGrid(tab_);
            DestroyWindow(tab_);
        }
        pumpMessages();
        EXPECT_EQ(GetWindow(testTopWindow(), GW_CHILD), nullptr) << "a test left a window behind";
    }
    void repaint() {
        InvalidateRect(tab_, nullptr, TRUE);
        UpdateWindow(tab_);
        pumpMessages();
    }
    void putRecorderUnderHook() {
        g_tabProcedure = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(tab_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&recordingProc)));
    }

    HWND tab_ = nullptr;
    PictureBox picture_{nullptr, kPictureBack};
};

TEST_F(GridHook, HookInstallsGridWndProcAndItsPropertiesUnhookPutsEverythingBack) {
    const LONG_PTR own = GetWindowLongPtrW(tab_, GWLP_WNDPROC);
    ASSERT_TRUE(IsWindowUnicode(tab_));
    UnhookGrid(tab_);  // never hooked: nothing changes
    EXPECT_EQ(GetWindowLongPtrW(tab_, GWLP_WNDPROC), own);
    HookGrid(tab_, picture_);
    HookGrid(tab_, picture_);  // twice: the own procedure stays below
    EXPECT_EQ(GetWindowLongPtrA(tab_, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&GridWndProc));
    EXPECT_NE(GetPropA(tab_, "lpPROC"), nullptr);
    EXPECT_EQ(GetPropA(tab_, "PctOBJ"), static_cast<void*>(&picture_));
    repaint();  // a hook that became its own predecessor would never return
    EXPECT_EQ(pixelOf(tab_, 180, 160), kPictureBack);

    UnhookGrid(tab_);
    EXPECT_EQ(GetWindowLongPtrW(tab_, GWLP_WNDPROC), own);
    EXPECT_TRUE(IsWindowUnicode(tab_));
    for (const char* name : {"lpPROC", "PctOBJ"}) EXPECT_EQ(GetPropA(tab_, name), nullptr) << name;
    // The control paints itself again, without the picture's colours.
    repaint();
    EXPECT_NE(pixelOf(tab_, 180, 160), kPictureBack);
}

TEST_F(GridHook, OtherMessagesReachTheOldProcedureUnchangedWithItsResultAndPaintsGoToMemory) {
    HDC memory = CreateCompatibleDC(nullptr);
    auto ask = [&] {
        TCHITTESTINFO hit{{20, 10}, 0};
        return std::vector<LRESULT>{
            SendMessageW(tab_, WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory), 0),
            SendMessageW(tab_, WM_NCHITTEST, 0, MAKELPARAM(30, 30)),
            SendMessageW(tab_, WM_MOUSEMOVE, 0, MAKELPARAM(20, 10)),
            SendMessageW(tab_, TCM_GETITEMCOUNT, 0, 0),
            SendMessageW(tab_, TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)),
            SendMessageW(tab_, WM_GETDLGCODE, 0, 0),
        };
    };
    const std::vector<LRESULT> own = ask();
    EXPECT_EQ(own[3], 4);
    HookGrid(tab_, picture_);
    EXPECT_EQ(ask(), own);
    UnhookGrid(tab_);

    putRecorderUnderHook();
    HookGrid(tab_, picture_);
    EXPECT_EQ(SendMessageW(tab_, WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory), 0), 0x5A5A);
    EXPECT_EQ(g_recorded.message, static_cast<UINT>(WM_ERASEBKGND));
    EXPECT_EQ(g_recorded.wParam, reinterpret_cast<WPARAM>(memory));
    EXPECT_EQ(SendMessageW(tab_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(300, 200)), 0x1234);
    EXPECT_EQ(g_recorded.message, static_cast<UINT>(WM_LBUTTONDOWN));
    EXPECT_EQ(g_recorded.wParam, static_cast<WPARAM>(MK_LBUTTON));
    EXPECT_EQ(g_recorded.lParam, MAKELPARAM(300, 200));
    DeleteDC(memory);
    repaint();  // what the click on the tab row left to paint
    g_recorded = {};
    for (int i = 0; i < 10; ++i) repaint();
    // Each repaint paints in memory; the display may add a late exposure of its own.
    EXPECT_GE(g_recorded.memoryPaints, 10);
    EXPECT_EQ(g_recorded.screenPaints, 0);
}

TEST_F(GridHook, PaintMergesThePictureIntoTheControlsFace) {
    // What the control paints by itself, at a point of its face and on its
    // border lines.
    // face, left border, first tab, bottom-right corner, the row beside the tabs
    const POINT probes[] = {{180, 160}, {2, 30}, {20, 10}, {360, 310}, {358, 4}};
    std::vector<COLORREF> own;
    for (POINT p : probes) own.push_back(pixelOf(tab_, p.x, p.y));
    HookGrid(tab_, picture_);
    repaint();
    for (size_t i = 0; i < own.size(); ++i)
        EXPECT_EQ(pixelOf(tab_, probes[i].x, probes[i].y), blended(own[i]))
            << "at " << probes[i].x << "," << probes[i].y << " own colour " << std::hex << own[i];
    EXPECT_EQ(pixelOf(tab_, 180, 160), kPictureBack);
}

TEST_F(GridHook, PartlyInvalidPaintCopiesOnlyThatRectangleInPlace) {
    HookGrid(tab_, picture_);
    repaint();
    // Inside: a piece of the tab row and of the face, so a shifted copy shows.
    const RECT part{15, 5, 120, 60};
    const POINT inside[] = {{15, 5}, {20, 10}, {60, 22}, {119, 59}, {2 + 15, 30}};
    const POINT outside[] = {{14, 5}, {120, 30}, {60, 60}, {180, 160}, {5, 200}};
    std::vector<COLORREF> full;
    for (POINT p : inside) full.push_back(pixelOf(tab_, p.x, p.y));

    paintOver(tab_, kMagenta);
    InvalidateRect(tab_, &part, TRUE);
    UpdateWindow(tab_);
    for (size_t i = 0; i < full.size(); ++i)
        EXPECT_EQ(pixelOf(tab_, inside[i].x, inside[i].y), full[i])
            << "inside at " << inside[i].x << "," << inside[i].y;
    for (POINT p : outside) EXPECT_EQ(pixelOf(tab_, p.x, p.y), kMagenta) << "outside at " << p.x << "," << p.y;
}

}  // namespace
}  // namespace kora::style
