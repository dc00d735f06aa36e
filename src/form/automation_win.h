// A way in to the real settings form for code of another module in the same
// process (the host stand-in's script mode, window tests): the form window
// answers the registered message named kAutomationMessage. The caller sends
// it on the form's thread with the address of an AutomationRequest in lParam;
// only plain data crosses, and the answer comes back in the same record.
#pragma once

#include <windows.h>

namespace kora {

inline constexpr wchar_t kAutomationMessage[] = L"KorastandFormAutomation";
inline constexpr wchar_t kFormWindowClass[] = L"KorastandForm";

enum class AutomationOp : int {
    // `window` := the control's window: a catalogue control (for an option
    // group the button of `element`), or for a run-time button ("cmdUpdate",
    // "cmdUpdateImg", ...) the container that draws it, with `area` := where
    // it lies in that window's client area (empty: the whole client area).
    FindControl = 1,
    // Sets `value` through the form's contract, as code would: the check value
    // of a check box, the list index of a combo or list box, the selected
    // element of an option group. Behaviours that follow a value run.
    SetValue = 2,
    // The windows that show a catalogue control's mark: `window` := the
    // caption that turns bold, `mark` := the warning mark (null when none),
    // `tooltip` := the tooltip control holding the warning marks' notices
    // (null before the first one).
    FindMark = 3,
};

struct AutomationRequest {
    AutomationOp op = AutomationOp::FindControl;
    const wchar_t* name = nullptr;  // control name, without an element index
    int element = 0;                // FindControl on option groups
    int value = 0;                  // SetValue
    HWND window = nullptr;          // FindControl's and FindMark's answer
    RECT area{};                    // FindControl's answer
    HWND mark = nullptr;            // FindMark's answer
    HWND tooltip = nullptr;         // FindMark's answer
    int error = 0;                  // 0, or the run-time error number of the failure
};

// The message's number in this session (RegisterWindowMessageW).
UINT automationMessage();

}  // namespace kora
