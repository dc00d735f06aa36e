// The host stand-in's script language, the part that needs no window: lines,
// escapes, arguments and the events it prints.
//
// A script is UTF-8 text, one command a line. A line is the command word, and
// after one space its arguments; a trailing CR is dropped, so scripts with
// CR LF line ends read the same. Empty lines and lines that start with "#" do
// nothing. In arguments and in printed events a backslash starts an escape:
// "\\" backslash, "\r" CR, "\n" LF, "\t" TAB; nothing else may follow it. So
// one line carries any text, and one event is always one line.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kora::suite::script {

std::string escape(std::string_view text);
// nullopt when a backslash is followed by anything other than \ r n t, or
// ends the text.
std::optional<std::string> unescape(std::string_view text);

struct Line {
    std::string command;
    std::string rest;  // raw (still escaped) text after the first space; "" when none
};
// nullopt for an empty line and for a comment.
std::optional<Line> parseLine(std::string_view raw);

// The arguments of a command: `rest` split at single spaces into `count`
// words, the last of which keeps everything after the one before it (spaces
// included), each unescaped. nullopt when there are fewer words, an earlier
// word is empty, or an escape is bad. With `count` 0 the rest must be empty.
std::optional<std::vector<std::string>> arguments(std::string_view rest, size_t count);

// A whole decimal number: optional "-", digits, no spaces, within [min, max].
std::optional<int64_t> parseInteger(std::string_view text, int64_t min, int64_t max);

// "name(3)" names element 3 of a control array; a plain name is element 0
// with `indexed` false. nullopt for a malformed index.
struct ControlRef {
    std::string name;
    int element = 0;
    bool indexed = false;
};
std::optional<ControlRef> parseControlRef(std::string_view text);

// privilege NAME=VALUE: split at the last "=", so a name may hold "="; the
// value is a whole number that fits 32 bits.
struct Privilege {
    std::string name;
    int32_t value = 0;
};
std::optional<Privilege> parsePrivilege(std::string_view text);

// One printed event, without its line end: `kind`, a space and the fields,
// each escaped, separated by TAB. A single empty field leaves the line at
// `kind` alone (no trailing space).
std::string event(std::string_view kind, std::initializer_list<std::string_view> fields);

// "ITEM:1|ITEM:0|..." for the items of a multi-select list (not yet escaped:
// it is printed as an event field).
std::string listValue(const std::vector<std::pair<std::string, bool>>& items);

}  // namespace kora::suite::script
