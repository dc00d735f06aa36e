// The utility component's INI files, as text. Any section, key and value
// round-trips exactly, while the file stays readable and editable by a person:
// UTF-8, "[section]" headers, "key=value" lines, ";" or "#" comment lines.
//
// Only what would otherwise change the meaning is escaped with a backslash:
//   \\ backslash    \r \n \t \0  CR, LF, tab, NUL anywhere
//   "\ "  a space at either end (unescaped blanks at the ends are trimmed
//         on reading, so "key = value" written by hand reads as key/value)
//   \=  "=" in a key          \]  "]" in a section name
//   \; \# \[  ";", "#" or "[" as the first character of a key
// Reading accepts these escapes anywhere; an unknown escape keeps both
// characters. Names match exactly (case-sensitive): the component promises
// that what was written under a key is what is read under the same key.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kora::suite::ini {

std::string escapeSection(std::string_view name);
std::string escapeKey(std::string_view key);
std::string escapeValue(std::string_view value);
// One "key=value" line as write() writes it, without its line break.
std::string entryLine(std::string_view key, std::string_view value);

// Every "key=value" line of the file in order, key given twice or not; those
// before the first section header have the section "".
struct Entry {
    std::size_t line;  // from 1
    std::string section, key, value;
};
std::vector<Entry> entries(std::string_view file);

// The value of the first line of `key` in the first section `section`; nullopt
// when the section or the key is missing.
std::optional<std::string> read(std::string_view file, std::string_view section, std::string_view key);

// The file with `key` in `section` set to `value`: the first such line is
// replaced, otherwise the key is added after the section's last entry, and a
// missing section is appended at the end. Every other line stays as it was.
// New lines end in CR LF.
std::string write(std::string_view file, std::string_view section, std::string_view key, std::string_view value);

}  // namespace kora::suite::ini
