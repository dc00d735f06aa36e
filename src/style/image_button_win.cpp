// The form's image buttons, drawn by their container: each is a face (a
// picture stretched to its rectangle) with a centred caption lying on it.
// Face files are read each time one is shown, so a replaced face file shows
// at the next press.
#include <windowsx.h>

#include "base/text_win.h"
#include "errors/handler.h"
#include "errors/module.h"
#include "style/style_win.h"

namespace kora::style {
namespace {

constexpr std::string_view kCreateButton = "CreateButton";
constexpr std::string_view kCreateButtonTxt = "CreateButtonTxt";
constexpr WPARAM kAnyButton = MK_LBUTTON | MK_RBUTTON | MK_MBUTTON;

std::string pictureNameOf(std::string_view caption) { return std::string(caption) + std::string(kPictureSuffix); }

SIZE bitmapSize(HBITMAP bitmap) noexcept {
    BITMAP b{};
    if (!GetObjectW(bitmap, sizeof(b), &b)) return {0, 0};
    return {b.bmWidth, b.bmHeight < 0 ? -b.bmHeight : b.bmHeight};
}

}  // namespace

ImageButtons::ImageButtons(Module& module, HWND container, int dpi, ButtonActions actions)
    : module_(module),
      container_(container),
      dpi_(dpi > 0 ? dpi : 96),
      twipsPerPixel_(style::twipsPerPixel(dpi)),
      actions_(std::move(actions)) {}

std::unique_ptr<ImageButtons> ImageButtons::create(Module& module, HWND container, int dpi, ButtonActions actions) {
    const std::string& base = module.state.basePath;
    if (!module.files().fileExists(base + std::string(kReleasedFace)) ||
        !module.files().fileExists(base + std::string(kPressedFace)))
        return nullptr;
    auto set = std::make_unique<ImageButtons>(module, container, dpi, std::move(actions));
    for (const FormButton& button : kFormButtons) set->createButton(button);
    for (const FormButton& button : kFormButtons) set->createButtonTxt(button);
    InvalidateRect(container, nullptr, FALSE);
    return set;
}

// Runs a creating routine on a new piece of `pieces`: a routine that ends on a
// failure leaves no half-made button behind.
void ImageButtons::make(std::string_view routine, std::vector<Piece>& pieces,
                        const std::function<void(const Handler&, Piece&)>& body) {
    const Handler handler(module_, routine, {err::PathNotFound});
    bool made = false;
    handler.run(
        [&] {
            Piece& piece = pieces.emplace_back();
            made = true;
            body(handler, piece);
        },
        [&] {
            if (made) pieces.pop_back();
        });
}

// CreateButton: the picture, showing the released face.
void ImageButtons::createButton(const FormButton& button) {
    make(kCreateButton, pictures_, [&](const Handler& handler, Piece& picture) {
        picture.name = pictureNameOf(button.name);
        picture.rect = {static_cast<double>(button.left), kFormButtonTop, kFormButtonWidth, kFormButtonHeight};
        handler.step([&] {
            std::string path = module_.state.basePath + std::string(kReleasedFace);
            picture.face = loadPicture(path, GetSysColor(COLOR_BTNFACE));
            picture.facePath = std::move(path);
        });
    });
}

// CreateButtonTxt: the caption, placed from its picture, then shown released.
void ImageButtons::createButtonTxt(const FormButton& button) {
    make(kCreateButtonTxt, captions_, [&](const Handler& handler, Piece& caption) {
        caption.name = std::string(button.name);
        caption.caption = win::widen(button.caption);
        caption.font.reset(CreateFontW(-MulDiv(kCaptionPoints, dpi_, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                       DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                       DEFAULT_PITCH | FF_SWISS, L"Tahoma"));
        const std::string pictureName = pictureNameOf(button.name);
        const Piece* picture = find(pictureName);
        if (!picture) raise(err::KeyNotFound, "Control '" + pictureName + "' not found");
        caption.rect = captionCreated(picture->rect, kCaptionPoints, twipsPerPixel_);
        handler.step([&] { applyState(pictureName, "Up", true); });
    });
}

RECT ImageButtons::pixels(const TwipRect& r) const noexcept {
    const int left = twipsToPixels(r.left, twipsPerPixel_), top = twipsToPixels(r.top, twipsPerPixel_);
    return {left, top, left + twipsToPixels(r.width, twipsPerPixel_), top + twipsToPixels(r.height, twipsPerPixel_)};
}

const ImageButtons::Piece* ImageButtons::find(std::string_view name) const {
    for (const std::vector<Piece>* pieces : {&pictures_, &captions_})
        for (const Piece& piece : *pieces)
            if (piece.name == name) return &piece;
    return nullptr;
}

std::optional<RECT> ImageButtons::area(std::string_view name) const {
    if (const Piece* piece = find(name)) return pixels(piece->rect);
    return std::nullopt;
}

std::string ImageButtons::faceOf(std::string_view pictureName) const {
    const Piece* piece = find(pictureName);
    return piece ? piece->facePath : std::string();
}

void ImageButtons::paint(HDC dc) const noexcept {
    const int stretch = SetStretchBltMode(dc, COLORONCOLOR);
    for (const Piece& picture : pictures_) {
        // A picture without a face shows its container, as an empty image does.
        if (!picture.face) continue;
        win::MemoryDC source(CreateCompatibleDC(dc));
        win::ScopedSelect select(source.get(), picture.face.get());
        if (!select.selected()) continue;
        const SIZE size = bitmapSize(picture.face.get());
        const RECT r = pixels(picture.rect);
        StretchBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, source.get(), 0, 0, size.cx, size.cy,
                   SRCCOPY);
    }
    SetStretchBltMode(dc, stretch);
    const int mode = SetBkMode(dc, TRANSPARENT);
    const COLORREF colour = SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    for (const Piece& caption : captions_) {
        win::ScopedSelect font(dc, caption.font.get());
        RECT r = pixels(caption.rect);
        DrawTextW(dc, caption.caption.c_str(), static_cast<int>(caption.caption.size()), &r,
                  DT_CENTER | DT_TOP | DT_WORDBREAK);
    }
    SetTextColor(dc, colour);
    SetBkMode(dc, mode);
}

void ImageButtons::applyState(std::string_view pictureName, std::string_view state, bool raising) {
    const bool pressed = isPressedState(state);
    const std::string path = module_.state.basePath + std::string(pressed ? kPressedFace : kReleasedFace);
    std::optional<TwipRect> place;
    for (Piece& picture : pictures_) {
        if (picture.name != pictureName) continue;
        place = picture.rect;
        try {
            picture.face = loadPicture(path, GetSysColor(COLOR_BTNFACE));
            picture.facePath = path;
        } catch (...) {
            // Callers outside the creating routines keep the face shown before.
            if (raising) throw;
        }
    }
    if (auto captionName = captionNameOf(pictureName)) {
        for (Piece& caption : captions_) {
            if (caption.name != *captionName) continue;
            const CaptionPlace at = captionPlace(place, kCaptionPoints, twipsPerPixel_, pressed);
            caption.rect.left = at.left;
            caption.rect.top = at.top;
        }
    }
    // Shown now, not after whatever the release goes on to run.
    InvalidateRect(container_, nullptr, FALSE);
    UpdateWindow(container_);
}

void ImageButtons::setState(std::string_view pictureName, std::string_view state) noexcept {
    try {
        applyState(pictureName, state, false);
    } catch (...) {
        // Showing a state never fails its caller.
    }
}

std::string ImageButtons::buttonAt(POINT at) const {
    // Captions lie above the pictures.
    for (const Piece& caption : captions_) {
        const RECT r = pixels(caption.rect);
        if (PtInRect(&r, at)) return caption.name;
    }
    for (const Piece& picture : pictures_) {
        const RECT r = pixels(picture.rect);
        if (PtInRect(&r, at))
            if (auto name = captionNameOf(picture.name)) return std::string(*name);
    }
    return {};
}

bool ImageButtons::mouse(UINT message, WPARAM wParam, LPARAM lParam) {
    int button = 0;
    bool down = false;
    switch (message) {
    case WM_LBUTTONDOWN: down = true; [[fallthrough]];
    case WM_LBUTTONUP: button = 1; break;
    case WM_RBUTTONDOWN: down = true; [[fallthrough]];
    case WM_RBUTTONUP: button = 2; break;
    case WM_MBUTTONDOWN: down = true; [[fallthrough]];
    case WM_MBUTTONUP: button = 4; break;
    case WM_CAPTURECHANGED: held_.clear(); return false;
    default: return false;
    }
    // The pressed button keeps the mouse until the last button comes up,
    // wherever that happens.
    const std::string caption = held_.empty() ? buttonAt({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}) : held_;
    if (caption.empty()) return false;
    if (down) {
        if (held_.empty()) {
            SetCapture(container_);
            held_ = caption;
        }
        if (button == 1) setState(pictureNameOf(caption), kPressedState);
        return true;
    }
    if (!(wParam & kAnyButton) && !held_.empty()) {
        held_.clear();
        if (GetCapture() == container_) ReleaseCapture();
    }
    if (button == 1) setState(pictureNameOf(caption), "Up");
    std::function<void(int)> action;
    if (caption == kFormButtons[0].name) action = actions_.update;
    if (caption == kFormButtons[1].name) action = actions_.save;
    if (caption == kFormButtons[2].name) action = actions_.load;
    if (!action) return true;
    // The action may end the form and these buttons with it: nothing of them
    // is touched once it starts.
    Module& module = module_;
    try {
        action(button);
    } catch (...) {
        try {
            Failure failure = currentFailure();
            module.showMessage(MessageKind::DllError, caption, &failure, failure.line);
        } catch (...) {}
    }
    return true;
}

}  // namespace kora::style
