// The host's hands on the plug-in's real form: finds its windows by
// catalogue name (through the form's automation message), acts on them as a
// user would (typing, mouse clicks) or as code would (the form contract), and
// reads what the windows hold. Every function runs on the host's
// user-interface thread, which is also the form's.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace kora::suite {

class FormDriver {
public:
    explicit FormDriver(HWND host) : host_(host) {}

    // The form's window: a child of the host's window once LoadInterface made
    // it one, else a window of this thread that was never placed; null when
    // the plug-in has not created its form.
    HWND form() const;

    // Each returns "" when it worked, else why not (for an `error` event).
    // `area` (optional): where the control lies in the window's client area.
    std::string findControl(std::string_view name, int element, HWND& window, RECT* area = nullptr) const;
    // select all, delete, then one WM_CHAR per UTF-16 unit; a line break
    // (CR LF, CR or LF) is one press of Enter.
    std::string type(std::string_view name, std::string_view utf8) const;
    std::string setValue(std::string_view name, int value) const;
    // A multi-select list's item to the wanted state, by clicking it when it
    // differs (scrolled into view first, as a user would).
    std::string select(std::string_view name, int index, bool selected) const;
    // WM_xBUTTONDOWN and WM_xBUTTONUP at the control's centre; button 1 left,
    // 2 right, 4 middle. Without `release` the button stays held down.
    std::string click(std::string_view name, int element, int button, bool release = true) const;
    // A left click on the header of a page of the form's tab control, given
    // by its index or its caption.
    std::string clickTab(std::string_view page) const;
    // "page N...": the pages of the tab control whose controls are shown.
    std::string pageLine(std::string& line) const;

    // "items NAME COUNT TEXT|TEXT|..." for a combo or list box.
    std::string items(std::string_view name, std::string& line) const;
    // "window PLACE SHOWN": PLACE "host" when the form is a child of the
    // host's window, "alone" when not, "absent" when there is no form; SHOWN
    // "visible" or "hidden" (the form's own visibility).
    std::string windowLine() const;

    // The dump's event lines: control, enabled and list lines.
    std::string dump(std::vector<std::string>& lines) const;
    // The lines of the named controls only: a setting control's control and
    // enabled lines, a list's list line, chkAutoLoad's or an option group's
    // control line, a label's enabled line.
    std::string dump(const std::vector<std::string>& names, std::vector<std::string>& lines) const;

    // "mark NAME KIND TOOLTIP" for every marked control, in catalogue order,
    // read from the windows: KIND "changed" when the caption's font is bold,
    // "corrected" when a warning mark is there, or both; TOOLTIP the warning
    // mark's tooltip text. The restriction lists' marks are their frames'
    // (Frame10, Frame11), with no tooltip.
    std::string marks(std::vector<std::string>& lines) const;

private:
    HWND host_;
};

}  // namespace kora::suite
