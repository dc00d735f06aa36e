#include "base64.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace kora::suite {
namespace {

constexpr std::string_view kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

constexpr std::array<int8_t, 256> makeDecodeTable() {
    std::array<int8_t, 256> table{};
    for (auto& v : table) v = -1;
    for (size_t i = 0; i < kAlphabet.size(); ++i)
        table[static_cast<unsigned char>(kAlphabet[i])] = static_cast<int8_t>(i);
    return table;
}
constexpr auto kDecode = makeDecodeTable();

}  // namespace

std::string encodeBase64(std::string_view bytes) {
    // Written into a buffer of the final size: appending character by character
    // cost more than the encoding itself.
    std::string out((bytes.size() + 2) / 3 * 4, '=');
    char* o = out.data();
    size_t i = 0;
    auto at = [&](size_t k) { return static_cast<uint32_t>(static_cast<unsigned char>(bytes[k])); };
    for (; i + 3 <= bytes.size(); i += 3) {
        const uint32_t group = at(i) << 16 | at(i + 1) << 8 | at(i + 2);
        *o++ = kAlphabet[group >> 18 & 63];
        *o++ = kAlphabet[group >> 12 & 63];
        *o++ = kAlphabet[group >> 6 & 63];
        *o++ = kAlphabet[group & 63];
    }
    const size_t rest = bytes.size() - i;
    if (rest == 1) {
        const uint32_t group = at(i) << 16;
        *o++ = kAlphabet[group >> 18 & 63];
        *o++ = kAlphabet[group >> 12 & 63];
    } else if (rest == 2) {
        const uint32_t group = at(i) << 16 | at(i + 1) << 8;
        *o++ = kAlphabet[group >> 18 & 63];
        *o++ = kAlphabet[group >> 12 & 63];
        *o++ = kAlphabet[group >> 6 & 63];
    }
    return out;
}

std::optional<std::string> decodeBase64(std::string_view text) {
    if (text.size() % 4 != 0) return std::nullopt;
    std::string out(text.size() / 4 * 3, '\0');
    char* o = out.data();
    const auto* in = reinterpret_cast<const unsigned char*>(text.data());
    // Every group but the last holds four letters: a letter outside the
    // alphabet (padding included) shows as a negative entry in the OR.
    const size_t full = text.empty() ? 0 : text.size() - 4;
    for (size_t i = 0; i < full; i += 4) {
        const int a = kDecode[in[i]], b = kDecode[in[i + 1]], c = kDecode[in[i + 2]], d = kDecode[in[i + 3]];
        if ((a | b | c | d) < 0) return std::nullopt;
        const auto group = static_cast<uint32_t>(a << 18 | b << 12 | c << 6 | d);
        *o++ = static_cast<char>(group >> 16);
        *o++ = static_cast<char>(group >> 8 & 0xFF);
        *o++ = static_cast<char>(group & 0xFF);
    }
    if (!text.empty()) {
        const size_t i = full;
        const int padding = text[i + 3] != '=' ? 0 : text[i + 2] == '=' ? 2 : 1;
        uint32_t group = 0;
        for (int k = 0; k < 4 - padding; ++k) {
            const int8_t v = kDecode[in[i + static_cast<size_t>(k)]];
            if (v < 0) return std::nullopt;
            group = group << 6 | static_cast<uint32_t>(v);
        }
        group <<= 6 * padding;
        if (padding == 2 && (group & 0xFFFF) != 0) return std::nullopt;
        if (padding == 1 && (group & 0xFF) != 0) return std::nullopt;
        *o++ = static_cast<char>(group >> 16 & 0xFF);
        if (padding < 2) *o++ = static_cast<char>(group >> 8 & 0xFF);
        if (padding < 1) *o++ = static_cast<char>(group & 0xFF);
    }
    out.resize(static_cast<size_t>(o - out.data()));
    return out;
}

bool isValidUtf8(std::string_view bytes) {
    size_t i = 0;
    while (i < bytes.size()) {
        // Plain ASCII, eight bytes at a time.
        uint64_t eight = 0;
        if (i + 8 <= bytes.size() && (std::memcpy(&eight, bytes.data() + i, 8), eight & 0x8080808080808080u) == 0) {
            i += 8;
            continue;
        }
        const auto b0 = static_cast<unsigned char>(bytes[i]);
        if (b0 < 0x80) {
            ++i;
            continue;
        }
        int length = 0;
        uint32_t cp = 0, min = 0;
        if ((b0 & 0xE0) == 0xC0)
            length = 2, cp = b0 & 0x1F, min = 0x80;
        else if ((b0 & 0xF0) == 0xE0)
            length = 3, cp = b0 & 0x0F, min = 0x800;
        else if ((b0 & 0xF8) == 0xF0)
            length = 4, cp = b0 & 0x07, min = 0x10000;
        else
            return false;
        if (i + length > bytes.size()) return false;
        for (int k = 1; k < length; ++k) {
            const auto b = static_cast<unsigned char>(bytes[i + k]);
            if ((b & 0xC0) != 0x80) return false;
            cp = cp << 6 | (b & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += length;
    }
    return true;
}

}  // namespace kora::suite
