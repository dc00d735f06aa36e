#include "png_writer.h"

#include <algorithm>
#include <array>

namespace kora::suite {
namespace {

constexpr size_t kMaxStoredBlock = 65535;

const std::array<uint32_t, 256>& crcTable() {
    static const auto table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    return table;
}

void putBig32(std::string& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((v >> shift) & 0xFF);
}

void chunk(std::string& out, std::string_view type, std::string_view data) {
    putBig32(out, static_cast<uint32_t>(data.size()));
    const size_t start = out.size();
    out += type;
    out += data;
    putBig32(out, crc32(std::string_view(out).substr(start)));
}

// A zlib stream of stored (uncompressed) deflate blocks.
std::string storedZlib(std::string_view raw) {
    std::string out;
    out += static_cast<char>(0x78);  // deflate, 32K window
    out += static_cast<char>(0x01);  // no preset dictionary; (0x7801 % 31) == 0
    size_t at = 0;
    do {
        const size_t n = std::min(kMaxStoredBlock, raw.size() - at);
        const bool last = at + n == raw.size();
        out += static_cast<char>(last ? 1 : 0);
        out += static_cast<char>(n & 0xFF);
        out += static_cast<char>(n >> 8);
        out += static_cast<char>(~n & 0xFF);
        out += static_cast<char>((~n >> 8) & 0xFF);
        out.append(raw.substr(at, n));
        at += n;
    } while (at < raw.size());
    putBig32(out, adler32(raw));
    return out;
}

}  // namespace

uint32_t crc32(std::string_view bytes) {
    uint32_t c = 0xFFFFFFFFu;
    for (const char b : bytes) c = crcTable()[(c ^ static_cast<uint8_t>(b)) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

uint32_t adler32(std::string_view bytes) {
    uint32_t a = 1, b = 0;
    for (const char c : bytes) {
        a = (a + static_cast<uint8_t>(c)) % 65521;
        b = (b + a) % 65521;
    }
    return (b << 16) | a;
}

std::string encodePng(uint32_t width, uint32_t height, const uint8_t* rgb) {
    std::string header;
    putBig32(header, width);
    putBig32(header, height);
    header += '\x08';                // 8 bits per sample
    header += '\x02';                // truecolour
    header += std::string(3, '\0');  // deflate, adaptive filtering, no interlace

    const size_t rowBytes = static_cast<size_t>(width) * 3;
    std::string raw;
    raw.reserve((rowBytes + 1) * height);
    for (uint32_t y = 0; y < height; ++y) {
        raw += '\0';  // filter type None
        raw.append(reinterpret_cast<const char*>(rgb) + y * rowBytes, rowBytes);
    }

    std::string png("\x89PNG\r\n\x1a\n", 8);
    chunk(png, "IHDR", header);
    chunk(png, "IDAT", storedZlib(raw));
    chunk(png, "IEND", {});
    return png;
}

}  // namespace kora::suite
