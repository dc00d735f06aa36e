#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "base64.h"
#include "server_settings.h"

namespace kora::suite {
namespace {

std::vector<std::string> split(std::string_view text, std::string_view sep) {
    std::vector<std::string> out;
    for (;;) {
        const auto at = text.find(sep);
        out.emplace_back(text.substr(0, at));
        if (at == std::string_view::npos) return out;
        text.remove_prefix(at + sep.size());
    }
}

std::string join(const std::vector<std::string>& parts, std::string_view sep) {
    std::string out;
    for (std::size_t i = 0; i < parts.size(); ++i) out += (i ? std::string(sep) : "") + parts[i];
    return out;
}

// Every field takes a value that differs from the default server, most of
// them at the edge of their range.
ServerSettings sampleServer() {
    ServerSettings s;
    s.serverName = "Alpha | Bravo";
    s.country = "DE";
    s.session = 1;
    s.password = "pw_1";
    s.maxPlayers = 50;
    s.timeLimit = 100;
    s.startDelay = 3;
    s.replayMaps = 0;
    s.respawnTime = 120;
    s.customSkins = true;
    s.autoBalance = true;
    s.hostMessage = "Line1\r\nLine2";
    s.bluePassword = "b";
    s.spectatorPassword = "s p";
    s.friendlyFireKills = true;
    s.maxFriendlyKills = 50;
    s.friendlyFireWarning = true;
    s.pspTakeoverTime = 100;
    s.flagReturnTime = 999;
    s.maxTeamLives = 0;
    s.showTeamClays = true;
    s.minPingCheck = true;
    s.minPing = 5;
    s.maxPing = 99999;
    s.oneShotKills = true;
    s.destroyBuildings = true;
    s.gamePort = 17479;
    s.punkbuster = false;
    s.voteMinPlayers = 1;
    s.votePeriod = 30;
    s.unlimitedVehicles = true;
    s.changeTeamTime = 0;
    s.changeTeamPenalty = 999;
    s.armoryReuseTime = 1;
    s.lfpSpeed = 2;
    s.lanPort = 17480;
    s.roles = {false, true, false, true, true};
    s.weapons = {{"Mortar, 81 mm", true}, {"Sølvfalk DMR-20", false}, {"A|B", true}};
    s.autoLoad = false;
    return s;
}

// The update the plug-in sends back after filling its form from `reply`:
// the general fields without the two ports, the names of the selected
// weapons, the roles by name, the auto-load flag.
struct Payload {
    std::vector<std::string> fields;
    std::vector<std::string> weapons;
    std::vector<std::string> roles;
    std::string autoLoad;

    std::string text() const {
        return join(fields, "|") + "[-]" + join(weapons, "|") + "[-]" + join(roles, "|") + "[-]" +
               autoLoad;
    }
};

Payload payloadFromReply(const std::string& reply) {
    static constexpr const char* kRoleTexts[] = {"CQB", "Sniper", "Gunner", "Rifleman"};
    const auto sections = split(reply, "[-]");
    Payload p;
    const auto general = split(sections.at(0), "|");
    for (std::size_t i = 0; i < general.size(); ++i)
        if (i != 32 && i != 42) p.fields.push_back(general[i]);
    const auto flags = split(sections.at(1), "|");
    for (std::size_t i = 0; i < 4; ++i) p.roles.push_back(flags.at(i) == "1" ? kRoleTexts[i] : "");
    for (const auto& entry : split(sections.at(2), "|"))
        if (entry.ends_with(",1")) p.weapons.push_back(entry.substr(0, entry.size() - 2));
    p.autoLoad = sections.at(3);
    return p;
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

TEST(ServerReply, DefaultServerGeneralRolesAndAutoLoad) {
    const std::string general =
        "W0RXXSBIYXJib3VyIE5pZ2h0IE9wcyB8IDI0Lzc=|Tkw=|0||31|30|2|1|15|1|"
        "0|0|V2VsY29tZSB0byBIYXJib3VyIE5pZ2h0IE9wcyENCk5vIHNwYXduIGNhbXBpbmcuIFRlYW13b3JrIHdpbnMu"
        "||||1|6|1|1|"
        "15|210|100|1|1|0|0|1|400|0|"
        "0|1|17479|1|1|6|180|0|60|300|"
        "20|1|17480";
    const auto sections = split(settingsReply(defaultServer()), "[-]");
    ASSERT_EQ(sections.size(), 4u);
    EXPECT_EQ(sections[0], general);
    EXPECT_EQ(sections[1], "1|1|1|1|0");
    EXPECT_EQ(sections[3], "1");
}

TEST(ServerReply, DefaultServerArmoury) {
    const auto entries = split(split(settingsReply(defaultServer()), "[-]").at(2), "|");
    ASSERT_GE(entries.size(), 30u);
    ASSERT_LE(entries.size(), 60u);
    std::vector<std::string> restricted;
    for (const auto& e : entries) {
        const auto comma = e.find(',');
        ASSERT_NE(comma, std::string::npos) << e;
        const auto name = decodeBase64(e.substr(0, comma));
        ASSERT_TRUE(name) << e;
        if (e.substr(comma) == ",0")
            restricted.push_back(*name);
        else
            EXPECT_EQ(e.substr(comma), ",1");
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

TEST(ServerRequest, FetchKeyMayHoldUnderscoresAndTheIndexMark) {
    const auto r = parseRequest("Plugin_zelKORA_GetSettingsRem_a_VB6_7_b_VB6_-12");
    EXPECT_EQ(r.command, Command::GetSettings);
    ASSERT_TRUE(r.wellFormed);
    EXPECT_EQ(r.key, "a_VB6_7_b");
    EXPECT_EQ(r.hostIndex, -12);
}

TEST(ServerRequest, UpdateKeyMayHoldUnderscoresAndTheIndexMark) {
    const auto r =
        parseRequest("Plugin_zelKORA_SetSettingsRem_srv_VB6_2_x__VB6_3_A|B[-][-]|||[-]0");
    EXPECT_EQ(r.command, Command::SetSettings);
    ASSERT_TRUE(r.wellFormed);
    EXPECT_EQ(r.key, "srv_VB6_2_x_");
    EXPECT_EQ(r.hostIndex, 3);
    EXPECT_EQ(r.payload, "A|B[-][-]|||[-]0");
}

TEST(ServerRequest, EmptyKeyAndExtremeIndexes) {
    auto r = parseRequest("Plugin_zelKORA_GetSettingsRem__VB6_0");
    ASSERT_TRUE(r.wellFormed);
    EXPECT_EQ(r.key, "");
    EXPECT_EQ(r.hostIndex, 0);
    r = parseRequest("Plugin_zelKORA_GetSettingsRem_k_VB6_-2147483648");
    ASSERT_TRUE(r.wellFormed);
    EXPECT_EQ(r.hostIndex, INT32_MIN);
}

TEST(ServerRequest, MalformedIndexes) {
    for (const char* index : {"", "-", "007", "-0", "+3", "2147483648", "3 ", "x"}) {
        SCOPED_TRACE(index);
        const auto get = parseRequest(std::string("Plugin_zelKORA_GetSettingsRem_k_VB6_") + index);
        EXPECT_EQ(get.command, Command::GetSettings);
        EXPECT_FALSE(get.wellFormed);
        const auto set = parseRequest(std::string("Plugin_zelKORA_SetSettingsRem_k_VB6_") + index +
                                      "_0[-][-]|||[-]0");
        EXPECT_EQ(set.command, Command::SetSettings);
        EXPECT_FALSE(set.wellFormed);
    }
    EXPECT_FALSE(parseRequest("Plugin_zelKORA_GetSettingsRem_k_VB7_1").wellFormed);
    EXPECT_FALSE(parseRequest("Plugin_zelKORA_SetSettingsRem_k_VB6_1").wellFormed);
}

TEST(ServerRequest, OtherTextsAreNoCommand) {
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
    auto p = payload;
    p.fields.pop_back();
    EXPECT_EQ(refused(p.text()), "settings section has 40 fields, expected 41");
    p = payload;
    p.fields.push_back("0");
    EXPECT_EQ(refused(p.text()), "settings section has 42 fields, expected 41");
    const auto text = payload.text();
    EXPECT_EQ(refused(text.substr(0, text.rfind("[-]"))), "payload has 3 sections, expected 4");
    EXPECT_EQ(refused(text + "[-]1"), "payload has 5 sections, expected 4");
    EXPECT_TRUE(refused(""));
}

TEST_F(ServerUpdate, OutOfRangeFieldsAreRefused) {
    const std::vector<std::pair<int, std::string>> cases = {
        {0, ""},      // a server needs a name
        {0, "ICAg"},  // "   "
        {0, "not base64"},
        {0, "/w=="},  // a lone 0xFF byte is not UTF-8
        {0, encodeBase64("Tab\there")},
        {0, encodeBase64(std::string(32, 'n'))},
        {3, encodeBase64("seventeen chars!!")},
        {12, encodeBase64(std::string(86, 'm'))},
        {2, "2"},
        {2, "-1"},
        {2, "01"},
        {2, " 1"},
        {4, "50"},  // 51 players
        {4, "-1"},
        {5, "100.5"},
        {5, "-1"},
        {5, "abc"},
        {5, ""},
        {6, "4"},
        {7, "2"},
        {8, "121"},
        {9, "2"},  // a greyed box
        {11, "-1"},
        {17, "0"},
        {17, "52"},  // friendly kills -1 and 51
        {20, "0"},
        {20, "101"},
        {21, "1.5"},
        {21, "1000"},
        {22, "-5"},
        {28, "100000"},
        {32, "2"},  // Punkbuster
        {40, "3"},  // LFP speed
    };
    for (const auto& [index, value] : cases) {
        auto p = payload;
        p.fields.at(static_cast<std::size_t>(index)) = value;
        const auto fault = refused(p.text());
        ASSERT_TRUE(fault) << index << " = \"" << value << "\"";
        EXPECT_EQ(fault->rfind("field " + std::to_string(index) + " (", 0), 0u) << *fault;
    }
}

TEST_F(ServerUpdate, WrongRolesAreRefused) {
    const std::vector<std::vector<std::string>> cases = {
        {"Medic", "", "", ""},                             // the form's caption is not what travels
        {"cqb", "", "", ""},      {"", "", "Sniper", ""},  // right name, wrong position
        {"", "", "", "Engineer"}, {"CQB", "", ""},
        {"CQB", "", "", "", ""},  {"CQB ", "", "", ""},
    };
    for (const auto& roles : cases) {
        auto p = payload;
        p.roles = roles;
        EXPECT_TRUE(refused(p.text())) << join(roles, "|");
    }
}

TEST_F(ServerUpdate, WrongWeaponsAndAutoLoadAreRefused) {
    for (const std::string& weapons :
         {encodeBase64("Ghost Rifle"), std::string("|") + encodeBase64("Mortar, 81 mm"),
          encodeBase64("Mortar, 81 mm") + "|", std::string("TW9ydGFy LCA4MSBtbQ==")}) {
        auto p = payload;
        p.weapons = {weapons};
        EXPECT_TRUE(refused(p.text())) << weapons;
    }
    for (const char* flag : {"2", "", "01", "true"}) {
        auto p = payload;
        p.autoLoad = flag;
        EXPECT_TRUE(refused(p.text())) << flag;
    }
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
}

TEST_F(ServerUpdate, NoWeaponsAndNoRoles) {
    auto p = payload;
    p.weapons.clear();
    p.roles = {"", "", "", ""};
    ASSERT_EQ(applyUpdate(server, p.text()), std::nullopt);
    EXPECT_TRUE(std::none_of(server.weapons.begin(), server.weapons.end(),
                             [](const Weapon& w) { return w.selected; }));
    EXPECT_EQ(server.roles, (std::array<bool, 5>{}));
    EXPECT_NE(p.text().find("[-][-]|||[-]"), std::string::npos);
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
    std::string updateText = "Plugin_zelKORA_SetSettingsRem_k_VB6_1_" + changedPayload();

    std::string changedPayload() {
        auto p = payloadFromReply(settingsReply(defaultServer()));
        p.fields[5] = "45";
        return p.text();
    }
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

TEST_F(ServerAnswer, BadUpdatesAnswerZeroAndChangeNothing) {
    for (const std::string& text : {
             std::string("Plugin_zelKORA_SetSettingsRem_k_VB6_1_garbage"),
             // "_" cannot be part of a valid payload: the split leaves a tail that is not one
             updateText.substr(0, updateText.size() - 1) + "_1",
             std::string("Plugin_zelKORA_SetSettingsRem_k_VB6_x_") + changedPayload(),
         }) {
        EXPECT_EQ(answerRequest(server, text, persist).answer, "0") << text;
        EXPECT_EQ(server, defaultServer());
    }
    EXPECT_TRUE(persisted.empty());
}

TEST_F(ServerAnswer, AnythingElseGetsAnEmptyAnswer) {
    for (const char* text :
         {"", "hello", "Plugin_zelKORA_GetSettingsRem_k", "Plugin_zelKORA_Ping_k_VB6_1"})
        EXPECT_EQ(answerRequest(server, text, persist).answer, "") << text;
    EXPECT_EQ(server, defaultServer());
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
