#include <gtest/gtest.h>

#include "png_writer.h"
#include "script_language.h"

namespace kora::suite::script {
namespace {

TEST(ScriptEscapes, EscapeTheFourCharactersThatWouldBreakALineOrAField) {
    EXPECT_EQ(escape("a\\b\r\n\tc"), "a\\\\b\\r\\n\\tc");
    EXPECT_EQ(escape("Failed!\r\n\r\nUnable"), "Failed!\\r\\n\\r\\nUnable");
    // Everything else passes unchanged, non-ASCII text included.
    EXPECT_EQ(escape("Zürich | 24/7 [-] \x01"), "Zürich | 24/7 [-] \x01");
}

TEST(ScriptEscapes, UnescapeIsTheExactReverse) {
    const std::string all = "C:\\Suite\\RCData\r\nline\ttab \\r literal";
    EXPECT_EQ(unescape(escape(all)), all);
    EXPECT_EQ(unescape("\\\\r"), "\\r");  // an escaped backslash, then a plain r
}

TEST(ScriptEscapes, RefuseUnknownAndDanglingEscapes) {
    EXPECT_EQ(unescape("C:\\x"), std::nullopt);
    EXPECT_EQ(unescape("ends in \\"), std::nullopt);
    EXPECT_EQ(unescape("\\0"), std::nullopt);
}

TEST(ScriptLines, SplitTheCommandAtTheFirstSpaceAndKeepTheRestRaw) {
    auto line = parseLine("reply  two spaces\\r\\n");
    ASSERT_TRUE(line);
    EXPECT_EQ(line->command, "reply");
    EXPECT_EQ(line->rest, " two spaces\\r\\n");
    line = parseLine("reply");
    ASSERT_TRUE(line);
    EXPECT_EQ(line->rest, "");
}

TEST(ScriptLines, DropOneTrailingCrAndSkipCommentsAndEmptyLines) {
    EXPECT_EQ(parseLine("key abc\r")->rest, "abc");
    EXPECT_EQ(parseLine("key abc\\r\r")->rest, "abc\\r");
    EXPECT_FALSE(parseLine(""));
    EXPECT_FALSE(parseLine("\r"));
    EXPECT_FALSE(parseLine("# load 3"));
    EXPECT_TRUE(parseLine(" # not a comment"));
}

TEST(ScriptArguments, TheLastWordKeepsEverythingAfterTheOneBefore) {
    auto args = arguments("savServerName  [DW]  Night Ops ", 2);
    ASSERT_TRUE(args);
    EXPECT_EQ((*args)[0], "savServerName");
    EXPECT_EQ((*args)[1], " [DW]  Night Ops ");
    args = arguments("lstRoles 2 1", 3);
    ASSERT_TRUE(args);
    EXPECT_EQ((*args)[2], "1");
}

TEST(ScriptArguments, AreUnescapedWordByWord) {
    auto args = arguments("savMessage Line 1\\r\\nLine\\t2", 2);
    ASSERT_TRUE(args);
    EXPECT_EQ((*args)[1], "Line 1\r\nLine\t2");
}

TEST(ScriptArguments, RefuseMissingWordsEmptyWordsAndBadEscapes) {
    EXPECT_FALSE(arguments("lstRoles 2", 3));
    EXPECT_FALSE(arguments(" 2 1", 3));
    EXPECT_FALSE(arguments("savTime \\q", 2));
    EXPECT_FALSE(arguments("extra", 0));
    EXPECT_TRUE(arguments("", 0));
    // A lone last word may be empty: "dialog" alone and "reply" alone.
    EXPECT_EQ(arguments("", 1)->front(), "");
}

TEST(ScriptNumbers, AreStrictDecimalWithinTheirRange) {
    EXPECT_EQ(parseInteger("3", 0, 10), 3);
    EXPECT_EQ(parseInteger("-2147483648", INT32_MIN, INT32_MAX), INT32_MIN);
    EXPECT_FALSE(parseInteger("2147483648", INT32_MIN, INT32_MAX));
    EXPECT_FALSE(parseInteger(" 3", 0, 10));
    EXPECT_FALSE(parseInteger("3 ", 0, 10));
    EXPECT_FALSE(parseInteger("+3", 0, 10));
    EXPECT_FALSE(parseInteger("0x10", 0, 100));
    EXPECT_FALSE(parseInteger("-", -5, 5));
    EXPECT_FALSE(parseInteger("", 0, 10));
    EXPECT_FALSE(parseInteger("11", 0, 10));
    EXPECT_FALSE(parseInteger("99999999999999999999", 0, INT64_MAX));
}

TEST(ScriptControls, NameAnOptionElementInParentheses) {
    auto ref = parseControlRef("optWeapons(1)");
    ASSERT_TRUE(ref);
    EXPECT_EQ(ref->name, "optWeapons");
    EXPECT_EQ(ref->element, 1);
    EXPECT_TRUE(ref->indexed);
    ref = parseControlRef("cmdUpdate");
    ASSERT_TRUE(ref);
    EXPECT_FALSE(ref->indexed);
    EXPECT_FALSE(parseControlRef("optWeapons(x)"));
    EXPECT_FALSE(parseControlRef("optWeapons(1"));
    EXPECT_FALSE(parseControlRef("(1)"));
    EXPECT_FALSE(parseControlRef("opt)"));
}

TEST(ScriptPrivileges, SplitAtTheLastEqualsSign) {
    auto p = parsePrivilege("DW: Change Max Players=1");
    ASSERT_TRUE(p);
    EXPECT_EQ(p->name, "DW: Change Max Players");
    EXPECT_EQ(p->value, 1);
    p = parsePrivilege("a=b=-5");
    ASSERT_TRUE(p);
    EXPECT_EQ(p->name, "a=b");
    EXPECT_EQ(p->value, -5);
    EXPECT_FALSE(parsePrivilege("DW: Change Max Players"));
    EXPECT_FALSE(parsePrivilege("=1"));
    EXPECT_FALSE(parsePrivilege("x=yes"));
    EXPECT_FALSE(parsePrivilege("x="));
}

TEST(ScriptEvents, SeparateFieldsByTabAndEscapeEachField) {
    EXPECT_EQ(event("request", {"C:\\B\\RCData\\r.txt", "Plugin_zelKORA_GetSettingsRem_k_VB6_3"}),
              "request C:\\\\B\\\\RCData\\\\r.txt\tPlugin_zelKORA_GetSettingsRem_k_VB6_3");
    EXPECT_EQ(event("message", {"Failed!", "a\tb\r\nc"}), "message Failed!\ta\\tb\\r\\nc");
    EXPECT_EQ(event("message", {"Title", ""}), "message Title\t");
}

TEST(ScriptEvents, ALoneEmptyFieldLeavesNoTrailingSpace) {
    EXPECT_EQ(event("control savTime", {""}), "control savTime");
    EXPECT_EQ(event("control savTime", {"30"}), "control savTime 30");
}

TEST(ScriptEvents, ListItemsCarryTheirSelection) {
    EXPECT_EQ(listValue({{"Medic", true}, {"Sniper", false}}), "Medic:1|Sniper:0");
    EXPECT_EQ(listValue({}), "");
    EXPECT_EQ(event("list lstWeapons", {listValue({{"A\tB", true}})}), "list lstWeapons A\\tB:1");
}

// --- Screenshots --------------------------------------------------------------

uint32_t big32(const std::string& s, size_t at) {
    return (uint32_t(uint8_t(s[at])) << 24) | (uint32_t(uint8_t(s[at + 1])) << 16) |
           (uint32_t(uint8_t(s[at + 2])) << 8) | uint32_t(uint8_t(s[at + 3]));
}

TEST(Png, ChecksumsMatchTheirKnownValues) {
    EXPECT_EQ(crc32("IEND"), 0xAE426082u);
    EXPECT_EQ(crc32("123456789"), 0xCBF43926u);
    EXPECT_EQ(adler32("Wikipedia"), 0x11E60398u);
}

TEST(Png, HasSignatureHeaderAndChunksWithValidChecksums) {
    const uint8_t pixels[2 * 3] = {255, 0, 0, 0, 0, 255};
    const std::string png = encodePng(2, 1, pixels);
    ASSERT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    size_t at = 8;
    std::vector<std::string> types;
    std::string idat;
    while (at < png.size()) {
        const uint32_t length = big32(png, at);
        const std::string type = png.substr(at + 4, 4);
        const std::string data = png.substr(at + 8, length);
        EXPECT_EQ(big32(png, at + 8 + length), crc32(type + data)) << type;
        if (type == "IHDR") {
            EXPECT_EQ(big32(data, 0), 2u);
            EXPECT_EQ(big32(data, 4), 1u);
            EXPECT_EQ(data.substr(8), std::string("\x08\x02\0\0\0", 5));
        }
        if (type == "IDAT") idat = data;
        types.push_back(type);
        at += 12 + length;
    }
    EXPECT_EQ(at, png.size());
    EXPECT_EQ(types, (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
    // One final stored block holding the filtered row: filter byte 0, then the pixels.
    const std::string raw("\0\xFF\0\0\0\0\xFF", 7);
    ASSERT_EQ(idat.size(), 2 + 5 + raw.size() + 4);
    EXPECT_EQ((uint8_t(idat[0]) * 256 + uint8_t(idat[1])) % 31, 0);
    EXPECT_EQ(idat[2], '\x01');
    EXPECT_EQ(idat.substr(7, raw.size()), raw);
    EXPECT_EQ(big32(idat, 7 + raw.size()), adler32(raw));
}

TEST(Png, SplitsLargeImagesIntoStoredBlocksOfAtMost65535Bytes) {
    const uint32_t width = 200, height = 200;  // 120,200 bytes of rows
    std::vector<uint8_t> pixels(width * height * 3, 7);
    const std::string png = encodePng(width, height, pixels.data());
    const uint32_t idatLength = big32(png, 8 + 25);
    const std::string idat = png.substr(8 + 25 + 8, idatLength);
    size_t at = 2, total = 0;
    int blocks = 0;
    for (;;) {
        const bool last = idat[at] & 1;
        const size_t n = uint8_t(idat[at + 1]) | (uint8_t(idat[at + 2]) << 8);
        const size_t nn = uint8_t(idat[at + 3]) | (uint8_t(idat[at + 4]) << 8);
        EXPECT_EQ(n ^ 0xFFFF, nn);
        EXPECT_LE(n, 65535u);
        total += n;
        at += 5 + n;
        ++blocks;
        if (last) break;
    }
    EXPECT_EQ(blocks, 2);
    EXPECT_EQ(total, (width * 3 + 1) * height);
    EXPECT_EQ(at + 4, idat.size());
}

}  // namespace
}  // namespace kora::suite::script
