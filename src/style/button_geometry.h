// Where the pieces of an image button go. A button is a picture (the face) and
// a transparent caption label lying on it; both are placed in twips inside
// their container, and the caption moves down and right while the button is
// pressed. Everything here is arithmetic on twips and points; the Windows
// layer turns the results into pixels.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace kora::style {

// Position and size in twips, inside the container.
struct TwipRect {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
};

// The three buttons the form creates on load, in creation order.
struct FormButton {
    std::string_view name;  // the caption label; the picture is name + "Img"
    std::string_view caption;
    int32_t left;
};
inline constexpr FormButton kFormButtons[] = {
    {"cmdUpdate", "Update", 360},
    {"cmdSave", "Save", 1920},
    {"cmdLoad", "Load", 3480},
};
inline constexpr int32_t kFormButtonTop = 300;
inline constexpr int32_t kFormButtonWidth = 1215;
inline constexpr int32_t kFormButtonHeight = 495;
inline constexpr int32_t kCaptionPoints = 8;  // the caption font's size

inline constexpr std::string_view kPictureSuffix = "Img";
inline constexpr std::string_view kReleasedFace = "\\imgs\\butup.gif";
inline constexpr std::string_view kPressedFace = "\\imgs\\butdown.gif";
inline constexpr std::string_view kPressedState = "Down";

// Rounds to the nearest integer, halves to the even neighbour (547.5 -> 548,
// 546.5 -> 546), saturating at the 32-bit limits.
int32_t roundHalfEven(double value);

// The screen's twips per pixel for a resolution in dots per inch, as a whole
// number the way the screen reports it (96 -> 15, 120 -> 12).
int32_t twipsPerPixel(int32_t dpi);

// Pixels for a twip coordinate, to the nearest pixel.
int32_t twipsToPixels(double twips, int32_t twipsPerPixel);

// The caption's rectangle when it is created from its picture: as wide as the
// picture less 75 twips each side, as high as the picture, its top the
// picture's centre less the font size times the twips per pixel (unrounded).
TwipRect captionCreated(const TwipRect& picture, int32_t fontPoints, int32_t twipsPerPixel);

// Where the caption's top-left corner goes for a button state. `picture` is
// absent when no picture of that name exists (the caption then goes to the
// container's edge, as if the picture were at 0, 0 with no height).
struct CaptionPlace {
    int32_t left = 0;
    int32_t top = 0;
};
CaptionPlace captionPlace(const std::optional<TwipRect>& picture, int32_t fontPoints, int32_t twipsPerPixel,
                          bool pressed);

// True only for exactly "Down".
bool isPressedState(std::string_view state);

// The caption label's name for a picture's name: the name without its last
// three characters; none when the name is shorter than that.
std::optional<std::string_view> captionNameOf(std::string_view pictureName);

}  // namespace kora::style
