// A PNG file from raw pixels, for the host stand-in's screenshots: no
// compression library needed (the image data goes into stored deflate
// blocks), so the files are large but exact and readable everywhere.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kora::suite {

// `rgb` holds `height` rows top-down of `width` pixels, 3 bytes each (red,
// green, blue), rows packed without padding. Returns the file's bytes.
std::string encodePng(uint32_t width, uint32_t height, const uint8_t* rgb);

// The checksums PNG uses, open for tests.
uint32_t crc32(std::string_view bytes);
uint32_t adler32(std::string_view bytes);

}  // namespace kora::suite
