#include "plugin/registration_win.h"

#include <olectl.h>

#include <string>

#include "base/module_path_win.h"

namespace kora::win {
namespace {

LSTATUS setValue(const std::wstring& subKey, const wchar_t* name, std::wstring_view value) {
    RegKey key;
    LSTATUS status = RegCreateKeyExW(HKEY_CLASSES_ROOT, subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                     KEY_SET_VALUE, nullptr, key.put(), nullptr);
    if (status != ERROR_SUCCESS) return status;
    const std::wstring text(value);
    return RegSetValueExW(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

HRESULT fromStatus(LSTATUS status) {
    return status == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(static_cast<DWORD>(status));
}

LSTATUS removeTree(const std::wstring& subKey) {
    const LSTATUS status = RegDeleteTreeW(HKEY_CLASSES_ROOT, subKey.c_str());
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}

std::wstring guidText(const GUID& guid) {
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return text;
}

}  // namespace

HRESULT registerClass(const CLSID& clsid, std::wstring_view progId, HMODULE module) noexcept {
    try {
        const std::wstring clsidKey = L"CLSID\\" + guidText(clsid);
        const std::wstring progIdKey(progId);
        const LSTATUS steps[] = {
            setValue(clsidKey, nullptr, progId),
            setValue(clsidKey + L"\\InprocServer32", nullptr, moduleFileName(module)),
            setValue(clsidKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment"),
            setValue(clsidKey + L"\\ProgID", nullptr, progId),
            setValue(progIdKey, nullptr, progId),
            setValue(progIdKey + L"\\CLSID", nullptr, guidText(clsid)),
        };
        for (LSTATUS s : steps)
            if (s != ERROR_SUCCESS) return fromStatus(s);
        return S_OK;
    } catch (...) {
        return SELFREG_E_CLASS;
    }
}

HRESULT unregisterClass(const CLSID& clsid, std::wstring_view progId) noexcept {
    try {
        const LSTATUS a = removeTree(L"CLSID\\" + guidText(clsid));
        const LSTATUS b = removeTree(std::wstring(progId));
        return fromStatus(a != ERROR_SUCCESS ? a : b);
    } catch (...) {
        return SELFREG_E_CLASS;
    }
}

}  // namespace kora::win
