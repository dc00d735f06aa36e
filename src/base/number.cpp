#include "base/number.h"

#include <charconv>
#include <cmath>
#include <string>

namespace kora {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

size_t skipDigits(std::string_view s, size_t i) {
    while (i < s.size() && isDigit(s[i])) ++i;
    return i;
}

}  // namespace

std::string_view trimSpaces(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::optional<double> parseNumber(std::string_view text) {
    const std::string_view s = trimSpaces(text);
    size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    const size_t body = i;
    const size_t intEnd = skipDigits(s, i);
    size_t fracDigits = 0;
    i = intEnd;
    if (i < s.size() && s[i] == '.') {
        const size_t fracEnd = skipDigits(s, i + 1);
        fracDigits = fracEnd - (i + 1);
        i = fracEnd;
    }
    if (intEnd == body && fracDigits == 0) return std::nullopt;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
        const size_t expEnd = skipDigits(s, j);
        if (expEnd == j) return std::nullopt;
        i = expEnd;
    }
    if (i != s.size()) return std::nullopt;

    // The text is known to be well formed; from_chars never consults the locale.
    // It rejects a leading "+" and "5." with an empty fraction, so hand it a tidy copy.
    std::string tidy(s.substr(body));
    if (const auto dot = tidy.find('.');
        dot != std::string::npos && (dot + 1 == tidy.size() || !isDigit(tidy[dot + 1])))
        tidy.erase(dot, 1);
    double value = 0;
    const auto [end, ec] = std::from_chars(tidy.data(), tidy.data() + tidy.size(), value);
    if (ec != std::errc() || end != tidy.data() + tidy.size() || !std::isfinite(value)) return std::nullopt;
    return negative ? -value : value;
}

std::optional<int64_t> parseWhole(std::string_view text) {
    const std::string_view s = trimSpaces(text);
    size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    if (i == s.size() || skipDigits(s, i) != s.size()) return std::nullopt;
    constexpr uint64_t kCeiling = 1'000'000'000'000'000'000;
    uint64_t value = 0;  // below 10^19 at every step, so it cannot wrap
    for (; i < s.size(); ++i) {
        value = value * 10 + static_cast<uint64_t>(s[i] - '0');
        if (value >= kCeiling) {
            value = kCeiling;
            break;
        }
    }
    const auto magnitude = static_cast<int64_t>(value);
    return negative ? -magnitude : magnitude;
}

}  // namespace kora
