// The one strict, locale-independent number test and parser.
#pragma once

#include <optional>
#include <string_view>

namespace kora {

// Grammar (ASCII only):
//   number   := spaces? sign? mantissa exponent? spaces?
//   sign     := "+" | "-"
//   mantissa := digits ("." digits?)? | "." digits
//   exponent := ("e" | "E") sign? digits
//   spaces   := " "+
// Anything else, a separator ("|", ",", "[-]") included, is not a number.
std::optional<double> parseNumber(std::string_view text);
inline bool isNumber(std::string_view text) { return parseNumber(text).has_value(); }

}  // namespace kora
