// Answers the modal dialogs of the host's user-interface thread, so that the
// plug-in's real message boxes and file dialogs run under a script: a WH_CBT
// hook sees each "#32770" dialog as it is activated. A message box is read
// and answered with OK at once. A file dialog is handed on through a message
// posted to the host's window, so that it is answered from inside the
// dialog's own message loop once it is fully set up.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "base/raii_win.h"
#include "box_answerer_win.h"

namespace kora::suite {

class DialogAnswerer {
public:
    using BoxSeen = std::function<void(const SeenBox&)>;

    // `host` receives `fileDialogMessage` with the dialog's window in lParam.
    DialogAnswerer(HWND host, UINT fileDialogMessage, BoxSeen onBox);
    DialogAnswerer(const DialogAnswerer&) = delete;
    DialogAnswerer& operator=(const DialogAnswerer&) = delete;
    ~DialogAnswerer();

    // Off: boxes are still reported but left to the user, and file dialogs
    // are still handed on; for a host that a person works in.
    void setAnswering(bool on) noexcept { answering_ = on; }
    bool answering() const noexcept { return answering_; }

private:
    static LRESULT CALLBACK hook(int code, WPARAM wParam, LPARAM lParam);
    void activated(HWND dialog);

    HWND host_;
    UINT fileDialogMessage_;
    BoxSeen onBox_;
    bool answering_ = true;
    win::Hook hook_;
};

// Whether the dialog is a common Open / Save dialog (it has a file-name box).
bool isFileDialog(HWND dialog);

// What a file dialog shows: its title, the folder it shows (at first its
// initial folder) and the names of its file types, "|" between them.
struct SeenFileDialog {
    std::wstring title;
    std::wstring folder;
    std::wstring types;
};
SeenFileDialog readFileDialog(HWND dialog);

// Types `name` into the file-name box as a user does and presses OK (posted:
// the dialog's own loop carries it out); false when there is no such box.
bool confirmFileDialog(HWND dialog, std::wstring_view name);
void cancelFileDialog(HWND dialog);

}  // namespace kora::suite
