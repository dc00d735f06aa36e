// The picture loader and the picture box.
#include <windows.h>

#include <gtest/gtest.h>

#include "base/gdi_win.h"
#include "errors/failure.h"
#include "style/face_image_win.h"
#include "style/style_win.h"
#include "style_support.h"

namespace kora::style {
namespace {

using win::GdiBitmap;
using win::MemoryDC;
using win::ScopedSelect;

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
