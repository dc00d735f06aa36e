#include <gtest/gtest.h>

#include "base64.h"

namespace kora::suite {
namespace {

TEST(Base64, EncodesTheRfcVectorsInTheStandardAlphabet) {
    for (const auto& [text, encoded] :
         {std::pair{"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foobar", "Zm9vYmFy"}, {"\xFB\xFF", "+/8="}}) {
        EXPECT_EQ(encodeBase64(text), encoded);
        EXPECT_EQ(decodeBase64(encoded), text);
    }
}

TEST(Base64, RefusesWhatIsNotCanonical) {
    using namespace std::string_view_literals;
    for (const auto bad :
         {"Zg="sv, "Zg"sv, "Z==="sv, "Zg==Zg=="sv, "Zm9v\r\n"sv, " Zg="sv, "Zh=="sv, "-_8="sv, "Zm\0v"sv})
        EXPECT_EQ(decodeBase64(bad), std::nullopt) << bad;
}

TEST(Utf8, RefusesMalformedText) {
    EXPECT_TRUE(isValidUtf8("\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF"));
    for (const char* bad : {"\xC3", "\x80", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xFF"})
        EXPECT_FALSE(isValidUtf8(bad)) << bad;
}

}  // namespace
}  // namespace kora::suite
