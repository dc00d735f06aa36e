#include <gtest/gtest.h>

#include "base64.h"

namespace kora::suite {
namespace {

TEST(Base64, EncodesAndDecodesTheRfcVectorsWithPadding) {
    for (const auto& [text, encoded] : {std::pair{"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"},
                                        {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"}}) {
        EXPECT_EQ(encodeBase64(text), encoded);
        EXPECT_EQ(decodeBase64(encoded), text);
    }
}

TEST(Base64, EncodingNeverContainsTheWireSeparators) {
    // Every byte value, in every position of a group.
    std::string all;
    for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
    for (size_t shift = 0; shift < 3; ++shift) {
        const std::string encoded = encodeBase64(all.substr(shift));
        EXPECT_EQ(encoded.find('|'), std::string::npos);
        EXPECT_EQ(encoded.find(','), std::string::npos);
        EXPECT_EQ(encoded.find("[-]"), std::string::npos);
        EXPECT_EQ(decodeBase64(encoded), all.substr(shift));
    }
}

TEST(Base64, UsesTheStandardAlphabetNotTheUrlOne) {
    EXPECT_EQ(encodeBase64("\xFB\xFF"), "+/8=");
    EXPECT_EQ(decodeBase64("+/8="), "\xFB\xFF");
    EXPECT_EQ(decodeBase64("-_8="), std::nullopt);
}

TEST(Base64, RejectsWhatIsNotCanonicalBase64) {
    EXPECT_EQ(decodeBase64("Zg="), std::nullopt);      // length not a multiple of 4
    EXPECT_EQ(decodeBase64("Zg"), std::nullopt);       // padding missing
    EXPECT_EQ(decodeBase64("Z==="), std::nullopt);     // three padding characters
    EXPECT_EQ(decodeBase64("Zg==Zg=="), std::nullopt); // padding in the middle
    EXPECT_EQ(decodeBase64("Zm9v\r\n"), std::nullopt); // line breaks
    EXPECT_EQ(decodeBase64(" Zg="), std::nullopt);
    EXPECT_EQ(decodeBase64("Zh=="), std::nullopt);     // unused bits set
    EXPECT_EQ(decodeBase64("Zm9="), std::nullopt);
    EXPECT_EQ(decodeBase64("Zm 9"), std::nullopt);
    EXPECT_EQ(decodeBase64(std::string_view("Zm\0v", 4)), std::nullopt);
}

TEST(Utf8, AcceptsWellFormedText) {
    EXPECT_TRUE(isValidUtf8(""));
    EXPECT_TRUE(isValidUtf8("plain ascii"));
    EXPECT_TRUE(isValidUtf8("\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80"));  // a umlaut, euro, emoji
    EXPECT_TRUE(isValidUtf8("\xF4\x8F\xBF\xBF"));                      // U+10FFFF
}

TEST(Utf8, RejectsMalformedText) {
    EXPECT_FALSE(isValidUtf8("\xC3"));              // truncated
    EXPECT_FALSE(isValidUtf8("\x80"));              // lone continuation byte
    EXPECT_FALSE(isValidUtf8("\xC0\xAF"));          // overlong "/"
    EXPECT_FALSE(isValidUtf8("\xE0\x80\xAF"));      // overlong, three bytes
    EXPECT_FALSE(isValidUtf8("\xED\xA0\x80"));      // surrogate U+D800
    EXPECT_FALSE(isValidUtf8("\xF4\x90\x80\x80"));  // above U+10FFFF
    EXPECT_FALSE(isValidUtf8("\xFF"));
}

}  // namespace
}  // namespace kora::suite
