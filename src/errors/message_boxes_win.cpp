#include "errors/message_boxes_win.h"

#include "base/text_win.h"

namespace kora::win {

void Win32MessageBoxes::show(std::string_view title, std::string_view text) {
    // Owned by the thread's active window (the host's or the form) so the box
    // is modal to it; MB_OK alone: no icon, no help button.
    MessageBoxW(GetActiveWindow(), widen(text).c_str(), widen(title).c_str(), MB_OK);
}

}  // namespace kora::win
