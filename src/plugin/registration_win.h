// Registration of an in-process, apartment-threaded COM class under
// HKEY_CLASSES_ROOT: the CLSID with its InprocServer32, and the ProgID that
// names it (and is its description as well).
#pragma once

#include <string_view>

#include "base/raii_win.h"

namespace kora::win {

// Writes the keys for the server in `module`. Returns S_OK or the registry's
// failure as an HRESULT (SELFREG_E_CLASS when nothing better).
HRESULT registerClass(const CLSID& clsid, std::wstring_view progId, HMODULE module) noexcept;
// Removes the keys again; keys that are missing already are no failure.
HRESULT unregisterClass(const CLSID& clsid, std::wstring_view progId) noexcept;

}  // namespace kora::win
