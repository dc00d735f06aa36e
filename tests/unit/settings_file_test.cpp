#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <fstream>
#include <sstream>

#include "settings_file.h"

namespace kora::suite {
namespace {
namespace fs = std::filesystem;

std::string readAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeAll(const fs::path& p, std::string_view text) {
    std::ofstream(p, std::ios::binary) << text;
}

std::string replaceLine(std::string text, const std::string& from, const std::string& to) {
    const auto at = text.find(from + "\n");
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

class ServerSettingsFolder : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() /
                 ("kora_settings_" + std::to_string(::getpid()) + "_" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    fs::path folder;
    fs::path file() const { return folder / "server.cfg"; }
    fs::path temp() const { return folder / "server.cfg.tmp"; }
};

TEST(ServerSettingsFile, WritesOneKeyValueLineEachWithEscapes) {
    ServerSettings s = defaultServer();
    s.hostMessage = "C:\\maps\r\nnext\tline";
    s.password = "a=b";
    s.weapons = {{"Mortar, 81 mm", true}, {"Sølvfalk DMR-20", false}};
    const std::string text = settingsFileText(s);
    EXPECT_EQ(text.rfind("# ", 0), 0u);
    EXPECT_NE(text.find("\nServerName=[DW] Harbour Night Ops | 24/7\n"), std::string::npos);
    EXPECT_NE(text.find("\nPassword=a=b\n"), std::string::npos);
    EXPECT_NE(text.find("\nHostMessage=C:\\\\maps\\r\\nnext\\tline\n"), std::string::npos);
    EXPECT_NE(text.find("\nMaxPlayers=32\n"), std::string::npos);
    EXPECT_NE(text.find("\nAutoBalance=1\n"), std::string::npos);
    EXPECT_NE(
        text.find("\nRole.CQB=1\nRole.Sniper=1\nRole.Gunner=1\nRole.Rifleman=1\nRole.Engineer=0\n"
                  "AutoLoad=1\n"),
        std::string::npos);
    EXPECT_TRUE(text.ends_with("\nWeapon=1,Mortar, 81 mm\nWeapon=0,Sølvfalk DMR-20\n"));
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1 + 43 + 5 + 1 + 2);
    EXPECT_EQ(parseSettingsFile(text), s);
}

TEST(ServerSettingsFile, ReadsWhatItWrites) {
    const ServerSettings s = defaultServer();
    EXPECT_EQ(parseSettingsFile(settingsFileText(s)), s);
    // Edited elsewhere: CR LF line endings, comments and blank lines.
    std::string crlf;
    for (const char c : settingsFileText(s))
        crlf += c == '\n' ? std::string("\r\n\r\n# note\r\n") : std::string(1, c);
    EXPECT_EQ(parseSettingsFile(crlf), s);
}

TEST(ServerSettingsFile, RefusesBrokenFilesNamingTheLine) {
    const std::string good = settingsFileText(defaultServer());
    const auto message = [](const std::string& text) -> std::string {
        try {
            parseSettingsFile(text);
        } catch (const SettingsFileError& e) {
            return e.what();
        }
        return "accepted";
    };
    EXPECT_EQ(message(replaceLine(good, "MaxPlayers=32", "MaxPlayers=x")),
              "line 6: bad value for MaxPlayers");
    EXPECT_EQ(message(replaceLine(good, "MaxPlayers=32", "MaxPlayers=32\nMaxPlayers=31")),
              "line 7: \"MaxPlayers\" appears twice");
    EXPECT_EQ(message(replaceLine(good, "MaxPlayers=32", "MaxPlayerz=32")),
              "line 6: unknown key \"MaxPlayerz\"");
    EXPECT_EQ(message(replaceLine(good, "MaxPlayers=32", "# gone")), "\"MaxPlayers\" is missing");
    EXPECT_EQ(message(replaceLine(good, "MaxPlayers=32", "MaxPlayers 32")), "line 6: no \"=\"");
    EXPECT_EQ(message(replaceLine(good, "MaxPlayers=32", "MaxPlayers=51")),
              "MaxPlayers 51 is outside 1..50");
    EXPECT_EQ(message(replaceLine(good, "Dedicated=1", "Dedicated=2")),
              "line 11: bad value for Dedicated");
    EXPECT_EQ(message(replaceLine(good, "Password=", "Password=\\q")),
              "line 5: bad value for Password");
    EXPECT_EQ(message(replaceLine(good, "Password=", "Password=\\x4")),
              "line 5: bad value for Password");
    EXPECT_EQ(message(good + "Weapon=1;Spear\n"),
              "line 91: a weapon is written as 0 or 1, \",\", and its name");
    EXPECT_EQ(message(good + "Weapon=1,Mortar, 81 mm\n"),
              "weapon \"Mortar, 81 mm\" is listed twice");
    EXPECT_EQ(message(""), "\"ServerName\" is missing");
}

TEST_F(ServerSettingsFolder, SaveReplacesTheFileAndLeavesNoTemporary) {
    writeAll(file(), "old");
    ServerSettings s = defaultServer();
    s.serverName = "Renamed";
    saveSettingsFile(s, file());
    EXPECT_EQ(readAll(file()), settingsFileText(s));
    EXPECT_FALSE(fs::exists(temp()));
    EXPECT_EQ(loadSettingsFile(file()), s);
}

TEST_F(ServerSettingsFolder, SaveThatCannotCreateItsTemporaryKeepsTheOldFile) {
    writeAll(file(), "old contents");
    fs::create_directory(temp());  // something in the way of the temporary file
    EXPECT_THROW(saveSettingsFile(defaultServer(), file()), SettingsFileError);
    EXPECT_EQ(readAll(file()), "old contents");
    EXPECT_TRUE(fs::is_directory(temp()));
}

TEST_F(ServerSettingsFolder, SaveThatFailsMidWriteKeepsTheOldFileAndRemovesThePart) {
    writeAll(file(), "old contents");
    // A file-size limit makes the write fail part-way, as a full disk would.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{100, 100};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        try {
            saveSettingsFile(defaultServer(), file());
        } catch (const SettingsFileError&) {
            ::_exit(0);
        }
        ::_exit(1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the save did not report the failed write";
    EXPECT_EQ(readAll(file()), "old contents");
    EXPECT_FALSE(fs::exists(temp()));
}

TEST_F(ServerSettingsFolder, SaveIntoAMissingFolderFails) {
    EXPECT_THROW(saveSettingsFile(defaultServer(), folder / "no" / "server.cfg"),
                 SettingsFileError);
    EXPECT_FALSE(fs::exists(folder / "no"));
}

TEST_F(ServerSettingsFolder, LoadNamesTheFileAtFault) {
    EXPECT_THROW(loadSettingsFile(file()), SettingsFileError);
    writeAll(file(), "ServerName=x\n");
    try {
        loadSettingsFile(file());
        FAIL();
    } catch (const SettingsFileError& e) {
        EXPECT_EQ(std::string(e.what()), file().string() + ": \"Country\" is missing");
    }
}

}  // namespace
}  // namespace kora::suite
