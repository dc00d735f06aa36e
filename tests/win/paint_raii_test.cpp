// The GDI owners of the painting code and the picture loader.
#include <windows.h>

#include <gtest/gtest.h>

#include "errors/failure.h"
#include "style/face_image_win.h"
#include "style/paint_raii_win.h"
#include "style/style_win.h"
#include "style_support.h"

namespace kora::style {
namespace {

TEST(PaintRaii, ScopedSelectPutsThePreviousObjectBackOnceSoTheBitmapCanGo) {
    MemoryDC dc(CreateCompatibleDC(nullptr));
    const HGDIOBJ initial = GetCurrentObject(dc.get(), OBJ_BITMAP);
    GdiBitmap bitmap(CreateBitmap(4, 4, 1, 32, nullptr));
    const HBITMAP handle = bitmap.get();
    {
        ScopedSelect select(dc.get(), handle);
        EXPECT_TRUE(select.selected());
        EXPECT_EQ(select.previous(), initial);
        EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BITMAP), handle);
    }
    EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BITMAP), initial);
    bitmap.reset();
    EXPECT_EQ(GetObjectType(handle), 0u);

    // An early restore is done once: a later selection is not undone twice.
    GdiBitmap first(CreateBitmap(2, 2, 1, 32, nullptr));
    GdiBitmap second(CreateBitmap(2, 2, 1, 32, nullptr));
    ScopedSelect outer(dc.get(), first.get());
    {
        ScopedSelect inner(dc.get(), second.get());
        inner.restore();
        EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BITMAP), first.get());
        SelectObject(dc.get(), second.get());
    }
    EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BITMAP), second.get());
    // A failed selection restores nothing.
    EXPECT_FALSE(ScopedSelect(dc.get(), nullptr).selected());
}

TEST(PaintRaii, OwnersDeleteOnceAndMoveAway) {
    HDC raw = CreateCompatibleDC(nullptr);
    HBITMAP rawBitmap = CreateBitmap(1, 1, 1, 1, nullptr);
    {
        MemoryDC dc(raw);
        MemoryDC moved(std::move(dc));
        EXPECT_FALSE(dc);
        EXPECT_EQ(moved.get(), raw);
        GdiBitmap bitmap(rawBitmap);
        GdiBitmap other;
        other = std::move(bitmap);
        EXPECT_EQ(other.get(), rawBitmap);
    }
    EXPECT_EQ(GetObjectType(raw), 0u);
    EXPECT_EQ(GetObjectType(rawBitmap), 0u);
}

TEST(PaintRaii, PaintScopeValidatesTheWindowWhenItEnds) {
    HWND hwnd = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 20, 20,
                                kora::testing::testTopWindow(), nullptr, nullptr, nullptr);
    InvalidateRect(hwnd, nullptr, FALSE);
    {
        PaintScope paint(hwnd);
        EXPECT_NE(paint.dc(), nullptr);
        EXPECT_EQ(paint.paint().rcPaint.right, 20);
        paint.end();
        paint.end();
    }
    EXPECT_FALSE(GetUpdateRect(hwnd, nullptr, FALSE));
    DestroyWindow(hwnd);
}

TEST(LoadPicture, MissingFileAndFolderRaiseTheirNumbers) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string base = temp;
    auto numberOf = [](const std::string& path) {
        try {
            loadPicture(path, 0);
        } catch (const RunError& e) {
            return e.failure().number;
        }
        return 0;
    };
    EXPECT_EQ(numberOf(base + "kora_no_such_face.gif"), 53);
    EXPECT_EQ(numberOf(base + "kora_no_such_folder\\face.gif"), 76);
}

TEST(PictureBox, BackColourTakesSystemColoursAndFillsThePersistentImage) {
    auto box = createPictureBox(kora::testing::testTopWindow(), RECT{0, 0, 40, 40}, RGB(236, 233, 216));
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(GetPixel(box->hdc(), 3, 3), RGB(236, 233, 216));
    box->setBackColor(0x8000000Fu);
    EXPECT_EQ(box->backColor(), 0x8000000Fu);
    EXPECT_EQ(GetPixel(box->hdc(), 3, 3), GetSysColor(COLOR_BTNFACE));
    // A picture goes over the back colour at the corner; AutoSize takes its size.
    GdiBitmap picture(CreateBitmap(10, 6, 1, 32, nullptr));
    {
        MemoryDC dc(CreateCompatibleDC(nullptr));
        ScopedSelect select(dc.get(), picture.get());
        RECT all{0, 0, 10, 6};
        FillRect(dc.get(), &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    }
    box->setAutoSize(true);
    box->setScaleMode(3);
    box->setPicture(picture.get());
    EXPECT_DOUBLE_EQ(box->scaleWidth(), 10);
    EXPECT_DOUBLE_EQ(box->scaleHeight(), 6);
    EXPECT_EQ(GetPixel(box->hdc(), 2, 2), RGB(0, 0, 0));
    box->setScaleMode(1);
    EXPECT_DOUBLE_EQ(box->scaleWidth(), 150);  // twips at 96 dpi
    EXPECT_THROW(box->setScaleMode(0), RunError);
    const HWND window = box->window();
    box.reset();
    EXPECT_FALSE(IsWindow(window));
}

}  // namespace
}  // namespace kora::style
