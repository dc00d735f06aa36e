// The encoding stand-in's Base64 and UTF-8 check. Any bytes encode to text of
// the standard alphabet that decodes back to them; any text that decodes at
// all is the one encoding of what it decodes to, so garbage never decodes to
// something else; the UTF-8 check agrees with a decoder written from the
// Unicode table of well-formed byte sequences.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "base64.h"
#include "server_settings.h"

namespace {

[[noreturn]] void broken(const char* what) {
    std::fprintf(stderr, "\n*** invariant broken: %s\n", what);
    std::abort();
}

// Well-formed UTF-8 by the table of valid first and second bytes.
bool wellFormed(std::string_view s) {
    size_t i = 0;
    while (i < s.size()) {
        const auto b = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
        const unsigned c = b(i);
        size_t n = 0;
        unsigned lo = 0x80, hi = 0xBF;
        if (c <= 0x7F)
            n = 1;
        else if (c >= 0xC2 && c <= 0xDF)
            n = 2;
        else if (c == 0xE0)
            n = 3, lo = 0xA0;
        else if (c >= 0xE1 && c <= 0xEC)
            n = 3;
        else if (c == 0xED)
            n = 3, hi = 0x9F;
        else if (c >= 0xEE && c <= 0xEF)
            n = 3;
        else if (c == 0xF0)
            n = 4, lo = 0x90;
        else if (c >= 0xF1 && c <= 0xF3)
            n = 4;
        else if (c == 0xF4)
            n = 4, hi = 0x8F;
        else
            return false;
        if (i + n > s.size()) return false;
        for (size_t k = 1; k < n; ++k) {
            const unsigned lower = k == 1 ? lo : 0x80, upper = k == 1 ? hi : 0xBF;
            if (b(i + k) < lower || b(i + k) > upper) return false;
        }
        i += n;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kora::suite;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    const std::string encoded = encodeBase64(bytes);
    if (encoded.size() != (size + 2) / 3 * 4) broken("encoded length");
    const size_t padding = encoded.size() - encoded.find_last_not_of('=') - 1;
    if (!encoded.empty() && padding != (3 - size % 3) % 3) broken("padding");
    for (size_t i = 0; i + padding < encoded.size(); ++i) {
        const char c = encoded[i];
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '/'))
            broken("a character outside the alphabet");
    }
    const auto back = decodeBase64(encoded);
    if (!back || *back != bytes) broken("round trip");

    if (const auto decoded = decodeBase64(bytes); decoded && encodeBase64(*decoded) != bytes)
        broken("a text decodes although it is not the encoding of what it decodes to");

    if (isValidUtf8(bytes) != wellFormed(bytes)) broken("UTF-8 check disagrees with the table");
    if (utf16Length(bytes).has_value() != wellFormed(bytes)) broken("UTF-16 length of text that is not UTF-8");
    return 0;
}
