// UTF-8 (the core's text) to and from UTF-16 (BSTRs and W functions): the
// only place where the two meet.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "base/raii_win.h"

namespace kora::win {

std::wstring widen(std::string_view utf8);
// Unpaired surrogates become U+FFFD.
std::string narrow(std::wstring_view utf16);
// nullopt when the text holds an unpaired surrogate.
std::optional<std::string> narrowStrict(std::wstring_view utf16);

inline Bstr toBstr(std::string_view utf8) { return Bstr(widen(utf8)); }
inline std::string fromBstr(BSTR b) { return narrow({b ? b : L"", b ? SysStringLen(b) : 0u}); }

}  // namespace kora::win
