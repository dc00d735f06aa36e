#include <gtest/gtest.h>

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

}  // namespace
}  // namespace kora::suite::script
