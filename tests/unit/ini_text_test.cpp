#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ini_text.h"

using namespace std::string_literals;

namespace kora::suite::ini {
namespace {

TEST(IniText, HostileNamesAndValuesRoundTripOnOneLineEach) {
    const std::vector<std::string> hostile = {"",
                                              " lead",
                                              "trail ",
                                              "a=b",
                                              ";comment",
                                              "#hash",
                                              "[bracket]",
                                              "x]y",
                                              "line\r\nbreak",
                                              "\\",
                                              "ends\\",
                                              "tab\there",
                                              "nul\0in"s,
                                              "Gr\xC3\xBC\xC3\x9F"
                                              "e \xE2\x82\xAC",
                                              "k=v\r\n[Server]\r\nx=y"};
    for (const std::string& text : hostile) {
        std::string file = write("", text, text, text);
        file = write(file, text, "after", "still here");
        file = write(file, "Other", text, "other");
        EXPECT_EQ(read(file, text, text), text) << file;
        EXPECT_EQ(read(file, text, "after"), "still here") << file;
        EXPECT_EQ(read(file, "Other", text), "other") << file;
        EXPECT_EQ(std::count(file.begin(), file.end(), '\n'), 5) << file;
    }
}

TEST(IniText, WritesReadableTextAndLeavesOtherLinesAsTheyWere) {
    EXPECT_EQ(write(write("", "Server", "savTime", "30"), "Roles", "Rifleman", "1"),
              "[Server]\r\nsavTime=30\r\n[Roles]\r\nRifleman=1\r\n");
    const std::string file = "; by hand\n[Server]\nsavTime = 30\nsavLives=3\n\n[Roles]\nMedic=1\n";
    EXPECT_EQ(write(file, "Server", "savTime", "45"),
              "; by hand\n[Server]\nsavTime=45\nsavLives=3\n\n[Roles]\nMedic=1\n");
    EXPECT_EQ(write(file, "Server", "savMaps", "x"),
              "; by hand\n[Server]\nsavTime = 30\nsavLives=3\nsavMaps=x\r\n\n[Roles]\nMedic=1\n");
    EXPECT_EQ(read(file, "Server", "savLives"), "3");
    EXPECT_EQ(read(file, "Roles", "savTime"), std::nullopt);
}

}  // namespace
}  // namespace kora::suite::ini
