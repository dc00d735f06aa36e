#include "profiles/file_dialogs_win.h"

#include <cstdio>

#include "base/text_win.h"
#include "errors/failure.h"

namespace kora::win {

// Room for the longest path Windows accepts, so no choice is ever cut short.
constexpr size_t kFileBufferUnits = 32768;

std::wstring dialogFilter(std::string_view filter) {
    std::wstring out = widen(filter);
    for (wchar_t& c : out)
        if (c == L'|') c = L'\0';
    out.push_back(L'\0');
    out.push_back(L'\0');
    return out;
}

OPENFILENAMEW dialogSetup(const FileDialogRequest& request, HWND owner, const std::wstring& filter,
                          const std::wstring& title, const std::wstring& folder, std::vector<wchar_t>& buffer) {
    buffer.assign(kFileBufferUnits, L'\0');  // the initial file name is empty
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = static_cast<DWORD>(buffer.size());
    ofn.lpstrInitialDir = folder.c_str();
    ofn.lpstrTitle = title.c_str();
    ofn.Flags = request.flags;
    return ofn;
}

std::string Win32FileDialogs::ask(const FileDialogRequest& request) {
    const std::wstring filter = dialogFilter(request.filter);
    const std::wstring title = widen(request.title);
    const std::wstring folder = widen(request.initialDir);
    std::vector<wchar_t> buffer;
    OPENFILENAMEW ofn = dialogSetup(request, GetActiveWindow(), filter, title, folder, buffer);
    const BOOL chosen = request.save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
    if (!chosen) {
        // Zero means the user cancelled, which is no error.
        if (const DWORD code = CommDlgExtendedError()) {
            char text[80];
            std::snprintf(text, sizeof text, "The file dialog could not be shown (error 0x%lX)",
                          static_cast<unsigned long>(code));
            raise(err::Automation, text);
        }
        return {};
    }
    return narrow(buffer.data());
}

}  // namespace kora::win
