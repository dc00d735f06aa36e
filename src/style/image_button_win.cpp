// The form's image buttons: a picture window showing a face stretched to its
// size, and a caption window lying over it. The caption paints what lies
// beneath it (the container's background and the faces of the pictures it
// covers) before its text, so it looks transparent while staying an ordinary
// window that receives the mouse. Shaped to what it shows, a caption leaves
// the rest of its area to its container, which hands presses there back to
// the caption (or picture) whose area they fall in. Face files are read each
// time one is shown, so a replaced face file shows at the next press; only a
// changed file is decoded again.
#include <windows.h>
#include <windowsx.h>
#include <commctrl.h>

#include <algorithm>

#include "base/gdi_win.h"
#include "base/text_win.h"
#include "errors/handler.h"
#include "errors/module.h"
#include "style/button_geometry.h"
#include "style/face_image_win.h"
#include "style/style_win.h"
#include "style/window_class_win.h"

namespace kora::style {

struct ImageButtons::Control {
    ImageButtons* owner = nullptr;
    std::string name;
    bool picture = false;
    HWND hwnd = nullptr;
    TwipRect rect;  // inside the container
    // Pictures: the face shown and where it came from.
    win::GdiBitmap face;
    std::string facePath;
    // Captions.
    std::wstring caption;
    int32_t fontSize = 8;
    win::GdiFont font;
};

namespace {

constexpr wchar_t kPictureClass[] = L"KoraStyleButtonPicture";
constexpr wchar_t kCaptionClass[] = L"KoraStyleButtonCaption";
constexpr std::string_view kCreateButton = "CreateButton";
constexpr std::string_view kCreateButtonTxt = "CreateButtonTxt";

ImageButtons::Control* controlOf(HWND hwnd) noexcept {
    return reinterpret_cast<ImageButtons::Control*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

// Fills `dc` (the client area of `hwnd`) with what its container shows there.
void paintContainerBehind(HWND hwnd, HDC dc, const RECT& client) noexcept {
    HWND parent = GetParent(hwnd);
    auto brush = reinterpret_cast<HBRUSH>(
        parent ? SendMessageW(parent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(hwnd))
               : 0);
    FillRect(dc, &client, brush ? brush : GetSysColorBrush(COLOR_BTNFACE));
    if (!parent) return;
    POINT origin{0, 0};
    MapWindowPoints(hwnd, parent, &origin, 1);
    POINT saved{};
    SetViewportOrgEx(dc, -origin.x, -origin.y, &saved);
    SendMessageW(parent, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    SetViewportOrgEx(dc, saved.x, saved.y, nullptr);
}

// Stretches a face over `target` (coordinates of `dc`).
void drawFace(HDC dc, HBITMAP face, const RECT& target) noexcept {
    if (!face) return;
    win::MemoryDC source(CreateCompatibleDC(dc));
    win::ScopedSelect select(source.get(), face);
    if (!select.selected()) return;
    const SIZE size = bitmapSize(face);
    const int mode = SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, target.left, target.top, target.right - target.left, target.bottom - target.top, source.get(), 0, 0,
               size.cx, size.cy, SRCCOPY);
    SetStretchBltMode(dc, mode);
}

// Paints through a memory bitmap of the client size, so a caption's layers
// never flicker on screen.
template <class Draw>
void paintBuffered(HWND hwnd, Draw&& draw) noexcept {
    win::PaintScope ps(hwnd);
    if (!ps.dc()) return;
    RECT client{};
    GetClientRect(hwnd, &client);
    win::GdiBitmap bitmap;
    win::MemoryDC memory(CreateCompatibleDC(ps.dc()));
    bitmap.reset(CreateCompatibleBitmap(ps.dc(), std::max<LONG>(client.right, 1), std::max<LONG>(client.bottom, 1)));
    if (!memory || !bitmap) {
        draw(ps.dc(), client);
        return;
    }
    win::ScopedSelect select(memory.get(), bitmap.get());
    draw(memory.get(), client);
    const RECT& update = ps.paint().rcPaint;
    BitBlt(ps.dc(), update.left, update.top, update.right - update.left, update.bottom - update.top, memory.get(),
           update.left, update.top, SRCCOPY);
}

int shiftState(WPARAM keys) noexcept {
    int shift = 0;
    if (keys & MK_SHIFT) shift |= 1;
    if (keys & MK_CONTROL) shift |= 2;
    if (GetKeyState(VK_MENU) < 0) shift |= 4;
    return shift;
}

int mouseButtonOf(UINT message) noexcept {
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP: return 1;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP: return 2;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP: return 4;
    default: return 0;
    }
}

}  // namespace

// The window procedures and painting of the two window classes, with access
// to the set's handlers.
struct ButtonWindows {
    static LRESULT CALLBACK procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
        try {
            return handle(hwnd, message, wParam, lParam);
        } catch (...) {
            return 0;  // nothing may leave a window procedure
        }
    }

    static LRESULT handle(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        ImageButtons::Control* control = controlOf(hwnd);
        switch (message) {
        case WM_NCCREATE: {
            control = static_cast<ImageButtons::Control*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
            if (control) control->hwnd = hwnd;
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(control));
            break;
        }
        case WM_NCDESTROY:
            if (control) control->hwnd = nullptr;
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            break;
        case WM_ERASEBKGND:
            if (control) return 1;  // painted whole in WM_PAINT
            break;
        case WM_PAINT:
            if (!control) break;
            if (control->picture)
                paintPicture(*control);
            else
                paintCaption(*control);
            return 0;
        case WM_GETFONT: return control ? reinterpret_cast<LRESULT>(control->font.get()) : 0;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            if (!control) break;
            // Like the form's controls, the pressed control keeps the mouse
            // until the last button comes up, wherever that happens.
            if (GetCapture() != hwnd) SetCapture(hwnd);
            mouse(*control, message, wParam, lParam, true);
            return 0;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
            if (!control) break;
            if (!(wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) && GetCapture() == hwnd) ReleaseCapture();
            mouse(*control, message, wParam, lParam, false);  // may end the set: last
            return 0;
        default: break;
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }

    // The container's side: a press where the container shows through a
    // caption's shape (or anywhere inside a button's controls) belongs to
    // that control, as its extent says.
    static LRESULT CALLBACK containerProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                               DWORD_PTR data) noexcept {
        try {
            auto* owner = reinterpret_cast<ImageButtons*>(data);
            switch (message) {
            case WM_LBUTTONDOWN:
            case WM_LBUTTONUP:
            case WM_LBUTTONDBLCLK:
            case WM_RBUTTONDOWN:
            case WM_RBUTTONUP:
            case WM_RBUTTONDBLCLK:
            case WM_MBUTTONDOWN:
            case WM_MBUTTONUP:
            case WM_MBUTTONDBLCLK: {
                POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
                HWND target = owner->controlAt(hwnd, at);
                if (!target) break;
                MapWindowPoints(hwnd, target, &at, 1);
                // The control's handler may end the set: nothing of it is touched after.
                return SendMessageW(target, message, wParam, MAKELPARAM(at.x, at.y));
            }
            case WM_NCDESTROY:
                RemoveWindowSubclass(hwnd, &containerProcedure, id);
                owner->forgetContainer(hwnd);
                break;
            default: break;
            }
        } catch (...) {
            // nothing may leave a window procedure
        }
        return DefSubclassProc(hwnd, message, wParam, lParam);
    }

    // A picture passes its events to its caption's handlers, unchanged.
    static void mouse(ImageButtons::Control& control, UINT message, WPARAM wParam, LPARAM lParam, bool down) {
        ImageButtons& owner = *control.owner;
        std::string caption = control.name;
        if (control.picture) {
            auto name = captionNameOf(control.name);
            if (!name) return;
            caption = std::string(*name);
        }
        const float x = static_cast<float>(GET_X_LPARAM(lParam) * owner.twipsPerPixel_);
        const float y = static_cast<float>(GET_Y_LPARAM(lParam) * owner.twipsPerPixel_);
        const int button = mouseButtonOf(message);
        const int shift = shiftState(wParam);
        if (down)
            owner.mouseDown(caption, button, shift, x, y);
        else
            owner.mouseUp(caption, button, shift, x, y);
    }

    static void paintPicture(ImageButtons::Control& control) noexcept {
        paintBuffered(control.hwnd, [&](HDC dc, const RECT& client) {
            // A picture without a face shows its container, as an empty image does.
            if (control.face)
                drawFace(dc, control.face.get(), client);
            else
                paintContainerBehind(control.hwnd, dc, client);
        });
    }

    static void paintCaption(ImageButtons::Control& control) noexcept {
        paintBuffered(control.hwnd, [&](HDC dc, const RECT& client) {
            paintContainerBehind(control.hwnd, dc, client);
            drawPicturesBeneath(control, dc);
            const int mode = SetBkMode(dc, TRANSPARENT);
            const COLORREF colour =
                SetTextColor(dc, GetSysColor(IsWindowEnabled(control.hwnd) ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
            win::ScopedSelect font(dc, control.font.get());
            RECT text = client;
            DrawTextW(dc, control.caption.c_str(), static_cast<int>(control.caption.size()), &text,
                      DT_CENTER | DT_TOP | DT_WORDBREAK);
            SetTextColor(dc, colour);
            SetBkMode(dc, mode);
        });
    }

    // Limits a caption window to what it shows: the faces it lies on and its
    // text. Elsewhere its container shows through as itself, edges included,
    // whether or not the container can paint itself into another context.
    // `origin` is where the caption's corner is about to be in its container,
    // so that a caption being moved is shaped for its new place before it goes.
    static void shapeCaption(const ImageButtons::Control& caption, POINT origin) noexcept {
        if (!caption.hwnd) return;
        RECT client{};
        GetClientRect(caption.hwnd, &client);
        HWND container = GetParent(caption.hwnd);
        win::GdiRegion shape(CreateRectRgn(0, 0, 0, 0));
        if (!shape) return;
        auto add = [&](const RECT& r) {
            RECT part{};
            if (!IntersectRect(&part, &r, &client)) return;
            win::GdiRegion piece(CreateRectRgnIndirect(&part));
            if (piece) CombineRgn(shape.get(), shape.get(), piece.get(), RGN_OR);
        };
        for (const auto& other : caption.owner->controls_) {
            if (!other->picture || !other->hwnd || !IsWindowVisible(other->hwnd)) continue;
            if (GetParent(other->hwnd) != container) continue;
            RECT theirs{};
            GetClientRect(other->hwnd, &theirs);
            MapWindowPoints(other->hwnd, container, reinterpret_cast<POINT*>(&theirs), 2);
            OffsetRect(&theirs, -origin.x, -origin.y);
            add(theirs);
        }
        {
            win::WindowDC screen(caption.hwnd);
            win::ScopedSelect font(screen.get(), caption.font.get());
            RECT text = client;
            DrawTextW(screen.get(), caption.caption.c_str(), static_cast<int>(caption.caption.size()), &text,
                      DT_CENTER | DT_TOP | DT_WORDBREAK | DT_CALCRECT);
            const LONG width = text.right - text.left;
            text.left = (client.right - width) / 2;
            text.right = text.left + width;
            add(text);
        }
        if (SetWindowRgn(caption.hwnd, shape.get(), FALSE)) (void)shape.release();  // the window owns it now
    }

    static POINT originOf(HWND hwnd) noexcept {
        POINT origin{0, 0};
        MapWindowPoints(hwnd, GetParent(hwnd), &origin, 1);
        return origin;
    }

    // The faces of the visible pictures that share the caption's container
    // and lie under it.
    static void drawPicturesBeneath(const ImageButtons::Control& caption, HDC dc) noexcept {
        for (const auto& other : caption.owner->controls_) {
            if (!other->picture || !other->hwnd || !other->face) continue;
            if (GetParent(other->hwnd) != GetParent(caption.hwnd) || !IsWindowVisible(other->hwnd)) continue;
            RECT theirs{};
            GetClientRect(other->hwnd, &theirs);
            MapWindowPoints(other->hwnd, caption.hwnd, reinterpret_cast<POINT*>(&theirs), 2);
            drawFace(dc, other->face.get(), theirs);
        }
    }
};

ImageButtons::ImageButtons(Module& module, HWND form, int dpi, ButtonActions actions)
    : module_(module),
      form_(form),
      twipsPerPixel_(style::twipsPerPixel(dpi)),
      dpi_(dpi > 0 ? dpi : 96),
      actions_(std::move(actions)) {}

ImageButtons::~ImageButtons() {
    for (HWND container : containers_)
        RemoveWindowSubclass(container, &ButtonWindows::containerProcedure, subclassId());
    containers_.clear();
    for (auto& control : controls_) {
        if (HWND hwnd = std::exchange(control->hwnd, nullptr)) {
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            DestroyWindow(hwnd);
        }
    }
    controls_.clear();
    releaseWindowClass(kPictureClass);
    releaseWindowClass(kCaptionClass);
}

bool ImageButtons::facesExist() const {
    const std::string& base = module_.state.basePath;
    return module_.files().fileExists(base + std::string(kReleasedFace)) &&
           module_.files().fileExists(base + std::string(kPressedFace));
}

ImageButtons::Control* ImageButtons::find(std::string_view name) const {
    for (const auto& control : controls_)
        if (control->name == name) return control.get();
    return nullptr;
}

HWND ImageButtons::findControl(std::string_view name) const {
    const Control* control = find(name);
    return control ? control->hwnd : nullptr;
}

std::string ImageButtons::faceOf(std::string_view pictureName) const {
    const Control* control = find(pictureName);
    return control && control->picture ? control->facePath : std::string();
}

int32_t ImageButtons::fontSizeOf(std::string_view captionName) const {
    const Control* control = find(captionName);
    return control && !control->picture ? control->fontSize : 0;
}

UINT_PTR ImageButtons::subclassId() const noexcept { return reinterpret_cast<UINT_PTR>(this); }

void ImageButtons::watchContainer(HWND container) {
    if (std::find(containers_.begin(), containers_.end(), container) != containers_.end()) return;
    containers_.reserve(containers_.size() + 1);
    if (SetWindowSubclass(container, &ButtonWindows::containerProcedure, subclassId(),
                          reinterpret_cast<DWORD_PTR>(this)))
        containers_.push_back(container);
}

void ImageButtons::forgetContainer(HWND container) noexcept {
    containers_.erase(std::remove(containers_.begin(), containers_.end(), container), containers_.end());
}

HWND ImageButtons::controlAt(HWND container, POINT at) const noexcept {
    // Later controls lie above earlier ones: captions above their pictures.
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        HWND hwnd = (*it)->hwnd;
        if (!hwnd || GetParent(hwnd) != container || !IsWindowVisible(hwnd) || !IsWindowEnabled(hwnd)) continue;
        RECT area{};
        GetWindowRect(hwnd, &area);
        MapWindowPoints(nullptr, container, reinterpret_cast<POINT*>(&area), 2);
        if (PtInRect(&area, at)) return hwnd;
    }
    return nullptr;
}

ImageButtons::Control& ImageButtons::add(std::unique_ptr<Control> control, HWND parent) {
    control->owner = this;
    const bool picture = control->picture;
    const wchar_t* windowClass = picture ? kPictureClass : kCaptionClass;
    if (!ensureWindowClass(windowClass, &ButtonWindows::procedure))
        raise(err::Automation, "The button window class cannot be registered");
    Control& added = *control;
    controls_.push_back(std::move(control));
    // Created hidden; the routines set geometry, state and visibility after.
    CreateWindowExW(0, windowClass, picture ? L"" : added.caption.c_str(), WS_CHILD | WS_CLIPSIBLINGS, 0, 0, 0, 0,
                    parent, nullptr, windowClassModule(), &added);
    if (!added.hwnd) {
        remove(&added);
        raise(err::Automation, "The button window cannot be created");
    }
    watchContainer(parent);
    return added;
}

void ImageButtons::remove(Control* control) noexcept {
    auto it = std::find_if(controls_.begin(), controls_.end(), [&](const auto& c) { return c.get() == control; });
    if (it == controls_.end()) return;
    if (HWND hwnd = std::exchange((*it)->hwnd, nullptr)) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        DestroyWindow(hwnd);
    }
    controls_.erase(it);
}

namespace {

void moveInTwips(HWND hwnd, const TwipRect& r, int tpp) noexcept {
    SetWindowPos(hwnd, nullptr, twipsToPixels(r.left, tpp), twipsToPixels(r.top, tpp), twipsToPixels(r.width, tpp),
                 twipsToPixels(r.height, tpp), SWP_NOZORDER | SWP_NOACTIVATE);
}

void bringToFront(HWND hwnd) noexcept {
    SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

}  // namespace

HWND ImageButtons::createButton(const ButtonArgs& args) {
    const Handler handler(module_, kCreateButton, {err::PathNotFound});
    Control* made = nullptr;
    HWND result = nullptr;
    handler.run(
        [&] {
            if (!facesExist()) return;
            auto control = std::make_unique<Control>();
            control->name = args.name;
            control->picture = true;
            made = &add(std::move(control), args.container ? args.container : form_);
            made->rect = {static_cast<double>(args.left), static_cast<double>(args.top),
                          static_cast<double>(args.width), static_cast<double>(args.height)};
            moveInTwips(made->hwnd, made->rect, twipsPerPixel_);
            EnableWindow(made->hwnd, args.enabled);
            ShowWindow(made->hwnd, args.visible ? SW_SHOWNA : SW_HIDE);
            bringToFront(made->hwnd);
            handler.step([&] {
                std::string path = module_.state.basePath + std::string(kReleasedFace);
                made->face = loadPicture(path, GetSysColor(COLOR_BTNFACE), &faces_);
                made->facePath = std::move(path);
                InvalidateRect(made->hwnd, nullptr, FALSE);
            });
            result = made->hwnd;
        },
        // A routine that ends on a failure leaves no half-made control behind.
        [&] {
            remove(made);
            made = nullptr;
        });
    return result;
}

HWND ImageButtons::createButtonTxt(const ButtonArgs& args) {
    const Handler handler(module_, kCreateButtonTxt, {err::PathNotFound});
    Control* made = nullptr;
    HWND result = nullptr;
    handler.run(
        [&] {
            if (!facesExist()) return;
            auto control = std::make_unique<Control>();
            control->name = args.name;
            control->caption = win::widen(args.caption);
            made = &add(std::move(control), args.container ? args.container : form_);
            made->fontSize = captionFontSize(args.fontSize);
            made->font.reset(CreateFontW(-MulDiv(made->fontSize, dpi_, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                         DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                         DEFAULT_PITCH | FF_SWISS, L"Tahoma"));
            const std::string pictureName = args.name + std::string(kPictureSuffix);
            const Control* picture = find(pictureName);
            if (!picture || !picture->picture) raise(err::KeyNotFound, "Control '" + pictureName + "' not found");
            made->rect = captionCreated(picture->rect, made->fontSize, twipsPerPixel_);
            moveInTwips(made->hwnd, made->rect, twipsPerPixel_);
            ButtonWindows::shapeCaption(*made, ButtonWindows::originOf(made->hwnd));
            EnableWindow(made->hwnd, args.enabled);
            ShowWindow(made->hwnd, args.visible ? SW_SHOWNA : SW_HIDE);
            SetWindowTextW(made->hwnd, made->caption.c_str());
            bringToFront(made->hwnd);
            handler.step([&] { applyState(pictureName, "Up", true); });
            result = made->hwnd;
        },
        [&] {
            remove(made);
            made = nullptr;
        });
    return result;
}

void ImageButtons::applyState(std::string_view pictureName, std::string_view state, bool raising) {
    const bool pressed = isPressedState(state);
    const std::string path = module_.state.basePath + std::string(pressed ? kPressedFace : kReleasedFace);
    std::optional<TwipRect> picture;
    std::vector<HWND> repaint;
    for (const auto& control : controls_) {
        if (!control->picture || control->name != pictureName) continue;
        picture = control->rect;
        try {
            bool unchanged = false;
            win::GdiBitmap face = loadPicture(path, GetSysColor(COLOR_BTNFACE), &faces_, &unchanged);
            // The same file showing already: a state set again changes nothing.
            if (unchanged && control->face && control->facePath == path) continue;
            control->face = std::move(face);
            control->facePath = path;
        } catch (...) {
            // Callers outside the creating routines keep the face shown before.
            if (raising) throw;
            continue;
        }
        if (control->hwnd) {
            InvalidateRect(control->hwnd, nullptr, FALSE);
            repaint.push_back(control->hwnd);
        }
    }
    if (auto captionName = captionNameOf(pictureName)) {
        for (const auto& control : controls_) {
            if (control->picture || control->name != *captionName) continue;
            const CaptionPlace place = captionPlace(picture, control->fontSize, twipsPerPixel_, pressed);
            if (control->rect.left == place.left && control->rect.top == place.top) continue;
            control->rect.left = place.left;
            control->rect.top = place.top;
            if (!control->hwnd) continue;
            const POINT to{twipsToPixels(place.left, twipsPerPixel_), twipsToPixels(place.top, twipsPerPixel_)};
            // Shaped first and moved without its old bits: nothing of the old
            // place lingers outside the new shape.
            ButtonWindows::shapeCaption(*control, to);
            SetWindowPos(control->hwnd, nullptr, to.x, to.y, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
            repaint.push_back(control->hwnd);
        }
    }
    if (repaint.empty()) return;
    // Captions show the faces beneath them: every caption takes the change.
    for (const auto& control : controls_)
        if (!control->picture && control->hwnd) InvalidateRect(control->hwnd, nullptr, FALSE);
    // Shown now, not after whatever the release goes on to run; each
    // container once.
    std::vector<HWND> containers;
    for (HWND hwnd : repaint) {
        HWND parent = GetParent(hwnd);
        if (!parent || std::find(containers.begin(), containers.end(), parent) != containers.end()) continue;
        containers.push_back(parent);
        RedrawWindow(parent, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    }
}

void ImageButtons::setState(std::string_view pictureName, std::string_view state) {
    try {
        applyState(pictureName, state, false);
    } catch (...) {
        // Showing a state never fails its caller.
    }
}

std::function<void(int)> ImageButtons::actionOf(std::string_view captionName) const {
    if (captionName == kFormButtons[0].name) return actions_.update;
    if (captionName == kFormButtons[1].name) return actions_.save;
    if (captionName == kFormButtons[2].name) return actions_.load;
    return {};
}

void ImageButtons::mouseDown(std::string_view captionName, int button, int, float, float) {
    if (button == 1) setState(std::string(captionName) + std::string(kPictureSuffix), kPressedState);
}

void ImageButtons::mouseUp(std::string_view captionName, int button, int, float, float) {
    if (button == 1) setState(std::string(captionName) + std::string(kPictureSuffix), "Up");
    // The action may end the form and this set with it: nothing of the set is
    // touched once it starts.
    std::function<void(int)> action = actionOf(captionName);
    if (!action) return;
    Module& module = module_;
    const std::string operation(captionName);
    try {
        action(button);
    } catch (...) {
        try {
            Failure failure = currentFailure();
            module.showMessage(MessageKind::DllError, operation, &failure, failure.line);
        } catch (...) {}
    }
}

std::unique_ptr<ButtonSet> createFormButtons(Module& module, HWND frame3, int dpi, ButtonActions actions) {
    auto set = std::make_unique<ImageButtons>(module, GetParent(frame3), dpi, std::move(actions));
    if (!set->facesExist()) return nullptr;
    auto argsFor = [&](const FormButton& button, std::string name) {
        ButtonArgs args;
        args.width = kFormButtonWidth;
        args.height = kFormButtonHeight;
        args.left = button.left;
        args.top = kFormButtonTop;
        args.caption = std::string(button.caption);
        args.enabled = true;
        args.visible = true;
        args.name = std::move(name);
        args.container = frame3;
        args.fontSize = kFormButtonFontSize;
        return args;
    };
    for (const FormButton& button : kFormButtons)
        set->createButton(argsFor(button, std::string(button.name) + std::string(kPictureSuffix)));
    for (const FormButton& button : kFormButtons) set->createButtonTxt(argsFor(button, std::string(button.name)));
    return set;
}

}  // namespace kora::style
