#include "base/module_path_win.h"

#include <algorithm>

#include "base/text_win.h"

namespace kora::win {

HINSTANCE codeModule() noexcept {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&codeModule), &module);
    return module;
}

std::wstring moduleFileName(HMODULE module) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        // A full buffer means the path may have been cut: grow and ask again.
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        if (path.size() >= 32768) return {};  // longer than any Windows path
        path.resize(path.size() * 2);
    }
}

std::wstring openablePath(std::string_view path) {
    constexpr size_t kLongestShortPath = MAX_PATH - 12;
    std::wstring w = widen(path);
    if (w.size() < kLongestShortPath) return w;
    const auto separator = [](wchar_t c) { return c == L'\\' || c == L'/'; };
    const bool drive = w.size() > 2 && w[1] == L':' && separator(w[2]);
    const bool unc = w.size() > 2 && separator(w[0]) && separator(w[1]) && w[2] != L'?' && w[2] != L'.';
    if (!drive && !unc) return w;  // relative, or a long or device form already
    std::replace(w.begin(), w.end(), L'/', L'\\');
    if (drive) return L"\\\\?\\" + w;
    return L"\\\\?\\UNC" + w.substr(1);
}

}  // namespace kora::win
