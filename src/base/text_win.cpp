#include "base/text_win.h"

#include <climits>
#include <stdexcept>

namespace kora::win {
namespace {

int checkedLength(size_t size) {
    if (size > static_cast<size_t>(INT_MAX)) throw std::length_error("text too long");
    return static_cast<int>(size);
}

std::optional<std::string> toUtf8(std::wstring_view utf16, DWORD flags) {
    if (utf16.empty()) return std::string();
    const int length = checkedLength(utf16.size());
    const int bytes = WideCharToMultiByte(CP_UTF8, flags, utf16.data(), length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return std::nullopt;
    std::string out(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, flags, utf16.data(), length, out.data(), bytes, nullptr, nullptr);
    return out;
}

}  // namespace

std::wstring widen(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int length = checkedLength(utf8.size());
    const int chars = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, nullptr, 0);
    if (chars <= 0) return {};
    std::wstring out(static_cast<size_t>(chars), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, out.data(), chars);
    return out;
}

std::string narrow(std::wstring_view utf16) { return toUtf8(utf16, 0).value_or(std::string()); }

std::optional<std::string> narrowStrict(std::wstring_view utf16) {
    // Windows and Wine refuse unpaired surrogates only when asked to.
    return toUtf8(utf16, WC_ERR_INVALID_CHARS);
}

}  // namespace kora::win
