#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <csignal>

#include "base64.h"
#include "server_support.h"
#include "settings_file.h"

namespace kora::suite {
namespace {
using namespace test;

// Every field differs from the default server, most at the edge of its range.
ServerSettings sampleServer() {
    return {
        .serverName = "Alpha | Bravo",
        .country = "DE",
        .session = 1,
        .password = "pw_1",
        .maxPlayers = 50,
        .timeLimit = 100,
        .startDelay = 3,
        .replayMaps = 0,
        .respawnTime = 120,
        .dedicated = false,
        .customSkins = true,
        .autoBalance = true,
        .hostMessage = "Line1\r\nLine2",
        .bluePassword = "b",
        .redPassword = "",
        .spectatorPassword = "s p",
        .friendlyFireKills = true,
        .maxFriendlyKills = 50,
        .friendlyTags = false,
        .friendlyFireWarning = true,
        .pspTakeoverTime = 100,
        .flagReturnTime = 999,
        .maxTeamLives = 0,
        .showTracers = false,
        .showTeamClays = true,
        .minPingCheck = true,
        .minPing = 5,
        .maxPingCheck = false,
        .maxPing = 99999,
        .oneShotKills = true,
        .fatBullets = false,
        .destroyBuildings = true,
        .gamePort = 17479,
        .punkbuster = false,
        .voting = false,
        .voteMinPlayers = 1,
        .votePeriod = 30,
        .unlimitedVehicles = true,
        .changeTeamTime = 0,
        .changeTeamPenalty = 999,
        .armoryReuseTime = 1,
        .lfpSpeed = 2,
        .lanPort = 17480,
        .roles = {false, true, false, true, true},
        .weapons = {{"Mortar, 81 mm", true}, {"Sølvfalk DMR-20", false}, {"A|B", true}},
        .autoLoad = false,
    };
}

TEST(ServerReply, SampleServerFieldByField) {
    EXPECT_EQ(settingsReply(sampleServer()),
              // 0-9: name, country, session, password, players-1, time, delay, maps, respawn, dedicated
              "QWxwaGEgfCBCcmF2bw==|REU=|1|cHdfMQ==|49|100|3|0|120|0|"
              // 10-19: skins, auto balance inverted, message, blue, red, spectator, FF kills, max FF+1,
              // tags, warn
              "1|0|TGluZTENCkxpbmUy|Yg==||cyBw|1|51|0|1|"
              // 20-29: PSP, flag, lives, tracers, clays, min ping check, min, max check, max, one shot
              "100|999|0|0|1|1|5|0|99999|1|"
              // 30-42: fat, buildings, game port, PB, voting, vote min, vote time, vehicles, change
              // time, penalty, armory, LFP, LAN port
              "0|1|17479|0|0|1|30|1|0|999|1|2|17480"
              "[-]0|1|0|1|1"
              "[-]TW9ydGFyLCA4MSBtbQ==,1|U8O4bHZmYWxrIERNUi0yMA==,0|QXxC,1"
              "[-]0");
    EXPECT_FALSE(checkSettings(defaultServer()));
}

TEST(ServerRequest, KeyMayHoldTheIndexMarkAndTheIndexIsStrictDecimal) {
    const auto set = parseRequest("Plugin_zelKORA_SetSettingsRem_srv_VB6_2_x__VB6_-3_A|B[-][-]|||[-]0");
    EXPECT_EQ(set.command, Command::SetSettings);
    ASSERT_TRUE(set.wellFormed);
    EXPECT_EQ(set.key, "srv_VB6_2_x_");
    EXPECT_EQ(set.hostIndex, -3);
    EXPECT_EQ(set.payload, "A|B[-][-]|||[-]0");
    for (const std::string index : {"", "007", "-0", "+3", "2147483648", "x"})
        EXPECT_FALSE(parseRequest("Plugin_zelKORA_GetSettingsRem_k_VB6_" + index).wellFormed) << index;
    EXPECT_EQ(parseRequest("plugin_zelKORA_GetSettingsRem_k_VB6_1").command, Command::Unknown);
}

// The plug-in's own tests tell a refused shape from a refused value by these
// openings, so they are pinned here.
TEST(ServerUpdate, RefusalsNameTheirCauseAndChangeNothing) {
    const ServerSettings original = defaultServer();
    const Payload good = payloadFromReply(settingsReply(original));
    const auto with = [&](auto edit) {
        Payload p = good;
        edit(p);
        return p.text();
    };
    const std::pair<std::string, std::string> cases[] = {
        {good.text() + "[-]1", "payload has 5 sections, expected 4"},
        {with([](Payload& p) { p.fields.pop_back(); }), "settings section has 40 fields, expected 41"},
        {with([](Payload& p) { p.roles.pop_back(); }), "roles section has 3 positions, expected 4"},
        {with([](Payload& p) { p.roles[0] = "Medic"; }), "role position 1 is"},
        {with([](Payload& p) { p.weapons = {encodeBase64("Ghost Rifle")}; }),
         "weapon 0 is not a weapon of this server"},
        {with([](Payload& p) { p.autoLoad = "01"; }), "auto-load flag is not 0 or 1"},
        {with([](Payload& p) { p.fields[0] = "/w=="; }), "field 0 ("},  // not UTF-8
        {with([](Payload& p) { p.fields[0] = encodeBase64(std::string(32, 'n')); }), "field 0 ("},
        {with([](Payload& p) { p.fields[2] = "01"; }), "field 2 ("},
        {with([](Payload& p) { p.fields[4] = "50"; }), "field 4 ("},  // 51 players
        {with([](Payload& p) { p.fields[5] = "100.5"; }), "field 5 ("},
        {with([](Payload& p) { p.fields[17] = "52"; }), "field 17 ("},  // 51 friendly kills
    };
    for (const auto& [text, opening] : cases) {
        ServerSettings server = original;
        const auto fault = applyUpdate(server, text);
        ASSERT_TRUE(fault) << text;
        EXPECT_EQ(fault->rfind(opening, 0), 0u) << *fault;
        EXPECT_EQ(server, original) << text;
    }
}

TEST(ServerAnswer, UpdatesAnswerOneOrZeroOtherTextsNothing) {
    auto p = payloadFromReply(settingsReply(defaultServer()));
    p.fields[5] = "45";
    const std::string update = "Plugin_zelKORA_SetSettingsRem_k_VB6_1_" + p.text();
    const std::tuple<std::string, std::optional<std::string>, std::string> cases[] = {
        {update, std::nullopt, "1"},
        {update, "disk full", "0"},  // settings that cannot be stored are not taken
        {"Plugin_zelKORA_SetSettingsRem_k_VB6_1_garbage", std::nullopt, "0"},
        {"Plugin_zelKORA_SetSettingsRem_k_VB6_x_" + p.text(), std::nullopt, "0"},
        {"Plugin_zelKORA_GetSettingsRem_k", std::nullopt, ""},
        {"hello", std::nullopt, ""},
    };
    for (const auto& [request, persistFault, answer] : cases) {
        ServerSettings server = defaultServer();
        std::vector<ServerSettings> persisted;
        const auto e = answerRequest(server, request, [&](const ServerSettings& s) {
            persisted.push_back(s);
            return persistFault;
        });
        EXPECT_EQ(e.answer, answer) << request;
        EXPECT_EQ(server.timeLimit, answer == "1" ? 45 : 30) << request;
        EXPECT_EQ(persisted.size(), persistFault || answer == "1" ? 1u : 0u) << request;
        EXPECT_NE(e.log.find(persistFault.value_or("")), std::string::npos) << e.log;
    }
}

TEST(ServerSettingsFile, EscapedTextsRoundTrip) {
    ServerSettings s = defaultServer();
    s.hostMessage = "C:\\maps\r\nnext\tline";
    s.password = "a=b";
    s.bluePassword = " spaced ";  // blanks at the ends survive the INI text's trimming
    s.weapons = {{"Mortar, 81 mm", true}, {"Sølvfalk DMR-20", false}};
    const std::string text = settingsFileText(s);
    EXPECT_NE(text.find("\nPassword=a=b\n"), std::string::npos);
    EXPECT_NE(text.find("\nHostMessage=C:\\\\maps\\r\\nnext\\tline\n"), std::string::npos);
    EXPECT_TRUE(text.ends_with("\nWeapon=1,Mortar, 81 mm\nWeapon=0,Sølvfalk DMR-20\n"));
    EXPECT_EQ(parseSettingsFile(text), s);
}

using ServerSettingsSave = test::ScratchFolder;

TEST_F(ServerSettingsSave, ThatFailsMidWriteKeepsTheOldFileAndRemovesThePart) {
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
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the failed write was not reported";
    EXPECT_EQ(readAll(file()), "old contents");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()), 1);
}

}  // namespace
}  // namespace kora::suite
