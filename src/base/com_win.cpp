#include "base/com_win.h"

namespace kora::win {

constexpr uint32_t kControlFacility = 0x800A0000u;

HRESULT hresultFromErrorNumber(int32_t number) noexcept {
    if (number > 0 && number <= 0xFFFF) return static_cast<HRESULT>(kControlFacility | static_cast<uint32_t>(number));
    return static_cast<HRESULT>(number);
}

int32_t errorNumberFromHresult(HRESULT hr) noexcept {
    const auto code = static_cast<uint32_t>(hr);
    if ((code & 0xFFFF0000u) == kControlFacility) return static_cast<int32_t>(code & 0xFFFFu);
    switch (hr) {
    case DISP_E_UNKNOWNNAME:
    case DISP_E_MEMBERNOTFOUND: return 438;  // object doesn't support this property or method
    case DISP_E_TYPEMISMATCH: return 13;     // type mismatch
    case DISP_E_OVERFLOW: return 6;          // overflow
    default: return static_cast<int32_t>(hr);
    }
}

const VARIANT& followReference(const VARIANT& value) noexcept {
    const VARIANT* p = &value;
    while (V_VT(p) == (VT_BYREF | VT_VARIANT) && V_VARIANTREF(p)) p = V_VARIANTREF(p);
    return *p;
}

HRESULT changeType(const VARIANT& value, VARTYPE type, Variant& out) noexcept {
    return VariantChangeTypeEx(out.put(), const_cast<VARIANT*>(&value), LOCALE_INVARIANT, 0, type);
}

}  // namespace kora::win
