// Registration of an in-process COM class under HKEY_CLASSES_ROOT: the CLSID
// with its InprocServer32 and threading model, and the ProgID that names it.
#pragma once

#include <string>
#include <string_view>

#include "base/raii_win.h"

namespace kora::win {

struct ClassRegistration {
    const CLSID& clsid;
    std::wstring_view progId;       // "zelrcKORA.clsPlugin"
    std::wstring_view description;  // the class key's default value
    std::wstring_view threading;    // "Apartment"
};

std::wstring guidText(const GUID& guid);

// Writes the keys for the server at `modulePath`. Returns S_OK or the
// registry's failure as an HRESULT (SELFREG_E_CLASS when nothing better).
HRESULT registerClass(const ClassRegistration& c, std::wstring_view modulePath) noexcept;
// Removes the keys again; keys that are missing already are no failure.
HRESULT unregisterClass(const ClassRegistration& c) noexcept;

}  // namespace kora::win
