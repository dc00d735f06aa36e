#include "base64.h"

#include <array>
#include <cstdint>

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
    for (size_t i = 0; i < text.size(); i += 4) {
        const bool last = i + 4 == text.size();
        int padding = 0;
        if (last) {
            if (text[i + 3] == '=') padding = text[i + 2] == '=' ? 2 : 1;
        }
        uint32_t group = 0;
        for (int k = 0; k < 4 - padding; ++k) {
            const int8_t v = kDecode[static_cast<unsigned char>(text[i + k])];
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
