#include "plugin/registration_win.h"

#include <olectl.h>

namespace kora::win {
namespace {

LSTATUS setValue(HKEY root, const std::wstring& subKey, const wchar_t* name, std::wstring_view value) {
    RegKey key;
    LSTATUS status = RegCreateKeyExW(root, subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr,
                                     key.put(), nullptr);
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

}  // namespace

std::wstring guidText(const GUID& guid) {
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return text;
}

HRESULT registerClass(const ClassRegistration& c, std::wstring_view modulePath) noexcept {
    try {
        const std::wstring clsidKey = L"CLSID\\" + guidText(c.clsid);
        const std::wstring progId(c.progId);
        const LSTATUS steps[] = {
            setValue(HKEY_CLASSES_ROOT, clsidKey, nullptr, c.description),
            setValue(HKEY_CLASSES_ROOT, clsidKey + L"\\InprocServer32", nullptr, modulePath),
            setValue(HKEY_CLASSES_ROOT, clsidKey + L"\\InprocServer32", L"ThreadingModel", c.threading),
            setValue(HKEY_CLASSES_ROOT, clsidKey + L"\\ProgID", nullptr, progId),
            setValue(HKEY_CLASSES_ROOT, progId, nullptr, c.description),
            setValue(HKEY_CLASSES_ROOT, progId + L"\\CLSID", nullptr, guidText(c.clsid)),
        };
        for (LSTATUS s : steps)
            if (s != ERROR_SUCCESS) return fromStatus(s);
        return S_OK;
    } catch (...) {
        return SELFREG_E_CLASS;
    }
}

HRESULT unregisterClass(const ClassRegistration& c) noexcept {
    try {
        const LSTATUS a = removeTree(L"CLSID\\" + guidText(c.clsid));
        const LSTATUS b = removeTree(std::wstring(c.progId));
        return fromStatus(a != ERROR_SUCCESS ? a : b);
    } catch (...) {
        return SELFREG_E_CLASS;
    }
}

}  // namespace kora::win
