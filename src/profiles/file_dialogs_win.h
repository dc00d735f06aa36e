// cdSettings: the common Open / Save dialog of the settings form, as the
// profiles ask for it.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <string>
#include <string_view>
#include <vector>

#include "base/services.h"

namespace kora::win {

// "Text|*.ext|Text|*.ext" as the dialog takes it: every "|" a NUL, and the
// list ended by two NULs (so an empty filter is two NULs as well).
std::wstring dialogFilter(std::string_view filter);

// The structure a request opens the dialog with; `buffer` receives the file
// name and must outlive the call. No default extension: a typed name stays as
// typed.
OPENFILENAMEW dialogSetup(const FileDialogRequest& request, HWND owner, const std::wstring& filter,
                          const std::wstring& title, const std::wstring& folder, std::vector<wchar_t>& buffer);

class Win32FileDialogs final : public FileDialogs {
public:
    // Owned by the thread's active window, like the message boxes, so the
    // dialog is modal to the host. "" when the user cancels; a dialog that
    // fails to open raises err::Automation.
    std::string ask(const FileDialogRequest& request) override;
};

}  // namespace kora::win
