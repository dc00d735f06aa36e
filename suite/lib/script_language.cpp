#include "script_language.h"

#include <limits>

namespace kora::suite::script {

std::string escape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\r': out += "\\r"; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        default: out += c; break;
        }
    }
    return out;
}

std::optional<std::string> unescape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size()) return std::nullopt;
        switch (text[i]) {
        case '\\': out += '\\'; break;
        case 'r': out += '\r'; break;
        case 'n': out += '\n'; break;
        case 't': out += '\t'; break;
        default: return std::nullopt;
        }
    }
    return out;
}

std::optional<Line> parseLine(std::string_view raw) {
    if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
    if (raw.empty() || raw.front() == '#') return std::nullopt;
    const size_t space = raw.find(' ');
    if (space == std::string_view::npos) return Line{std::string(raw), {}};
    return Line{std::string(raw.substr(0, space)), std::string(raw.substr(space + 1))};
}

std::optional<std::vector<std::string>> arguments(std::string_view rest, size_t count) {
    std::vector<std::string> out;
    if (count == 0) return rest.empty() ? std::optional(out) : std::nullopt;
    for (size_t i = 0; i + 1 < count; ++i) {
        const size_t space = rest.find(' ');
        if (space == std::string_view::npos || space == 0) return std::nullopt;
        auto word = unescape(rest.substr(0, space));
        if (!word) return std::nullopt;
        out.push_back(std::move(*word));
        rest.remove_prefix(space + 1);
    }
    auto last = unescape(rest);
    if (!last) return std::nullopt;
    out.push_back(std::move(*last));
    return out;
}

std::optional<int64_t> parseInteger(std::string_view text, int64_t min, int64_t max) {
    const bool negative = !text.empty() && text.front() == '-';
    if (negative) text.remove_prefix(1);
    if (text.empty() || text.size() > 18) return std::nullopt;
    int64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (negative) value = -value;
    if (value < min || value > max) return std::nullopt;
    return value;
}

std::optional<ControlRef> parseControlRef(std::string_view text) {
    const size_t open = text.find('(');
    if (open == std::string_view::npos) {
        if (text.empty() || text.find(')') != std::string_view::npos) return std::nullopt;
        return ControlRef{std::string(text), 0, false};
    }
    if (open == 0 || text.back() != ')') return std::nullopt;
    const auto element = parseInteger(text.substr(open + 1, text.size() - open - 2), 0, 999);
    if (!element) return std::nullopt;
    return ControlRef{std::string(text.substr(0, open)), static_cast<int>(*element), true};
}

std::optional<Privilege> parsePrivilege(std::string_view text) {
    const size_t equals = text.rfind('=');
    if (equals == std::string_view::npos || equals == 0) return std::nullopt;
    const auto value =
        parseInteger(text.substr(equals + 1), std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max());
    if (!value) return std::nullopt;
    return Privilege{std::string(text.substr(0, equals)), static_cast<int32_t>(*value)};
}

std::string event(std::string_view kind, std::initializer_list<std::string_view> fields) {
    std::string out(kind);
    if (fields.size() == 1 && fields.begin()->empty()) return out;
    bool first = true;
    for (const std::string_view field : fields) {
        out += first ? ' ' : '\t';
        first = false;
        out += escape(field);
    }
    return out;
}

std::string listValue(const std::vector<std::pair<std::string, bool>>& items) {
    std::string out;
    for (const auto& [text, selected] : items) {
        if (!out.empty()) out += '|';
        out += text;
        out += selected ? ":1" : ":0";
    }
    return out;
}

}  // namespace kora::suite::script
