#include <gtest/gtest.h>

#include "style/button_geometry.h"

namespace kora::style {
namespace {

constexpr TwipRect kUpdatePicture{360, 300, 1215, 495};
constexpr TwipRect kSavePicture{1920, 300, 1215, 495};
constexpr TwipRect kLoadPicture{3480, 300, 1215, 495};

TEST(CaptionPlace, UpdateButtonAt15TwipsPerPixelAnd8Points) {
    CaptionPlace up = captionPlace(kUpdatePicture, 8, 15, false);
    EXPECT_EQ(up.top, 428);
    EXPECT_EQ(up.left, 435);
    CaptionPlace down = captionPlace(kUpdatePicture, 8, 15, true);
    EXPECT_EQ(down.top, 478);
    EXPECT_EQ(down.left, 455);
}

TEST(CaptionPlace, SaveAndLoadButtonsShareTheTopAndShiftTheLeft) {
    EXPECT_EQ(captionPlace(kSavePicture, 8, 15, false).left, 1995);
    EXPECT_EQ(captionPlace(kSavePicture, 8, 15, false).top, 428);
    EXPECT_EQ(captionPlace(kSavePicture, 8, 15, true).left, 2015);
    EXPECT_EQ(captionPlace(kLoadPicture, 8, 15, false).left, 3555);
    EXPECT_EQ(captionPlace(kLoadPicture, 8, 15, true).left, 3575);
    EXPECT_EQ(captionPlace(kLoadPicture, 8, 15, true).top, 478);
}

TEST(CaptionPlace, TwelvePointCaptionSitsHigher) {
    // 548 - 12 * 15
    EXPECT_EQ(captionPlace(kUpdatePicture, 12, 15, false).top, 368);
    EXPECT_EQ(captionPlace(kUpdatePicture, 12, 15, true).top, 418);
}

TEST(CaptionPlace, CentreHalfRoundsToEvenNeighbour) {
    // 300 + 247.5 = 547.5 goes up to 548 (even); 301 + 247.5 = 548.5 stays at 548.
    EXPECT_EQ(captionPlace(TwipRect{0, 301, 1215, 495}, 8, 15, false).top, 428);
    EXPECT_EQ(captionPlace(TwipRect{0, 302, 1215, 495}, 8, 15, false).top, 430);
    // A fractional left rounds the same way: 0.5 + 75 = 75.5 -> 76, 1.5 + 75 = 76.5 -> 76.
    EXPECT_EQ(captionPlace(TwipRect{0.5, 300, 1215, 495}, 8, 15, false).left, 76);
    EXPECT_EQ(captionPlace(TwipRect{1.5, 300, 1215, 495}, 8, 15, false).left, 76);
}

TEST(CaptionPlace, MissingPictureLeavesCentreAndLeftAtZero) {
    CaptionPlace up = captionPlace(std::nullopt, 8, 15, false);
    EXPECT_EQ(up.top, -120);
    EXPECT_EQ(up.left, 0);
    CaptionPlace down = captionPlace(std::nullopt, 8, 15, true);
    EXPECT_EQ(down.top, -70);
    EXPECT_EQ(down.left, 20);
}

TEST(CaptionCreated, TakesGeometryFromPictureUnrounded) {
    TwipRect r = captionCreated(kUpdatePicture, 8, 15);
    EXPECT_DOUBLE_EQ(r.width, 1065);
    EXPECT_DOUBLE_EQ(r.height, 495);
    EXPECT_DOUBLE_EQ(r.left, 435);
    EXPECT_DOUBLE_EQ(r.top, 427.5);  // not yet rounded: SetButtonState places it next
    EXPECT_DOUBLE_EQ(captionCreated(kUpdatePicture, 12, 12).top, 403.5);
}

TEST(RoundHalfEven, HalvesGoToEvenAndLimitsSaturate) {
    EXPECT_EQ(roundHalfEven(0.5), 0);
    EXPECT_EQ(roundHalfEven(1.5), 2);
    EXPECT_EQ(roundHalfEven(2.5), 2);
    EXPECT_EQ(roundHalfEven(-0.5), 0);
    EXPECT_EQ(roundHalfEven(-1.5), -2);
    EXPECT_EQ(roundHalfEven(-2.5), -2);
    EXPECT_EQ(roundHalfEven(2.4999), 2);
    EXPECT_EQ(roundHalfEven(-2.5001), -3);
    EXPECT_EQ(roundHalfEven(1e12), INT32_MAX);
    EXPECT_EQ(roundHalfEven(-1e12), INT32_MIN);
}

TEST(TwipsPerPixel, WholeNumbersOfTheScreen) {
    EXPECT_EQ(twipsPerPixel(96), 15);
    EXPECT_EQ(twipsPerPixel(120), 12);
    EXPECT_EQ(twipsPerPixel(144), 10);
    EXPECT_EQ(twipsPerPixel(192), 7);
    EXPECT_EQ(twipsPerPixel(0), 15);
}

TEST(TwipsToPixels, FormButtonsAtNinetySixDpi) {
    EXPECT_EQ(twipsToPixels(360, 15), 24);
    EXPECT_EQ(twipsToPixels(1215, 15), 81);
    EXPECT_EQ(twipsToPixels(495, 15), 33);
    EXPECT_EQ(twipsToPixels(428, 15), 29);  // 28.53
    EXPECT_EQ(twipsToPixels(478, 15), 32);  // 31.87
    EXPECT_EQ(twipsToPixels(455, 15), 30);  // 30.33
}

TEST(ButtonState, OnlyExactDownIsPressed) {
    EXPECT_TRUE(isPressedState("Down"));
    EXPECT_FALSE(isPressedState("down"));
    EXPECT_FALSE(isPressedState("DOWN"));
    EXPECT_FALSE(isPressedState("Down "));
    EXPECT_FALSE(isPressedState(""));
    EXPECT_FALSE(isPressedState("Up"));
}

TEST(CaptionNameOf, DropsTheLastThreeCharacters) {
    EXPECT_EQ(captionNameOf("cmdUpdateImg"), "cmdUpdate");
    EXPECT_EQ(captionNameOf("cmdLoadImg"), "cmdLoad");
    EXPECT_EQ(captionNameOf("Img"), "");
    EXPECT_EQ(captionNameOf("Im"), std::nullopt);
}

}  // namespace
}  // namespace kora::style
