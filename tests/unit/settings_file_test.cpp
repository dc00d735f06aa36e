#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>

#include "server_support.h"
#include "settings_file.h"

namespace kora::suite {
namespace {
namespace fs = std::filesystem;
using namespace test;

class ServerSettingsFolder : public ScratchFolder {
protected:
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
    const auto edited = [&](const std::string& from, const std::string& to) {
        std::string text = good;
        const auto at = text.find("\n" + from + "\n");
        EXPECT_NE(at, std::string::npos) << from;
        return at == std::string::npos ? text : text.replace(at + 1, from.size(), to);
    };
    const std::pair<std::string, std::string> cases[] = {
        {edited("MaxPlayers=32", "MaxPlayers=x"), "line 6: bad value for MaxPlayers"},
        {edited("MaxPlayers=32", "MaxPlayers=32\nMaxPlayers=31"), "line 7: \"MaxPlayers\" appears twice"},
        {edited("MaxPlayers=32", "MaxPlayerz=32"), "line 6: unknown key \"MaxPlayerz\""},
        {edited("MaxPlayers=32", "# gone"), "\"MaxPlayers\" is missing"},
        {edited("MaxPlayers=32", "MaxPlayers 32"), "line 6: no \"=\""},
        {edited("MaxPlayers=32", "MaxPlayers=51"), "MaxPlayers 51 is outside 1..50"},
        {edited("Dedicated=1", "Dedicated=2"), "line 11: bad value for Dedicated"},
        {edited("Password=", "Password=\\q"), "line 5: bad value for Password"},
        {edited("Password=", "Password=\\x4"), "line 5: bad value for Password"},
        {good + "Weapon=1;Spear\n", "line 91: a weapon is written as 0 or 1, \",\", and its name"},
        {good + "Weapon=1,Mortar, 81 mm\n", "weapon \"Mortar, 81 mm\" is listed twice"},
        {"", "\"ServerName\" is missing"},
    };
    for (const auto& [text, message] : cases) {
        try {
            parseSettingsFile(text);
            ADD_FAILURE() << "accepted, expected: " << message;
        } catch (const SettingsFileError& e) {
            EXPECT_EQ(std::string(e.what()), message);
        }
    }
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
