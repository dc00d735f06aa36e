#include "plugin/dispatch_object_win.h"

#include <new>

#include "base/com_win.h"
#include "base/text_win.h"
#include "errors/failure.h"

namespace kora::win {
namespace {

constexpr int32_t kWrongArgumentCount = 450;

Variant convertedArg(const VARIANT& value, VARTYPE type) {
    Variant out;
    if (FAILED(changeType(value, type, out))) throw DispatchError{err::TypeMismatch, L"Type mismatch"};
    return out;
}

void fill(EXCEPINFO* info, std::wstring_view source, int32_t number, std::wstring_view text) {
    if (!info) return;
    *info = EXCEPINFO{};
    info->scode = hresultFromErrorNumber(number);
    info->bstrSource = SysAllocStringLen(source.data(), static_cast<UINT>(source.size()));
    info->bstrDescription = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

}  // namespace

const VARIANT& DispatchArgs::value(size_t i) const {
    if (i >= size()) throw DispatchError{kWrongArgumentCount, L"Wrong number of arguments"};
    return followReference(params_.rgvarg[size() - 1 - i]);
}

std::wstring DispatchArgs::text(size_t i) const {
    const VARIANT& v = value(i);
    if (V_VT(&v) == VT_EMPTY) return {};
    // The conversion copies a string, by value or by reference, as it is.
    const Variant converted = convertedArg(v, VT_BSTR);
    BSTR b = V_BSTR(&converted.get());
    return std::wstring(b ? b : L"", SysStringLen(b));
}

int32_t DispatchArgs::integer(size_t i) const { return V_I4(&convertedArg(value(i), VT_I4).get()); }

ComPtr<IDispatch> DispatchArgs::object(size_t i) const {
    const VARIANT& v = value(i);
    if (V_VT(&v) == VT_DISPATCH) return ComPtr<IDispatch>::share(V_DISPATCH(&v));
    if (V_VT(&v) == (VT_DISPATCH | VT_BYREF) && V_DISPATCHREF(&v)) return ComPtr<IDispatch>::share(*V_DISPATCHREF(&v));
    if (V_VT(&v) == VT_UNKNOWN && V_UNKNOWN(&v)) {
        ComPtr<IDispatch> out;
        V_UNKNOWN(&v)->QueryInterface(IID_IDispatch, out.putVoid());
        if (out) return out;
    }
    throw DispatchError{err::TypeMismatch, L"Type mismatch"};
}

const QITAB* DispatchObject::interfaces() noexcept {
    static const QITAB rows[] = {row<IDispatch>(IID_IDispatch), {}};
    return rows;
}

HRESULT DispatchObject::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT DispatchObject::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info) *info = nullptr;
    return E_NOTIMPL;
}

HRESULT DispatchObject::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (!names || !ids || count == 0) return E_INVALIDARG;
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    for (const Member& m : members()) {
        if (names[0] && CompareStringOrdinal(names[0], -1, m.name, -1, TRUE) == CSTR_EQUAL) {
            ids[0] = m.id;
            return count == 1 ? S_OK : DISP_E_UNKNOWNNAME;  // no named arguments
        }
    }
    return DISP_E_UNKNOWNNAME;
}

HRESULT DispatchObject::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                               EXCEPINFO* info, UINT* argError) {
    if (argError) *argError = 0;
    if (!params) return E_INVALIDARG;
    bool known = false;
    for (const Member& m : members()) known = known || m.id == id;
    if (!known) return DISP_E_MEMBERNOTFOUND;
    const bool isPut = flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF);
    if (params->cNamedArgs > (isPut ? 1u : 0u)) return DISP_E_NONAMEDARGS;
    try {
        Variant out;
        invoke(id, flags, DispatchArgs(*params), out.get());
        if (result) *result = out.release();
        return S_OK;
    } catch (const DispatchError& e) {
        fill(info, source(), e.number, e.description);
    } catch (const RunError& e) {
        fill(info, source(), e.failure().number, widen(e.failure().description));
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        fill(info, source(), static_cast<int32_t>(E_UNEXPECTED), L"Unexpected failure");
    }
    return DISP_E_EXCEPTION;
}

void setResult(VARIANT& result, std::wstring_view text) {
    VariantClear(&result);
    BSTR b = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (!b) throw std::bad_alloc();
    V_VT(&result) = VT_BSTR;
    V_BSTR(&result) = b;
}

void setResult(VARIANT& result, int32_t number) {
    VariantClear(&result);
    V_VT(&result) = VT_I4;
    V_I4(&result) = number;
}

void setBoolResult(VARIANT& result, bool value) {
    VariantClear(&result);
    V_VT(&result) = VT_BOOL;
    V_BOOL(&result) = value ? VARIANT_TRUE : VARIANT_FALSE;
}

}  // namespace kora::win
