// The one strict, locale-independent number test and parser.
#pragma once

#include <cstdint>
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
// A value beyond the range of a double (1e999, 1e-999) is not a number either.
std::optional<double> parseNumber(std::string_view text);
inline bool isNumber(std::string_view text) { return parseNumber(text).has_value(); }

// Whole numbers, for values that index or tick a control (reply integers,
// profile values):
//   whole := spaces? sign? digits spaces?
// No fraction and no exponent: "1.0" and "1e2" are not whole numbers, so no
// rounding rule is ever involved. Magnitudes beyond 10^18 saturate, which keeps
// them outside every range the callers accept.
std::optional<int64_t> parseWhole(std::string_view text);

// The text without its leading and trailing spaces (only " ", as the wire and
// the form's blank tests mean it).
std::string_view trimSpaces(std::string_view text);

}  // namespace kora
