#include "style/button_geometry.h"

#include <cmath>
#include <limits>

namespace kora::style {
namespace {
// The caption sits inside its picture by this much on the left and right.
constexpr double kCaptionInset = 75;
// How far a pressed caption moves, in twips.
constexpr int32_t kPressedDown = 50;
constexpr int32_t kPressedRight = 20;
}  // namespace

int32_t roundHalfEven(double value) {
    if (std::isnan(value)) return 0;
    constexpr double lo = std::numeric_limits<int32_t>::min();
    constexpr double hi = std::numeric_limits<int32_t>::max();
    if (value <= lo) return std::numeric_limits<int32_t>::min();
    if (value >= hi) return std::numeric_limits<int32_t>::max();
    // nearbyint follows the current rounding mode, which is to-nearest-even
    // unless someone changed it; do it by hand so the result never depends on it.
    double floor = std::floor(value);
    double fraction = value - floor;
    if (fraction > 0.5) return static_cast<int32_t>(floor + 1);
    if (fraction < 0.5) return static_cast<int32_t>(floor);
    return std::fmod(floor, 2.0) == 0 ? static_cast<int32_t>(floor) : static_cast<int32_t>(floor + 1);
}

int32_t twipsPerPixel(int32_t dpi) { return dpi > 0 ? 1440 / dpi : 15; }

int32_t twipsToPixels(double twips, int32_t tpp) {
    if (tpp <= 0) tpp = 15;
    return static_cast<int32_t>(std::lround(twips / tpp));
}

TwipRect captionCreated(const TwipRect& picture, int32_t fontPoints, int32_t tpp) {
    return {picture.left + kCaptionInset, picture.top + picture.height / 2 - static_cast<double>(fontPoints) * tpp,
            picture.width - 2 * kCaptionInset, picture.height};
}

CaptionPlace captionPlace(const std::optional<TwipRect>& picture, int32_t fontPoints, int32_t tpp, bool pressed) {
    int32_t centreY = 0;
    int32_t baseLeft = 0;
    if (picture) {
        centreY = roundHalfEven(picture->top + picture->height / 2);
        baseLeft = roundHalfEven(picture->left + kCaptionInset);
    }
    int32_t textTop = roundHalfEven(static_cast<double>(centreY) - static_cast<double>(fontPoints) * tpp);
    if (!pressed) return {baseLeft, textTop};
    return {baseLeft + kPressedRight, textTop + kPressedDown};
}

bool isPressedState(std::string_view state) { return state == kPressedState; }

std::optional<std::string_view> captionNameOf(std::string_view pictureName) {
    if (pictureName.size() < 3) return std::nullopt;
    return pictureName.substr(0, pictureName.size() - 3);
}

}  // namespace kora::style
