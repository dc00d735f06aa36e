#include <gtest/gtest.h>

#include "base/number.h"

namespace kora {
namespace {

TEST(Number, AcceptsTheDocumentedForms) {
    EXPECT_EQ(parseNumber("42"), 42.0);
    EXPECT_EQ(parseNumber("  7 "), 7.0);
    EXPECT_EQ(parseNumber("+3"), 3.0);
    EXPECT_EQ(parseNumber("-1"), -1.0);
    EXPECT_EQ(parseNumber("100.5"), 100.5);
    EXPECT_EQ(parseNumber("5."), 5.0);
    EXPECT_EQ(parseNumber("-.5"), -0.5);
    EXPECT_EQ(parseNumber("1e3"), 1000.0);
    EXPECT_EQ(parseNumber("2.5E-2"), 0.025);
}

TEST(Number, RejectsSeparatorsAndEverythingOutsideTheGrammar) {
    for (const char* text :
         {"",    "   ",   ".",     "+",    "-",    "e5",  "1e",    "1e+",    "1,5", "1|2", "[-]", "1[-]2",   "1 2",
          "\t1", "1\r\n", "1.2.3", "0x10", "&H10", "1d2", "1e999", "1e-999", "inf", "nan", "++1", "\xD9\xA1"})
        EXPECT_FALSE(isNumber(text)) << '"' << text << '"';
}

TEST(Number, WholeNumbersOnlyForIndexesAndTicks) {
    EXPECT_EQ(parseWhole(" -5 "), -5);
    EXPECT_EQ(parseWhole("+0"), 0);
    EXPECT_EQ(parseWhole("32767"), 32767);
    for (const char* text : {"", " ", "-", "1.0", "1e2", "12a", "1 2", "1,0"})
        EXPECT_FALSE(parseWhole(text).has_value()) << '"' << text << '"';
    // Saturates far outside every accepted range instead of wrapping round.
    EXPECT_EQ(parseWhole("99999999999999999999999"), 1'000'000'000'000'000'000);
    EXPECT_EQ(parseWhole("-99999999999999999999999"), -1'000'000'000'000'000'000);
}

}  // namespace
}  // namespace kora
