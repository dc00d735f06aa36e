// The settings form frmrcKORA as real Win32 windows: one Unicode window that
// can stand alone or be made a child of the host's window, with every control
// of the catalogue as its direct child. It stores the form contract's values
// in the controls; the contract's rules and the behaviours live in the core
// (form/form.h, form/behaviours.h), and the controls' notifications are
// handed to the core's event functions.
//
// Keyboard, for the host: the form is a WS_EX_CONTROLPARENT window, so Tab
// and Shift+Tab walk its controls in visual order when the host's message
// loop calls IsDialogMessage on its window. Ctrl+Tab / Ctrl+Shift+Tab switch
// the page of SSTab2; the form takes them from a WH_GETMESSAGE hook on its
// thread (installed by the first form, removed with the last), so they work
// whether or not the host calls IsDialogMessage.
#pragma once

#include <windows.h>

#include <cstddef>
#include <memory>

#include "errors/module.h"
#include "form/form_window.h"
#include "style/style_win.h"

namespace kora {

struct Win32FormOptions {
    // Development mode: the tab control keeps its own painting (no HookGrid on
    // load, no UnhookGrid on unload).
    bool developmentMode = false;
    // What the run-time buttons of Frame3 do when pressed.
    style::ButtonActions buttons;
};

// Creates and loads the form (Form_Load runs inside; its failures propagate).
std::unique_ptr<FormWindow> createWin32Form(Module& module, const Win32FormOptions& options);

// The real windows behind the form, for the host stand-in's script mode and the
// tests, which act on the controls as a user would.
class Win32FormWindows {
public:
    virtual HWND window() const = 0;
    // The control's window; for option groups the element's button; for
    // savCountry the combo box (its edit box is the combo's child).
    virtual HWND controlWindow(Control c, int element = 0) const = 0;
    // The caption label to the left of a setting (null when it has none).
    virtual HWND labelWindow(Control c) const = 0;
    // Frame3 is a window of the form's own that draws the run-time buttons; the other
    // frames are group boxes lying behind their controls.
    virtual HWND frameWindow(Frame f) const = 0;
    virtual HWND staticLabelWindow(size_t index) const = 0;  // staticLabels() order
    virtual HWND tabWindow() const = 0;                      // SSTab2
    virtual HWND pictureWindow() const = 0;                  // Picture1 (null if absent)
    virtual int dpi() const = 0;
    virtual int currentTab() const = 0;
    // Whether Form_Load installed the painting hook.
    virtual bool gridHooked() const = 0;
    // The marks: the window whose caption turns bold (a setting's caption
    // label, a ping limit's label, the restriction lists' frames), the warning
    // mark beside a setting that Update would correct (null when none), and
    // the tooltip control that holds the warning marks' notices.
    virtual HWND captionWindow(Control c) const = 0;
    virtual HWND warningWindow(Control c) const = 0;
    virtual HWND tooltipWindow() const = 0;

protected:
    ~Win32FormWindows() = default;
};

// The windows of a form made by createWin32Form; null for any other form.
Win32FormWindows* win32Windows(FormWindow& form);

}  // namespace kora
