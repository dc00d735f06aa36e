// The visual style of the settings form, as the form window sees it: the
// picture box whose image is blended into the tab control's face, the painting
// hook of the tab control, and the Update / Save / Load image buttons.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "style/face_image_win.h"

namespace kora {
class Module;
}

namespace kora::style {

// Picture1: a child window that keeps a persistent image (its back colour with
// its picture drawn over it) in a memory device context, so that others can
// copy from it at any time.
class PictureBox;
std::unique_ptr<PictureBox> createPictureBox(HWND parent, const RECT& pixels, COLORREF back);
HWND pictureWindow(const PictureBox&);

// SSTab2 as the hook sees it.
struct Grid {
    HWND hwnd;
};

// Replaces the grid window's procedure with GridWndProc and records the old
// procedure, the picture box and the grid in the window properties "lpPROC",
// "PctOBJ" and "GridOBJ". The picture box and the grid are held by address
// only: UnhookGrid must run before either goes.
void HookGrid(Grid& grid, PictureBox& picture);
// Puts the old procedure back, then removes the three properties.
void UnhookGrid(HWND grid);
// Paints the tab control off screen with the picture box's image merged in;
// every other message goes unchanged to the old procedure.
LRESULT CALLBACK GridWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// What releasing a button runs; the argument is the mouse button that came up
// (1 left, 2 right, 4 middle).
struct ButtonActions {
    std::function<void(int button)> update, save, load;
};

class ButtonSet {
public:
    virtual ~ButtonSet() = default;
    // Shows the button whose picture is `pictureName` pressed for "Down",
    // released for anything else. Never raises.
    virtual void setState(std::string_view pictureName, std::string_view state) = 0;
    // The window of the picture or caption of that name, or null.
    virtual HWND findControl(std::string_view) const { return nullptr; }
};

// Creates cmdUpdateImg, cmdSaveImg, cmdLoadImg, then cmdUpdate, cmdSave,
// cmdLoad inside frame3 (twips relative to frame3); nullptr when a face file
// is missing.
std::unique_ptr<ButtonSet> createFormButtons(kora::Module& module, HWND frame3, int dpi, ButtonActions actions);

inline HWND findButtonControl(const ButtonSet& set, std::string_view name) { return set.findControl(name); }

// ---------------------------------------------------------------------------
// The pieces behind the calls above, open for the form and for tests.

class PictureBox {
public:
    struct Image;  // the persistent image; shared so a paint in progress keeps it

    explicit PictureBox(std::shared_ptr<Image> image);
    ~PictureBox();
    PictureBox(const PictureBox&) = delete;
    PictureBox& operator=(const PictureBox&) = delete;

    HWND window() const noexcept;
    // The device context of the persistent image.
    HDC hdc() const noexcept;
    // A colour as the form's properties hold it: an RGB value, or 0x800000nn
    // for the system colour nn.
    uint32_t backColor() const noexcept;
    void setBackColor(uint32_t color) noexcept;
    bool autoRedraw() const noexcept;
    void setAutoRedraw(bool on) noexcept;
    bool autoSize() const noexcept;
    void setAutoSize(bool on) noexcept;
    int scaleMode() const noexcept;  // 1 twips, 3 pixels
    void setScaleMode(int mode);     // raises 380 for other modes
    // The inner size in the scale mode's units.
    double scaleWidth() const noexcept;
    double scaleHeight() const noexcept;
    // Draws `bitmap` over the back colour (the box keeps its own copy);
    // with AutoSize the box takes the picture's size. Null removes it.
    void setPicture(HBITMAP bitmap) noexcept;

    const std::shared_ptr<Image>& image() const noexcept { return image_; }

private:
    std::shared_ptr<Image> image_;
};

// The eleven arguments of CreateButton and CreateButtonTxt (the form is the
// button set's own window).
struct ButtonArgs {
    int32_t width = 0;
    int32_t height = 0;
    int32_t left = 0;
    int32_t top = 0;
    std::string caption;
    bool enabled = true;
    bool visible = true;
    std::string name;
    HWND container = nullptr;  // null: directly on the form
    int32_t fontSize = 0;
};

// The form's run-time button controls: pictures and caption labels bound by
// name, with the mouse handling of the three command buttons.
class ImageButtons : public ButtonSet {
public:
    ImageButtons(kora::Module& module, HWND form, int dpi, ButtonActions actions);
    ~ImageButtons() override;
    ImageButtons(const ImageButtons&) = delete;
    ImageButtons& operator=(const ImageButtons&) = delete;

    // Each returns the window it created, or null (reported through the
    // "CreateButton" / "CreateButtonTxt" handler, 76 resumed).
    HWND createButton(const ButtonArgs& args);
    HWND createButtonTxt(const ButtonArgs& args);

    void setState(std::string_view pictureName, std::string_view state) override;
    HWND findControl(std::string_view name) const override;

    // True when both face files exist below BasePath.
    bool facesExist() const;
    // The face a picture shows now: "\imgs\butup.gif", "\imgs\butdown.gif",
    // or "" when it shows none.
    std::string faceOf(std::string_view pictureName) const;
    // A caption's font size in points.
    int32_t fontSizeOf(std::string_view captionName) const;

    // The form's MouseDown and MouseUp handlers of a button, by caption name;
    // the picture's events arrive here unchanged.
    void mouseDown(std::string_view captionName, int button, int shift, float x, float y);
    void mouseUp(std::string_view captionName, int button, int shift, float x, float y);

    struct Control;

private:
    friend struct ButtonWindows;
    Control* find(std::string_view name) const;
    Control& add(std::unique_ptr<Control> control, HWND parent);
    void remove(Control* control) noexcept;
    // SetButtonState. A face that cannot be loaded raises when `raising` (the
    // creating routines), else the picture keeps the face it showed.
    void applyState(std::string_view pictureName, std::string_view state, bool raising);
    std::function<void(int)> actionOf(std::string_view captionName) const;
    // The containers hand presses inside a control's extent to the control.
    UINT_PTR subclassId() const noexcept;
    void watchContainer(HWND container);
    void forgetContainer(HWND container) noexcept;
    HWND controlAt(HWND container, POINT at) const noexcept;

    kora::Module& module_;
    HWND form_;
    int twipsPerPixel_;
    int dpi_;
    ButtonActions actions_;
    PictureCache faces_;
    std::vector<std::unique_ptr<Control>> controls_;  // collection order
    std::vector<HWND> containers_;                    // subclassed by watchContainer
};

}  // namespace kora::style
