// Late-bound calls by member name: GetIDsOfNames, then Invoke. Arguments are
// given in their natural order; the helper reverses them into DISPPARAMS as
// IDispatch expects. A failing call raises a kora::RunError numbered the way
// the host's language numbers it (see failureFromCom and base/com_win.h).
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <source_location>
#include <string>
#include <string_view>

#include "base/com_win.h"
#include "base/raii_win.h"
#include "errors/failure.h"

namespace kora::win {

// The failure of a call that returned `hr`; with `info` (DISP_E_EXCEPTION)
// the number comes from its wCode or scode and the description from it.
Failure failureFromCom(HRESULT hr, const EXCEPINFO* info, int32_t line = 0);

// Invokes `member` on `target` with `flags` (DISPATCH_METHOD, ...). `args` are
// borrowed: they are not cleared, and a by-reference argument points into the
// caller's storage. Raises on failure; a null target raises 91.
Variant invoke(IDispatch* target, std::wstring_view member, WORD flags, std::initializer_list<VARIANT> args,
               std::source_location where = std::source_location::current());

// A method call whose result may be used (DISPATCH_METHOD | DISPATCH_PROPERTYGET,
// as a late-bound call in the host's language is made).
inline Variant call(IDispatch* target, std::wstring_view member, std::initializer_list<VARIANT> args = {},
                    std::source_location where = std::source_location::current()) {
    return invoke(target, member, DISPATCH_METHOD | DISPATCH_PROPERTYGET, args, where);
}

// Argument builders. byValue/byRef return views: the owner must outlive the call.
VARIANT byValue(const Bstr& text) noexcept;
VARIANT byRef(Bstr& text) noexcept;
VARIANT byValue(int32_t number) noexcept;
VARIANT byValue(IDispatch* object) noexcept;
VARIANT byRef(VARIANT& value) noexcept;

// Conversions of results, raising 13 where the host's language would.
std::string toText(const VARIANT& value);  // Empty and Null give ""
double toNumber(const VARIANT& value);
std::optional<bool> toOptionalBool(const VARIANT& value);  // Empty and Null give nullopt

}  // namespace kora::win
