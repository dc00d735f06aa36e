#include <gtest/gtest.h>

#include <algorithm>

#include "base64.h"
#include "server_support.h"

namespace kora::suite {
namespace {
using namespace test;

// Every field takes a value that differs from the default server, most of
// them at the edge of their range.
ServerSettings sampleServer() {
    return {
        .serverName = "Alpha | Bravo", .country = "DE", .session = 1, .password = "pw_1", .maxPlayers = 50,
        .timeLimit = 100, .startDelay = 3, .replayMaps = 0, .respawnTime = 120, .dedicated = false,
        .customSkins = true, .autoBalance = true, .hostMessage = "Line1\r\nLine2", .bluePassword = "b",
        .redPassword = "", .spectatorPassword = "s p", .friendlyFireKills = true, .maxFriendlyKills = 50,
        .friendlyTags = false, .friendlyFireWarning = true, .pspTakeoverTime = 100, .flagReturnTime = 999,
        .maxTeamLives = 0, .showTracers = false, .showTeamClays = true, .minPingCheck = true, .minPing = 5,
        .maxPingCheck = false, .maxPing = 99999, .oneShotKills = true, .fatBullets = false,
        .destroyBuildings = true, .gamePort = 17479, .punkbuster = false, .voting = false, .voteMinPlayers = 1,
        .votePeriod = 30, .unlimitedVehicles = true, .changeTeamTime = 0, .changeTeamPenalty = 999,
        .armoryReuseTime = 1, .lfpSpeed = 2, .lanPort = 17480, .roles = {false, true, false, true, true},
        .weapons = {{"Mortar, 81 mm", true}, {"Sølvfalk DMR-20", false}, {"A|B", true}}, .autoLoad = false,
    };
}

// ---------------------------------------------------------------------------
// The reply

TEST(ServerReply, SampleServerFieldByField) {
    const std::string expected =
        // 0-9: name, country, session, password, players-1, time, delay, maps, respawn, dedicated
        "QWxwaGEgfCBCcmF2bw==|REU=|1|cHdfMQ==|49|100|3|0|120|0|"
        // 10-19: skins, auto balance inverted, message, blue, red, spectator, FF kills, max FF+1, tags,
        // warn
        "1|0|TGluZTENCkxpbmUy|Yg==||cyBw|1|51|0|1|"
        // 20-29: PSP, flag return, lives, tracers, clays, min ping check, min ping, max check, max
        // ping, one shot
        "100|999|0|0|1|1|5|0|99999|1|"
        // 30-39: fat bullets, buildings, game port, punkbuster, voting, vote min, vote time, vehs,
        // change time, penalty
        "0|1|17479|0|0|1|30|1|0|999|"
        // 40-42: armory, LFP, LAN port
        "1|2|17480"
        "[-]0|1|0|1|1"
        "[-]TW9ydGFyLCA4MSBtbQ==,1|U8O4bHZmYWxrIERNUi0yMA==,0|QXxC,1"
        "[-]0";
    EXPECT_EQ(settingsReply(sampleServer()), expected);
}

TEST(ServerReply, DefaultServer) {
    const auto sections = splitAll(settingsReply(defaultServer()), "[-]");
    ASSERT_EQ(sections.size(), 4u);
    EXPECT_EQ(sections[0],
              "W0RXXSBIYXJib3VyIE5pZ2h0IE9wcyB8IDI0Lzc=|Tkw=|0||31|30|2|1|15|1|"
              "0|0|V2VsY29tZSB0byBIYXJib3VyIE5pZ2h0IE9wcyENCk5vIHNwYXduIGNhbXBpbmcuIFRlYW13b3JrIHdpbnMu"
              "||||1|6|1|1|"
              "15|210|100|1|1|0|0|1|400|0|"
              "0|1|17479|1|1|6|180|0|60|300|"
              "20|1|17480");
    EXPECT_EQ(sections[1], "1|1|1|1|0");
    EXPECT_EQ(sections[3], "1");

    const auto entries = splitAll(sections[2], "|");
    ASSERT_GE(entries.size(), 30u);
    ASSERT_LE(entries.size(), 60u);
    std::vector<std::string> restricted;
    for (const auto& e : entries) {
        const auto comma = e.find(',');
        ASSERT_NE(comma, std::string::npos) << e;
        const auto name = decodeBase64(e.substr(0, comma));
        ASSERT_TRUE(name) << e;
        ASSERT_TRUE(e.ends_with(",0") || e.ends_with(",1")) << e;
        if (e.ends_with(",0")) restricted.push_back(*name);
    }
    EXPECT_EQ(restricted,
              (std::vector<std::string>{"Greywolf LR-50 Anti-Materiel Rifle", "Skylance MANPADS",
                                        "Thermite Charge TC-3", "Directional Mine DM-51"}));
    // Names with the reply's own separators travel intact inside the encoding.
    EXPECT_NE(std::find(entries.begin(), entries.end(), "TW9ydGFyLCA4MSBtbQ==,1"), entries.end());
    EXPECT_FALSE(checkSettings(defaultServer()));
}

TEST(ServerReply, UpdateBuiltFromTheReplyRestoresEverySetting) {
    // Apply the sample's own update to a server that differs in every field:
    // only what an update cannot carry (the ports, the fifth role) stays.
    for (const auto& original : {sampleServer(), defaultServer()}) {
        ServerSettings other =
            original.serverName == "Alpha | Bravo" ? defaultServer() : sampleServer();
        other.weapons = original.weapons;
        for (auto& w : other.weapons) w.selected = !w.selected;
        ASSERT_FALSE(applyUpdate(other, payloadFromReply(settingsReply(original)).text()));
        ServerSettings expected = original;
        expected.gamePort = other.gamePort;
        expected.lanPort = other.lanPort;
        expected.roles[4] = other.roles[4];
        EXPECT_EQ(other, expected);
    }
}

// ---------------------------------------------------------------------------
// Splitting requests

TEST(ServerRequest, KeyMayHoldUnderscoresAndTheIndexMark) {
    struct Case {
        std::string text;
        Command command;
        std::string key;
        int32_t index;
        std::string payload;
    };
    const Case cases[] = {
        {"Plugin_zelKORA_GetSettingsRem_a_VB6_7_b_VB6_-12", Command::GetSettings, "a_VB6_7_b", -12, ""},
        {"Plugin_zelKORA_SetSettingsRem_srv_VB6_2_x__VB6_3_A|B[-][-]|||[-]0", Command::SetSettings,
         "srv_VB6_2_x_", 3, "A|B[-][-]|||[-]0"},
        {"Plugin_zelKORA_GetSettingsRem__VB6_0", Command::GetSettings, "", 0, ""},
        {"Plugin_zelKORA_GetSettingsRem_k_VB6_-2147483648", Command::GetSettings, "k", INT32_MIN, ""},
    };
    for (const auto& c : cases) {
        const auto r = parseRequest(c.text);
        EXPECT_EQ(r.command, c.command) << c.text;
        ASSERT_TRUE(r.wellFormed) << c.text;
        EXPECT_EQ(r.key, c.key) << c.text;
        EXPECT_EQ(r.hostIndex, c.index) << c.text;
        EXPECT_EQ(r.payload, c.payload) << c.text;
    }
}

TEST(ServerRequest, MalformedIndexesAndOtherTexts) {
    for (const std::string index : {"", "-", "007", "-0", "+3", "2147483648", "3 ", "x"}) {
        const auto get = parseRequest("Plugin_zelKORA_GetSettingsRem_k_VB6_" + index);
        EXPECT_EQ(get.command, Command::GetSettings) << index;
        EXPECT_FALSE(get.wellFormed) << index;
        const auto set = parseRequest("Plugin_zelKORA_SetSettingsRem_k_VB6_" + index + "_0[-][-]|||[-]0");
        EXPECT_EQ(set.command, Command::SetSettings) << index;
        EXPECT_FALSE(set.wellFormed) << index;
    }
    EXPECT_FALSE(parseRequest("Plugin_zelKORA_GetSettingsRem_k_VB7_1").wellFormed);
    EXPECT_FALSE(parseRequest("Plugin_zelKORA_SetSettingsRem_k_VB6_1").wellFormed);
    for (const char* text :
         {"", "Plugin_zelKORA_GetSettings_k_VB6_1", "plugin_zelKORA_GetSettingsRem_k_VB6_1",
          "Plugin_zelOTHER_GetSettingsRem_k_VB6_1", "Plugin_zelKORA_GetSettingsRem"})
        EXPECT_EQ(parseRequest(text).command, Command::Unknown) << text;
}

// ---------------------------------------------------------------------------
// Checking and applying updates

class ServerUpdate : public ::testing::Test {
protected:
    ServerSettings server = defaultServer();
    Payload payload = payloadFromReply(settingsReply(server));

    // The fault for a payload, and that nothing changed.
    std::optional<std::string> refused(const std::string& text) {
        const ServerSettings before = server;
        auto fault = applyUpdate(server, text);
        EXPECT_EQ(server, before) << text;
        return fault;
    }
};

TEST_F(ServerUpdate, WrongShapeIsRefused) {
    const auto text = payload.text();
    auto fields = [&](std::size_t n) {
        auto p = payload;
        p.fields.resize(n, "0");
        return p.text();
    };
    EXPECT_EQ(refused(fields(40)), "settings section has 40 fields, expected 41");
    EXPECT_EQ(refused(fields(42)), "settings section has 42 fields, expected 41");
    EXPECT_EQ(refused(text.substr(0, text.rfind("[-]"))), "payload has 3 sections, expected 4");
    EXPECT_EQ(refused(text + "[-]1"), "payload has 5 sections, expected 4");
    EXPECT_TRUE(refused(""));
}

TEST_F(ServerUpdate, OutOfRangeFieldsAreRefusedNamingTheField) {
    const std::pair<int, std::string> cases[] = {
        // a name that is empty, blank ("   "), not Base64, not UTF-8 (a lone 0xFF), with a tab, too long
        {0, ""}, {0, "ICAg"}, {0, "not base64"}, {0, "/w=="}, {0, encodeBase64("Tab\there")},
        {0, encodeBase64(std::string(32, 'n'))}, {3, encodeBase64("seventeen chars!!")},
        {12, encodeBase64(std::string(86, 'm'))},
        // positions are exact decimals in range: 51 players, a greyed box, Punkbuster, LFP speed
        {2, "2"}, {2, "-1"}, {2, "01"}, {2, " 1"}, {4, "50"}, {4, "-1"}, {6, "4"}, {7, "2"}, {9, "2"},
        {11, "-1"}, {32, "2"}, {40, "3"},
        // typed numbers are whole and in range: friendly kills -1 and 51
        {5, "100.5"}, {5, "-1"}, {5, "abc"}, {5, ""}, {8, "121"}, {17, "0"}, {17, "52"}, {20, "0"},
        {20, "101"}, {21, "1.5"}, {21, "1000"}, {22, "-5"}, {28, "100000"},
    };
    for (const auto& [index, value] : cases) {
        auto p = payload;
        p.fields.at(static_cast<std::size_t>(index)) = value;
        const auto fault = refused(p.text());
        ASSERT_TRUE(fault) << index << " = \"" << value << "\"";
        EXPECT_EQ(fault->rfind("field " + std::to_string(index) + " (", 0), 0u) << *fault;
    }
}

TEST_F(ServerUpdate, WrongRolesWeaponsAndAutoLoadAreRefused) {
    const auto roles = [&](std::vector<std::string> r) {
        auto p = payload;
        p.roles = std::move(r);
        return p.text();
    };
    const auto weapons = [&](std::string w) {
        auto p = payload;
        p.weapons = {std::move(w)};
        return p.text();
    };
    const auto autoLoad = [&](std::string flag) {
        auto p = payload;
        p.autoLoad = std::move(flag);
        return p.text();
    };
    const std::string mortar = encodeBase64("Mortar, 81 mm");
    for (const std::string& text : {
             roles({"Medic", "", "", ""}),  // the form's caption is not what travels
             roles({"cqb", "", "", ""}), roles({"", "", "Sniper", ""}), roles({"", "", "", "Engineer"}),
             roles({"CQB", "", ""}), roles({"CQB", "", "", "", ""}), roles({"CQB ", "", "", ""}),
             weapons(encodeBase64("Ghost Rifle")), weapons("|" + mortar), weapons(mortar + "|"),
             weapons("TW9ydGFy LCA4MSBtbQ=="), autoLoad("2"), autoLoad(""), autoLoad("01"), autoLoad("true")})
        EXPECT_TRUE(refused(text)) << text;
}

TEST_F(ServerUpdate, AcceptedValuesTakeEffect) {
    auto p = payload;
    p.fields[0] = encodeBase64(" Padded ");
    p.fields[3] = "";       // a blank password goes out empty
    p.fields[4] = "49";     // 50 players
    p.fields[5] = " +30 ";  // typed numbers count by value
    p.fields[11] = "1";     // auto balance off
    p.fields[12] = encodeBase64("Two\r\nlines");
    p.fields[17] = "51";  // 50 friendly kills
    p.fields[21] = "3e1";
    p.fields[26] = "7.0";
    p.fields[32] = "0";
    p.weapons = {encodeBase64("Mortar, 81 mm"), encodeBase64("Sølvfalk DMR-20 Marksman Rifle")};
    p.roles = {"CQB", "", "Gunner", ""};
    p.autoLoad = "0";
    ASSERT_EQ(applyUpdate(server, p.text()), std::nullopt);
    EXPECT_EQ(server.serverName, " Padded ");
    EXPECT_EQ(server.password, "");
    EXPECT_EQ(server.maxPlayers, 50);
    EXPECT_EQ(server.timeLimit, 30);
    EXPECT_FALSE(server.autoBalance);
    EXPECT_EQ(server.hostMessage, "Two\r\nlines");
    EXPECT_EQ(server.maxFriendlyKills, 50);
    EXPECT_EQ(server.flagReturnTime, 30);
    EXPECT_EQ(server.minPing, 7);
    EXPECT_FALSE(server.punkbuster);
    std::vector<std::string> selected;
    for (const auto& w : server.weapons)
        if (w.selected) selected.push_back(w.name);
    EXPECT_EQ(selected,
              (std::vector<std::string>{"Sølvfalk DMR-20 Marksman Rifle", "Mortar, 81 mm"}));
    EXPECT_EQ(server.roles, (std::array<bool, 5>{true, false, true, false, false}));
    EXPECT_FALSE(server.autoLoad);

    // No weapons and no roles at all.
    p.weapons.clear();
    p.roles = {"", "", "", ""};
    ASSERT_EQ(applyUpdate(server, p.text()), std::nullopt);
    EXPECT_TRUE(std::none_of(server.weapons.begin(), server.weapons.end(),
                             [](const Weapon& w) { return w.selected; }));
    EXPECT_EQ(server.roles, (std::array<bool, 5>{}));
}

// ---------------------------------------------------------------------------
// Answering requests

class ServerAnswer : public ::testing::Test {
protected:
    ServerSettings server = defaultServer();
    std::vector<ServerSettings> persisted;
    std::optional<std::string> persistFault;
    Persist persist = [this](const ServerSettings& s) {
        persisted.push_back(s);
        return persistFault;
    };
    std::string changedPayload = [] {
        auto p = payloadFromReply(settingsReply(defaultServer()));
        p.fields[5] = "45";
        return p.text();
    }();
    std::string updateText = "Plugin_zelKORA_SetSettingsRem_k_VB6_1_" + changedPayload;
};

TEST_F(ServerAnswer, FetchGetsTheReply) {
    const auto e = answerRequest(server, "Plugin_zelKORA_GetSettingsRem_my_key_VB6_3", persist);
    EXPECT_EQ(e.answer, settingsReply(defaultServer()));
    EXPECT_EQ(e.log, "GetSettingsRem key=\"my_key\" index=3 -> " + std::to_string(e.answer.size()) +
                         " bytes");
    EXPECT_TRUE(persisted.empty());
}

TEST_F(ServerAnswer, AcceptedUpdateIsPersistedThenApplied) {
    const auto e = answerRequest(server, updateText, persist);
    EXPECT_EQ(e.answer, "1");
    EXPECT_EQ(server.timeLimit, 45);
    ASSERT_EQ(persisted.size(), 1u);
    EXPECT_EQ(persisted[0], server);
}

TEST_F(ServerAnswer, UpdateThatCannotBeStoredIsRefused) {
    persistFault = "disk full";
    const auto e = answerRequest(server, updateText, persist);
    EXPECT_EQ(e.answer, "0");
    EXPECT_EQ(server, defaultServer());
    EXPECT_NE(e.log.find("disk full"), std::string::npos);
}

TEST_F(ServerAnswer, BadUpdatesAnswerZeroAnythingElseNothingAndNoneChangesTheServer) {
    const std::pair<std::string, std::string> cases[] = {
        {"Plugin_zelKORA_SetSettingsRem_k_VB6_1_garbage", "0"},
        // "_" cannot be part of a valid payload: the split leaves a tail that is not one
        {updateText.substr(0, updateText.size() - 1) + "_1", "0"},
        {"Plugin_zelKORA_SetSettingsRem_k_VB6_x_" + changedPayload, "0"},
        {"", ""}, {"hello", ""}, {"Plugin_zelKORA_GetSettingsRem_k", ""}, {"Plugin_zelKORA_Ping_k_VB6_1", ""},
    };
    for (const auto& [text, answer] : cases) {
        EXPECT_EQ(answerRequest(server, text, persist).answer, answer) << text;
        EXPECT_EQ(server, defaultServer());
    }
    EXPECT_TRUE(persisted.empty());
}

TEST(ServerText, Utf16LengthCountsWhatATextBoxCounts) {
    EXPECT_EQ(utf16Length("abc"), 3u);
    EXPECT_EQ(utf16Length("Sølv"), 4u);
    EXPECT_EQ(utf16Length("\xF0\x9F\x8E\xAF"), 2u);  // beyond the BMP: a surrogate pair
    EXPECT_EQ(utf16Length("\xC3"), std::nullopt);
    EXPECT_EQ(utf16Length("\xED\xA0\x80"), std::nullopt);  // an encoded surrogate
}

}  // namespace
}  // namespace kora::suite
