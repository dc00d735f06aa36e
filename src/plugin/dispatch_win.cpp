#include "plugin/dispatch_win.h"

#include <algorithm>
#include <vector>

#include "base/text_win.h"

namespace kora::win {
namespace {

std::string systemMessage(HRESULT hr) {
    wchar_t* buffer = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text(buffer ? buffer : L"", length);
    LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) text.pop_back();
    return narrow(text);
}

[[noreturn]] void raiseCom(HRESULT hr, const EXCEPINFO* info, std::source_location where) {
    Failure f = failureFromCom(hr, info, static_cast<int32_t>(where.line()));
    throw RunError(f.number, std::move(f.description), f.line);
}

Variant converted(const VARIANT& value, VARTYPE type, std::source_location where) {
    Variant out;
    if (const HRESULT hr = changeType(value, type, out); FAILED(hr)) raiseCom(hr, nullptr, where);
    return out;
}

bool isEmptyOrNull(const VARIANT& v) { return V_VT(&v) == VT_EMPTY || V_VT(&v) == VT_NULL; }

}  // namespace

Failure failureFromCom(HRESULT hr, const EXCEPINFO* info, int32_t line) {
    Failure f;
    f.line = line;
    if (hr == DISP_E_EXCEPTION && info) {
        f.number = info->wCode ? static_cast<int32_t>(info->wCode) : errorNumberFromHresult(info->scode);
        if (info->bstrDescription) f.description = fromBstr(info->bstrDescription);
    } else {
        f.number = errorNumberFromHresult(hr);
    }
    if (f.description.empty()) {
        const bool runtimeNumber = f.number > 0 && f.number <= 0xFFFF;
        f.description = runtimeNumber ? describe(f.number) : systemMessage(hr);
        if (f.description.empty()) f.description = describe(err::Automation);
    }
    return f;
}

Variant invoke(IDispatch* target, std::wstring_view member, WORD flags, std::initializer_list<VARIANT> args,
               std::source_location where) {
    if (!target) raise(err::ObjectNotSet, {}, where);
    std::wstring name(member);
    LPOLESTR names[] = {name.data()};
    DISPID id = DISPID_UNKNOWN;
    HRESULT hr = target->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) raiseCom(hr, nullptr, where);

    std::vector<VARIANT> reversed(args.begin(), args.end());
    std::reverse(reversed.begin(), reversed.end());
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    DISPID named = DISPID_PROPERTYPUT;
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        params.rgdispidNamedArgs = &named;
        params.cNamedArgs = 1;
    }
    Variant result;
    ExcepInfo info;
    UINT argError = 0;
    hr = target->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result.put(), &info, &argError);
    if (hr == DISP_E_EXCEPTION && info.pfnDeferredFillIn) info.pfnDeferredFillIn(&info);
    if (FAILED(hr)) raiseCom(hr, &info, where);
    return result;
}

VARIANT byValue(const Bstr& text) noexcept {
    VARIANT v{};
    V_VT(&v) = VT_BSTR;
    V_BSTR(&v) = text.get();
    return v;
}

VARIANT byRef(Bstr& text) noexcept {
    VARIANT v{};
    V_VT(&v) = VT_BSTR | VT_BYREF;
    V_BSTRREF(&v) = text.slot();
    return v;
}

VARIANT byValue(int32_t number) noexcept {
    VARIANT v{};
    V_VT(&v) = VT_I4;
    V_I4(&v) = number;
    return v;
}

VARIANT byValue(IDispatch* object) noexcept {
    VARIANT v{};
    V_VT(&v) = VT_DISPATCH;
    V_DISPATCH(&v) = object;
    return v;
}

VARIANT byRef(VARIANT& value) noexcept {
    VARIANT v{};
    V_VT(&v) = VT_VARIANT | VT_BYREF;
    V_VARIANTREF(&v) = &value;
    return v;
}

std::string toText(const VARIANT& value) {
    const VARIANT& v = followReference(value);
    if (isEmptyOrNull(v)) return {};
    if (V_VT(&v) == VT_BSTR) return fromBstr(V_BSTR(&v));
    return fromBstr(V_BSTR(&converted(v, VT_BSTR, std::source_location::current()).get()));
}

double toNumber(const VARIANT& value) {
    const VARIANT& v = followReference(value);
    if (V_VT(&v) == VT_NULL) raise(err::TypeMismatch);
    return V_R8(&converted(v, VT_R8, std::source_location::current()).get());
}

std::optional<bool> toOptionalBool(const VARIANT& value) {
    const VARIANT& v = followReference(value);
    if (isEmptyOrNull(v)) return std::nullopt;
    return V_BOOL(&converted(v, VT_BOOL, std::source_location::current()).get()) != VARIANT_FALSE;
}

}  // namespace kora::win
