#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ini_text.h"

using namespace std::string_literals;

namespace kora::suite::ini {
namespace {

TEST(IniText, WritesAReadableFileFromNothing) {
    std::string file = write("", "Server", "savTime", "30");
    file = write(file, "Server", "savMessage", "Hello, world");
    file = write(file, "Roles", "Rifleman", "1");
    EXPECT_EQ(file, "[Server]\r\nsavTime=30\r\nsavMessage=Hello, world\r\n[Roles]\r\nRifleman=1\r\n");
}

TEST(IniText, MissingFileSectionOrKeyReadsAsNothing) {
    const std::string file = "[Server]\r\nsavTime=30\r\n";
    EXPECT_EQ(read("", "Server", "savTime"), std::nullopt);
    EXPECT_EQ(read(file, "Roles", "savTime"), std::nullopt);
    EXPECT_EQ(read(file, "Server", "savLives"), std::nullopt);
    EXPECT_EQ(read(file, "Server", "savTime"), "30");
}

TEST(IniText, HostileKeysAndValuesRoundTripExactly) {
    const std::vector<std::string> hostile = {
        "",          " lead",       "trail ",     "  both  ",  " ",          "a=b",
        "=start",    "end=",        ";comment",   "#hash",     "[bracket]",  "x]y",
        "line\r\nbreak", "\n",      "\r",         "back\\slash", "\\",       "ends\\",
        "tab\there", "\t",          "nul\0in"s,   "Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC",
        "\\ \\",     "a \\= b",     "[Server]",   "k=v\r\n[Server]\r\nx=y"};
    for (const std::string& section : {std::string("Server"), std::string(" [x] ")}) {
        for (const std::string& text : hostile) {
            std::string file = write("", section, text, text);
            file = write(file, section, "after", "still here");
            EXPECT_EQ(read(file, section, text), text) << file;
            EXPECT_EQ(read(file, section, "after"), "still here") << file;
            // Every written entry stays on one line of the file.
            EXPECT_EQ(std::count(file.begin(), file.end(), '\n'), 3) << file;
        }
    }
}

TEST(IniText, HostileSectionNamesRoundTrip) {
    for (std::string section : {"x]y", " pad ", "a\\b", "new\nline", "]", ""}) {
        std::string file = write("", section, "k", "v");
        file = write(file, "Other", "k", "w");
        EXPECT_EQ(read(file, section, "k"), "v") << file;
        EXPECT_EQ(read(file, "Other", "k"), "w") << file;
    }
}

TEST(IniText, EscapesOnlyWhatMustBeEscaped) {
    EXPECT_EQ(escapeValue("a=b;c[d]e#f"), "a=b;c[d]e#f");
    EXPECT_EQ(escapeValue(" two words "), "\\ two words\\ ");
    EXPECT_EQ(escapeValue("C:\\path\r\n"), "C:\\\\path\\r\\n");
    EXPECT_EQ(escapeKey("a=b"), "a\\=b");
    EXPECT_EQ(escapeKey(";x;"), "\\;x;");
    EXPECT_EQ(escapeKey("[x]"), "\\[x]");
    EXPECT_EQ(escapeSection("[x]"), "[x\\]");
    EXPECT_EQ(escapeValue("Gr\xC3\xBC\xC3\x9F" "e"), "Gr\xC3\xBC\xC3\x9F" "e");
}

TEST(IniText, ReplacingAKeyKeepsEveryOtherLineAsItWas) {
    const std::string file =
        "; written by hand\n[Server]\nsavTime = 30\nsavLives=3\n\n[Roles]\nMedic=1\n";
    EXPECT_EQ(write(file, "Server", "savTime", "45"),
              "; written by hand\n[Server]\nsavTime=45\nsavLives=3\n\n[Roles]\nMedic=1\n");
    EXPECT_EQ(write(file, "Server", "savMaps", "x"),
              "; written by hand\n[Server]\nsavTime = 30\nsavLives=3\nsavMaps=x\r\n\n[Roles]\nMedic=1\n");
    EXPECT_EQ(write(file, "Weapons", "M16", "0"), file + "[Weapons]\r\nM16=0\r\n");
}

TEST(IniText, ReadsWhatAPersonWroteByHand) {
    const std::string file =
        "\xEF\xBB\xBF  [ Server ]  \r\n  savTime =  30  \r\n;savLives=9\r\n# note\r\nnoequals\r\n"
        "savServerName=Dusk = Water\r\n";
    EXPECT_EQ(read(file, "Server", "savTime"), "30");
    EXPECT_EQ(read(file, "Server", "savLives"), std::nullopt);
    EXPECT_EQ(read(file, "Server", "savServerName"), "Dusk = Water");
    EXPECT_EQ(read(file, "Server", "noequals"), std::nullopt);
}

TEST(IniText, NamesAreCaseSensitiveAndTheFirstOccurrenceWins) {
    const std::string file = "[S]\r\nKey=upper\r\nkey=lower\r\nKey=second\r\n[S]\r\nKey=later\r\n";
    EXPECT_EQ(read(file, "S", "Key"), "upper");
    EXPECT_EQ(read(file, "S", "key"), "lower");
    EXPECT_EQ(read(file, "s", "Key"), std::nullopt);
    EXPECT_EQ(write(file, "S", "Key", "new"),
              "[S]\r\nKey=new\r\nkey=lower\r\nKey=second\r\n[S]\r\nKey=later\r\n");
}

TEST(IniText, KeepsTheByteOrderMarkAndAddsToAFileWithoutFinalLineBreak) {
    EXPECT_EQ(write("\xEF\xBB\xBF[S]\r\na=1", "S", "a", "2"), "\xEF\xBB\xBF[S]\r\na=2");
    EXPECT_EQ(write("[S]\r\na=1", "S", "b", "2"), "[S]\r\na=1\r\nb=2\r\n");
    EXPECT_EQ(write("[S]\r\na=1", "T", "b", "2"), "[S]\r\na=1\r\n[T]\r\nb=2\r\n");
}

}  // namespace
}  // namespace kora::suite::ini
