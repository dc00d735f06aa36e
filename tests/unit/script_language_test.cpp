#include <gtest/gtest.h>

#include "png_writer.h"
#include "script_language.h"

namespace kora::suite::script {
namespace {

// Events and their escapes are pinned end to end by the script tests' expected
// output; these are the parts no script there reaches.
TEST(ScriptText, EscapesRoundTripAndTheLastArgumentKeepsItsSpaces) {
    const std::string all = "C:\\Suite\\RCData\r\nline\ttab \\r literal Zürich | [-]";
    EXPECT_EQ(unescape(escape(all)), all);
    const auto args = arguments("savServerName  [DW]\\tNight Ops ", 2);
    ASSERT_TRUE(args);
    EXPECT_EQ((*args)[1], " [DW]\tNight Ops ");
}

TEST(ScriptText, RefusesWhatAScriptCannotMean) {
    EXPECT_FALSE(unescape("ends in \\"));
    EXPECT_FALSE(arguments(" 2 1", 3));
    for (const char* number : {" 3", "+3", "0x10", "", "11"}) EXPECT_FALSE(parseInteger(number, 0, 10)) << number;
    for (const char* ref : {"optWeapons(x)", "optWeapons(1", "(1)"}) EXPECT_FALSE(parseControlRef(ref)) << ref;
    for (const char* privilege : {"No Value", "=1", "x=yes"}) EXPECT_FALSE(parsePrivilege(privilege)) << privilege;
    const auto p = parsePrivilege("a=b=-5");  // a name may hold "="
    ASSERT_TRUE(p);
    EXPECT_EQ(p->name, "a=b");
    EXPECT_EQ(p->value, -5);
}

// --- Screenshots --------------------------------------------------------------

uint32_t big32(const std::string& s, size_t at) {
    return (uint32_t(uint8_t(s[at])) << 24) | (uint32_t(uint8_t(s[at + 1])) << 16) |
           (uint32_t(uint8_t(s[at + 2])) << 8) | uint32_t(uint8_t(s[at + 3]));
}

TEST(Png, ChunksAndStoredBlocksAreValid) {
    EXPECT_EQ(crc32("123456789"), 0xCBF43926u);
    EXPECT_EQ(adler32("Wikipedia"), 0x11E60398u);
    const uint32_t side = 200;  // 120,200 bytes of rows: more than one stored block holds
    const std::vector<uint8_t> pixels(side * side * 3, 7);
    const std::string png = encodePng(side, side, pixels.data());
    ASSERT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    std::string types, idat;
    for (size_t at = 8, length; at < png.size(); at += 12 + length) {
        length = big32(png, at);
        const std::string type = png.substr(at + 4, 4), data = png.substr(at + 8, length);
        EXPECT_EQ(big32(png, at + 8 + length), crc32(type + data)) << type;
        if (type == "IDAT") idat = data;
        types += type;
    }
    EXPECT_EQ(types, "IHDRIDATIEND");
    size_t at = 2, total = 0;
    for (bool last = false; !last;) {
        last = idat.at(at) & 1;
        const size_t n = uint8_t(idat[at + 1]) | (uint8_t(idat[at + 2]) << 8);
        EXPECT_EQ(n ^ 0xFFFF, size_t(uint8_t(idat[at + 3]) | (uint8_t(idat[at + 4]) << 8)));
        total += n;
        at += 5 + n;
    }
    EXPECT_EQ(total, (side * 3 + 1) * side);
    EXPECT_EQ(at + 4, idat.size());
}

}  // namespace
}  // namespace kora::suite::script
