// The COM rules the plug-in, its stand-ins and its tests share, each written
// once: run-time error numbers as HRESULTs and back, following by-reference
// VARIANTs, and converting a VARIANT the way the host's language does.
#pragma once

#include <cstdint>

#include "base/raii_win.h"

namespace kora::win {

// Run-time error numbers and HRESULTs, as the host's language maps them: an
// HRESULT 0x800Annnn (facility "control") is run-time error nnnn. Numbers
// 1..65535 become 0x800Annnn; any other number is kept as a signed 32-bit
// HRESULT.
HRESULT hresultFromErrorNumber(int32_t number) noexcept;
// The dispatch failures that have run-time numbers of their own get those
// (unknown member 438, type mismatch 13, overflow 6); any other HRESULT is
// kept as its signed 32-bit value.
int32_t errorNumberFromHresult(HRESULT hr) noexcept;

// The value a VARIANT stands for: VT_BYREF|VT_VARIANT references followed to
// the first VARIANT that is not one (a null reference ends the chain where it is).
const VARIANT& followReference(const VARIANT& value) noexcept;

// VariantChangeTypeEx under the invariant locale, so that "1.5" and 1.5 mean
// the same on every machine. The result is in `out` when it succeeds.
HRESULT changeType(const VARIANT& value, VARTYPE type, Variant& out) noexcept;

}  // namespace kora::win
