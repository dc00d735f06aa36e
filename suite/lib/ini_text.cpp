#include "ini_text.h"

#include <vector>

namespace kora::suite::ini {
namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr std::string_view kNewLine = "\r\n";

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// One character of a line after unescaping, and whether it was escaped (an
// escaped character never acts as syntax).
struct Unit {
    char c;
    bool escaped;
};

std::vector<Unit> lex(std::string_view line) {
    std::vector<Unit> units;
    units.reserve(line.size());
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] != '\\' || i + 1 == line.size()) {
            units.push_back({line[i], false});
            continue;
        }
        const char next = line[++i];
        switch (next) {
        case '\\': units.push_back({'\\', true}); break;
        case 'r': units.push_back({'\r', true}); break;
        case 'n': units.push_back({'\n', true}); break;
        case 't': units.push_back({'\t', true}); break;
        case '0': units.push_back({'\0', true}); break;
        case ' ':
        case '=':
        case ';':
        case '#':
        case '[':
        case ']': units.push_back({next, true}); break;
        default:  // not an escape: keep it as written
            units.push_back({'\\', true});
            units.push_back({next, true});
        }
    }
    return units;
}

std::string text(const std::vector<Unit>& units, size_t from, size_t to) {
    while (from < to && !units[from].escaped && isBlank(units[from].c)) ++from;
    while (to > from && !units[to - 1].escaped && isBlank(units[to - 1].c)) --to;
    std::string out;
    out.reserve(to - from);
    for (size_t i = from; i < to; ++i) out += units[i].c;
    return out;
}

size_t findUnescaped(const std::vector<Unit>& units, char c, size_t from = 0) {
    for (size_t i = from; i < units.size(); ++i)
        if (!units[i].escaped && units[i].c == c) return i;
    return units.size();
}

// Backslash, CR, LF, tab and NUL are escaped everywhere, blanks at either
// end, and whatever `special` says about one character at its position.
template <class Special>
std::string escape(std::string_view raw, Special special) {
    std::string out;
    out.reserve(raw.size() + 8);
    for (size_t i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        switch (c) {
        case '\\': out += "\\\\"; continue;
        case '\r': out += "\\r"; continue;
        case '\n': out += "\\n"; continue;
        case '\t': out += "\\t"; continue;
        case '\0': out += "\\0"; continue;
        default: break;
        }
        if (c == ' ' && (i == 0 || i + 1 == raw.size()))
            out += '\\';
        else if (special(c, i))
            out += '\\';
        out += c;
    }
    return out;
}

bool isBlankLine(std::string_view raw) {
    for (char c : raw)
        if (!isBlank(c)) return false;
    return true;
}

enum class LineKind { Other, Section, Entry };

struct Line {
    std::string_view raw;  // without its line break
    size_t end = 0;        // offset just past the line break in the file
    LineKind kind = LineKind::Other;
    std::string name;  // section name or key
    std::string value;
};

Line classify(std::string_view raw, size_t end) {
    Line line;
    line.raw = raw;
    line.end = end;
    const std::vector<Unit> units = lex(raw);
    size_t first = 0;
    while (first < units.size() && !units[first].escaped && isBlank(units[first].c)) ++first;
    if (first == units.size()) return line;
    const Unit lead = units[first];
    if (!lead.escaped && (lead.c == ';' || lead.c == '#')) return line;
    if (!lead.escaped && lead.c == '[') {
        const size_t close = findUnescaped(units, ']', first + 1);
        if (close == units.size()) return line;
        line.kind = LineKind::Section;
        line.name = text(units, first + 1, close);
        return line;
    }
    const size_t equals = findUnescaped(units, '=', first);
    if (equals == units.size()) return line;
    line.kind = LineKind::Entry;
    line.name = text(units, first, equals);
    line.value = text(units, equals + 1, units.size());
    return line;
}

std::vector<Line> split(std::string_view file) {
    std::vector<Line> lines;
    size_t at = file.starts_with(kBom) ? kBom.size() : 0;
    while (at < file.size()) {
        size_t lf = file.find('\n', at);
        const size_t end = lf == std::string_view::npos ? file.size() : lf + 1;
        size_t stop = lf == std::string_view::npos ? file.size() : lf;
        if (stop > at && file[stop - 1] == '\r') --stop;
        lines.push_back(classify(file.substr(at, stop - at), end));
        at = end;
    }
    return lines;
}

// Where the first section `section` starts and ends in `lines` (its header's
// index, and one past its last line); nullopt when it is missing.
struct Span {
    size_t header, end;
};
std::optional<Span> findSection(const std::vector<Line>& lines, std::string_view section) {
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].kind != LineKind::Section || lines[i].name != section) continue;
        size_t end = i + 1;
        while (end < lines.size() && lines[end].kind != LineKind::Section) ++end;
        return Span{i, end};
    }
    return std::nullopt;
}

}  // namespace

std::string entryLine(std::string_view key, std::string_view value) {
    return escapeKey(key) + "=" + escapeValue(value);
}

std::vector<Entry> entries(std::string_view file) {
    std::vector<Entry> found;
    std::string section;
    const std::vector<Line> lines = split(file);
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].kind == LineKind::Section) section = lines[i].name;
        if (lines[i].kind == LineKind::Entry) found.push_back({i + 1, section, lines[i].name, lines[i].value});
    }
    return found;
}

std::string escapeSection(std::string_view name) {
    return escape(name, [](char c, size_t) { return c == ']'; });
}

std::string escapeKey(std::string_view key) {
    return escape(key, [](char c, size_t i) { return c == '=' || (i == 0 && (c == ';' || c == '#' || c == '[')); });
}

std::string escapeValue(std::string_view value) {
    return escape(value, [](char, size_t) { return false; });
}

std::optional<std::string> read(std::string_view file, std::string_view section, std::string_view key) {
    const std::vector<Line> lines = split(file);
    const auto span = findSection(lines, section);
    if (!span) return std::nullopt;
    for (size_t i = span->header + 1; i < span->end; ++i)
        if (lines[i].kind == LineKind::Entry && lines[i].name == key) return lines[i].value;
    return std::nullopt;
}

std::string write(std::string_view file, std::string_view section, std::string_view key, std::string_view value) {
    const std::vector<Line> lines = split(file);
    const auto span = findSection(lines, section);
    std::string out;
    if (!span) {
        out.assign(file);
        if (!out.empty() && out.back() != '\n') out += kNewLine;
        out += "[" + escapeSection(section) + "]";
        out += kNewLine;
        out += entryLine(key, value);
        out += kNewLine;
        return out;
    }
    auto lineStart = [&](size_t i) { return i == 0 ? (file.starts_with(kBom) ? kBom.size() : 0) : lines[i - 1].end; };
    for (size_t i = span->header + 1; i < span->end; ++i) {
        if (lines[i].kind != LineKind::Entry || lines[i].name != key) continue;
        const size_t start = lineStart(i);
        out.assign(file.substr(0, start));
        out += entryLine(key, value);
        out += file.substr(start + lines[i].raw.size());
        return out;
    }
    // A new key goes after the section's last non-blank line, so blank lines
    // that separate it from the next section stay where they are.
    size_t after = span->header;
    for (size_t i = span->header + 1; i < span->end; ++i)
        if (lines[i].kind != LineKind::Other || !isBlankLine(lines[i].raw)) after = i;
    const size_t insertAt = lines[after].end;
    out.assign(file.substr(0, insertAt));
    if (out.empty() || out.back() != '\n') out += kNewLine;
    out += entryLine(key, value);
    out += kNewLine;
    out += file.substr(insertAt);
    return out;
}

}  // namespace kora::suite::ini
