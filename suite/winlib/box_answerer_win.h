// Answers the modal boxes of the calling thread, so the real box code runs in
// tests and in the host's script mode: a WH_CBT hook on the thread sees each
// "#32770" dialog as it is activated, records its title and text, and posts
// the answer (a button id) to it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "base/raii_win.h"
#include "window_helpers_win.h"

namespace kora::suite {

struct SeenBox {
    std::wstring title;
    std::wstring text;  // the box's static text (the message)
};

class BoxAnswerer {
public:
    // Chooses the button for a box; the default answers IDOK.
    using Chooser = std::function<int(const SeenBox&)>;

    explicit BoxAnswerer(Chooser choose = {});
    BoxAnswerer(const BoxAnswerer&) = delete;
    BoxAnswerer& operator=(const BoxAnswerer&) = delete;
    ~BoxAnswerer();

    const std::vector<SeenBox>& boxes() const noexcept { return boxes_; }
    void clear() { boxes_.clear(); }

private:
    static LRESULT CALLBACK hook(int code, WPARAM wParam, LPARAM lParam);
    void answer(HWND dialog);

    Chooser choose_;
    std::vector<SeenBox> boxes_;
    win::Hook hook_;
    BoxAnswerer* previous_;
};

// The texts of a dialog as the user sees them.
SeenBox readBox(HWND dialog);

// True the first time it is asked about the dialog (it then marks the dialog
// with the window property `mark`), false after: a dialog is activated again
// whenever a box it owns closes, and is to be answered once.
bool firstActivation(HWND dialog, const wchar_t* mark);

// The body of a WH_CBT hook that answers dialogs: `activated` sees each
// "#32770" dialog as it is activated; nothing it throws reaches the hook
// chain, and every event is passed on.
template <class Activated>
LRESULT passDialogActivation(int code, WPARAM wParam, LPARAM lParam, Activated&& activated) noexcept {
    if (code == HCBT_ACTIVATE) {
        try {
            const auto dialog = reinterpret_cast<HWND>(wParam);
            if (hasClass(dialog, L"#32770")) activated(dialog);
        } catch (...) {}
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace kora::suite
