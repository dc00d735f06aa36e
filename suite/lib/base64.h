// Base64 (RFC 4648, standard alphabet, padded) and the UTF-8 check that the
// encoding component's Dec64 needs before it hands text back.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kora::suite {

std::string encodeBase64(std::string_view bytes);

// Strict: the length is a multiple of four, only the standard alphabet, "="
// only as one or two final padding characters, and the unused bits of the
// last group zero (so every text decodes from exactly one encoding). Anything
// else, whitespace included, gives nullopt.
std::optional<std::string> decodeBase64(std::string_view text);

// Well-formed UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool isValidUtf8(std::string_view bytes);

}  // namespace kora::suite
