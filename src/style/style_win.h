// The visual style of the settings form, as the form window sees it: the
// painting hook of the tab control, and the Update / Save / Load image buttons
// that their container paints, with faces read from picture files.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/gdi_win.h"
#include "style/button_geometry.h"

namespace kora {
class Handler;
class Module;
}  // namespace kora

namespace kora::style {

// Picture1 as the hook blends it in: a box with no picture of its own, so its
// image is its back colour.
struct PictureBox {
    HWND hwnd = nullptr;
    COLORREF back = 0;
};

// Replaces the grid window's procedure with GridWndProc and records the old
// procedure and the picture box in the window properties "lpPROC" and
// "PctOBJ". The picture box is held by address only: UnhookGrid must run
// before it goes.
void HookGrid(HWND grid, const PictureBox& picture);
// Puts the old procedure back, then removes the properties.
void UnhookGrid(HWND grid);
// Paints the tab control off screen with the picture box's image merged in;
// every other message goes unchanged to the old procedure.
LRESULT CALLBACK GridWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Reads the picture file at `path` (UTF-8, "\" separators) into a 32-bit
// top-down DIB section that GDI can stretch; transparent pixels are blended
// over `background`. Raises 53 when the file does not exist, 76 when its
// folder does not, and 481 when it is not a picture.
win::GdiBitmap loadPicture(const std::string& path, COLORREF background);

// What releasing a button runs; the argument is the mouse button that came up
// (1 left, 2 right, 4 middle).
struct ButtonActions {
    std::function<void(int button)> update, save, load;
};

// The form's run-time buttons: pictures (faces) and caption labels bound by
// name, drawn by their container, which hands its mouse messages here.
class ImageButtons {
public:
    // Creates cmdUpdateImg, cmdSaveImg, cmdLoadImg, then cmdUpdate, cmdSave,
    // cmdLoad in `container` (twips inside it), each routine reporting its
    // failures as "CreateButton" / "CreateButtonTxt" (76 passed over); null
    // when a face file is missing.
    static std::unique_ptr<ImageButtons> create(Module& module, HWND container, int dpi, ButtonActions actions);
    ImageButtons(Module& module, HWND container, int dpi, ButtonActions actions);
    ImageButtons(const ImageButtons&) = delete;
    ImageButtons& operator=(const ImageButtons&) = delete;

    // Draws the faces, then the captions over them, into the container's `dc`.
    void paint(HDC dc) const noexcept;
    // The container's mouse messages: a press on a button's picture or
    // caption holds the mouse until the last button comes up. Returns false
    // for what is not the buttons'. The action that a release runs may end
    // the buttons: nothing of them is touched after it.
    bool mouse(UINT message, WPARAM wParam, LPARAM lParam);
    // SetButtonState: pressed for exactly "Down", else released. Never raises;
    // a face that cannot be read leaves the one shown.
    void setState(std::string_view pictureName, std::string_view state) noexcept;

    // Where a picture or caption lies in the container, in pixels.
    std::optional<RECT> area(std::string_view name) const;
    // The face file a picture shows ("" for none).
    std::string faceOf(std::string_view pictureName) const;

private:
    struct Piece {
        std::string name;
        TwipRect rect;
        // Pictures: the face and the file it came from.
        win::GdiBitmap face;
        std::string facePath;
        // Captions.
        std::wstring caption;
        win::GdiFont font;
    };
    void make(std::string_view routine, std::vector<Piece>& pieces,
              const std::function<void(const Handler&, Piece&)>& body);
    void createButton(const FormButton& button);
    void createButtonTxt(const FormButton& button);
    void applyState(std::string_view pictureName, std::string_view state, bool raising);
    RECT pixels(const TwipRect& r) const noexcept;
    const Piece* find(std::string_view name) const;
    // The button (by caption name) whose picture or caption holds `at`.
    std::string buttonAt(POINT at) const;

    Module& module_;
    HWND container_;
    int dpi_;
    int twipsPerPixel_;
    ButtonActions actions_;
    std::vector<Piece> pictures_, captions_;  // in creation order
    std::string held_;                        // the caption whose button has the mouse
};

}  // namespace kora::style
