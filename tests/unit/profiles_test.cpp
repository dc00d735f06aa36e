#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <utility>

#include "exchange/update.h"
#include "ini_text.h"
#include "profiles/profiles.h"
#include "samples.h"

namespace kora {
namespace {

using enum Control;

constexpr const char* kFile = "D:\\mine\\duskwater.ssf";

struct Profiles : ::testing::Test {
    fake::Rig rig;
    MemoryForm& form = rig.form();

    Profiles() {
        rig.files->addFolderTree("C:\\Suite\\profiles\\3");
        sample::receive(rig);
    }
    void save(const std::string& answer = kFile) {
        edited_.reset();
        rig.dialogs->answers.push_back(answer);
        onSaveMouseUp(rig.module, 1);
    }
    void load(const std::string& answer = kFile) {
        if (edited_) rig.utility->ini[kFile] = textOf(*std::exchange(edited_, std::nullopt));
        rig.dialogs->answers.push_back(answer);
        onLoadMouseUp(rig.module, 1);
    }
    // The profile as a person sees it, edited as a person edits the file; the
    // next load writes the edits back.
    using Section = std::map<std::string, std::string>;
    using Sections = std::map<std::string, Section>;
    Sections& profile() {
        if (!edited_) edited_ = sectionsOf(rig.utility->ini[kFile]);
        return *edited_;
    }
    Section& section(const std::string& name) { return profile()[name]; }
    static Sections sectionsOf(const std::string& text) {
        Sections sections;
        std::string name;
        for (size_t at = 0, end; at < text.size(); at = end + 1) {
            end = std::min(text.find('\n', at), text.size());
            const std::string line = text.substr(at, end - at - (text[end - 1] == '\r' ? 1 : 0));
            if (line.starts_with("["))
                name = line.substr(1, line.size() - 2);
            else if (const auto eq = line.find('='); eq != std::string::npos) {
                const std::string key = line.substr(0, eq);
                sections[name][key] = *suite::ini::read(text, name, key);
            }
        }
        return sections;
    }
    static std::string textOf(const Sections& sections) {
        std::string text;
        for (const auto& [name, entries] : sections)
            for (const auto& [key, value] : entries) text = suite::ini::write(text, name, key, value);
        return text;
    }
    size_t writes(const std::string& entry) const {
        const auto& w = rig.utility->iniWrites;
        return static_cast<size_t>(std::count(w.begin(), w.end(), entry));
    }

private:
    std::optional<Sections> edited_;
};

TEST_F(Profiles, SaveWritesEverySettingByKind) {
    form.setListIndex(savDelay, 45);
    form.setListIndex(savRespawn, -1);
    form.setOptionElement(savLFPSpd, -1);
    save();
    EXPECT_EQ(rig.lastBox(), "Success: Server Settings Saved Successfully.");
    const auto& server = section("Server");
    EXPECT_EQ(server.size(), 45u);
    EXPECT_EQ(server.at("Delay"), "45");
    EXPECT_EQ(server.at("PSPTime"), "9");  // shows "10"
    EXPECT_EQ(server.at("Session"), "1");  // "LAN IP"
    EXPECT_EQ(server.at("Players"), "23");
    EXPECT_EQ(server.at("Country"), "72");  // GB's place in the fixed list
    EXPECT_EQ(server.at("Dedicated"), "1");
    EXPECT_EQ(server.at("Respawn"), "-1");
    EXPECT_EQ(server.at("Message"), "Welcome\r\nPlay fair");
    EXPECT_EQ(server.at("GamePort"), "17479");
    EXPECT_EQ(writes("Server/Punkbuster=1"), 2u);  // once per option button, as the form walks them
    EXPECT_EQ(writes("Server/LFPSpd=-1"), 3u);
    EXPECT_EQ(rig.utility->iniWrites.front(), "Server/Time=45");
    EXPECT_EQ(section("Roles"),
              (Section{{"Medic", "1"}, {"Sniper", "0"}, {"Gunner", "1"}, {"Rifleman", "0"}, {"Engineer", "1"}}));
    EXPECT_EQ(section("Weapons"), (Section{{"Rifle", "1"}, {"Knife", "0"}, {"Grenade", "1"}}));
    ASSERT_EQ(rig.dialogs->asked.size(), 1u);
    const FileDialogRequest& asked = rig.dialogs->asked[0];
    EXPECT_TRUE(asked.save);
    EXPECT_EQ(asked.title, "Save Server Settings");
    EXPECT_EQ(asked.filter, "Server Settings File (*.ssf)|*.ssf");
    EXPECT_EQ(asked.initialDir, "C:\\Suite\\profiles\\3\\settings");
    EXPECT_EQ(asked.flags, 0xC0804u);
    EXPECT_EQ(form.buttonStates, (std::vector<std::string>{"cmdSaveImg:Up"}));
}

TEST_F(Profiles, SaveOutcomes) {
    rig.module.state.session.answered(true);
    save();
    EXPECT_EQ(rig.lastBox(),
              "Failed!: There seems to have been a problem collecting data!\r\n\r\n"
              "Unable to save server settings!");
    EXPECT_TRUE(rig.dialogs->asked.empty());
    rig.dialogs->answers.clear();
    rig.module.state.session.answered(false);
    rig.boxes->shown.clear();
    save("");
    EXPECT_TRUE(rig.boxes->shown.empty());
    EXPECT_TRUE(rig.utility->iniWrites.empty());
    rig.utility->writesNoFile = true;
    save();
    EXPECT_EQ(rig.lastBox(), "Failed!: Failed to Save Server Settings!.");
    rig.utility->writesNoFile = false;
    rig.utility->writesNothing = true;
    save();
    EXPECT_EQ(rig.lastBox(), "Failed!: Failed to Write Data to Server Settings File!.");
}

TEST_F(Profiles, SaveCutShortLeavesNoNewFileAndRestoresAnExistingOne) {
    rig.utility->disk = rig.files.get();
    rig.utility->faults.add("WriteIniKey", 75, "Sniper");
    save();
    ASSERT_FALSE(rig.utility->logged.empty());
    EXPECT_EQ(rig.utility->logged.back().number, 75);
    EXPECT_EQ(rig.lastBox().substr(0, 11), "DLL Error!:");
    EXPECT_FALSE(rig.files->fileExists(kFile));
    rig.utility->faults.clear();
    save();
    ASSERT_TRUE(rig.files->fileExists(kFile));
    // Saved over with other values, cut short: the profile is as it was.
    const auto before = rig.utility->ini[kFile];
    form.setText(savTime, "59");
    rig.utility->faults.add("WriteIniKey", 75, "Sniper");
    save();
    EXPECT_TRUE(rig.files->fileExists(kFile));
    EXPECT_EQ(rig.utility->ini[kFile], before);
    const std::string backup = std::string(kFile) + ".korastand-backup";
    EXPECT_FALSE(rig.files->fileExists(backup));
    // Saved over in full: the new values, and the copy gone.
    rig.utility->faults.clear();
    save();
    EXPECT_EQ(section("Server").at("Time"), "59");
    EXPECT_FALSE(rig.files->fileExists(backup));
    EXPECT_EQ(rig.files->calls.back(), "deleteFile " + backup);
}

TEST_F(Profiles, ProfileFolderIsCreatedOneLevelOnly) {
    rig.module.state.hostIndex = 0;
    EXPECT_EQ(profileFolder(rig.module), "C:\\Suite\\profiles\\0\\settings");
    save();
    EXPECT_EQ(rig.utility->reports.back().operation, "cmdSave");
    EXPECT_EQ(rig.utility->logged.back().number, 76);
    EXPECT_TRUE(rig.dialogs->asked.empty());
    rig.files->addFolderTree("C:\\Suite\\profiles\\0");
    load("");
    EXPECT_TRUE(rig.files->folderExists("C:\\Suite\\profiles\\0\\settings"));
    EXPECT_EQ(rig.dialogs->asked.back().title, "Load Saved Server Settings");
    EXPECT_FALSE(rig.dialogs->asked.back().save);
}

// Save, change the form, load: the form and the next update are as before the change.
TEST_F(Profiles, LoadAppliesTextsAndNoSelection) {
    save();
    profile().erase("Roles");
    section("Weapons").erase("Knife");
    section("Weapons")["Grenade"] = "yes";
    section("Weapons")["Mortar"] = "1";
    auto& server = section("Server");
    server["ServerName"] = "";
    server["Delay"] = "-1";
    server["LFPSpd"] = "-1";
    server["MinPingChk"] = "2";
    server["MinPing"] = "30";
    server["GamePort"] = "1234";
    server["Country"] = "-1";
    load();
    EXPECT_EQ(rig.lastBox(), "Success: Server Settings Loaded.");
    EXPECT_EQ(form.text(savServerName), "");
    EXPECT_EQ(form.listIndex(savDelay), -1);
    EXPECT_EQ(form.optionElement(savLFPSpd), -1);
    EXPECT_EQ(form.listIndex(savCountry), -1);
    // A limit disabled by its check box and the display-only port still load.
    EXPECT_EQ(form.text(savMinPing), "30");
    EXPECT_FALSE(form.enabled(savMinPing));
    EXPECT_EQ(form.text(savGamePort), "1234");
    const std::string lists = sample::snapshot(form);
    EXPECT_NE(lists.find("lstRoles=Medic- Sniper- Gunner- Rifleman- Engineer- \n"), std::string::npos);
    EXPECT_NE(lists.find("lstWeapons=Rifle+ Knife- Grenade- \n"), std::string::npos);
}

TEST_F(Profiles, UnusableValueLoadsNothing) {
    save();
    const auto saved = rig.utility->ini[kFile];
    form.setText(savServerName, "kept");
    form.setItemSelected(lstRoles, 1, true);
    const std::string before = sample::snapshot(form);
    const struct {
        const char* key;
        const char* value;
        int32_t number;
    } cases[] = {{"FFKills", "", 13},    {"Delay", "abc", 13},     {"Delay", "601", 380},   {"Players", "1.0", 13},
                 {"Players", "64", 380}, {"MinPingChk", "3", 380}, {"Country", "232", 380}, {"Punkbuster", "2", 340},
                 {"LFPSpd", "-2", 340},  {"Session", "2", 380}};
    for (const auto& c : cases) {
        rig.utility->ini[kFile] = saved;
        section("Server")[c.key] = c.value;
        load();
        EXPECT_EQ(rig.utility->logged.back().number, c.number) << c.key << "=" << c.value;
        EXPECT_EQ(rig.utility->logged.back().description,
                  describe(c.number) + " (Server: " + c.key + "=" + c.value + ")");
        EXPECT_EQ(rig.utility->reports.back().operation, "cmdLoad");
        EXPECT_EQ(sample::snapshot(form), before) << c.key << "=" << c.value;
    }
}

TEST_F(Profiles, LoadPassesOverKeyNotFound) {
    save();
    section("Server")["Delay"] = "7";
    section("Server")["Respawn"] = "7";
    section("Roles")["Medic"] = "0";
    rig.utility->faults.add("GetIniKey", 730, "Delay");
    rig.utility->faults.add("GetIniKey", 730, "Sniper");
    form.setItemSelected(lstRoles, 1, true);
    load();
    EXPECT_EQ(rig.lastBox(), "Success: Server Settings Loaded.");
    EXPECT_EQ(form.listIndex(savDelay), 3);  // kept
    EXPECT_EQ(form.listIndex(savRespawn), 7);
    EXPECT_FALSE(form.itemSelected(lstRoles, 0));
    EXPECT_FALSE(form.itemSelected(lstRoles, 1));  // a key that could not be read is not "1"
    rig.utility->faults.clear();
    rig.utility->faults.add("GetIniKey", 70, "Respawn");
    section("Server")["Respawn"] = "9";
    load();
    EXPECT_EQ(rig.utility->logged.back().number, 70);
    EXPECT_EQ(form.listIndex(savRespawn), 7);
}

TEST_F(Profiles, LoadKeepsWhatPrivilegesLock) {
    save();
    auto& server = section("Server");
    server["Session"] = "9";  // never applied, so never a reason to refuse the profile
    server["Players"] = "0";
    server["Dedicated"] = "0";
    server["Skins"] = "1";
    server["Time"] = "60";
    form.setEnabled(savSession, false);
    form.setEnabled(savPlayers, false);
    form.setEnabled(savSkins, false);
    load();
    EXPECT_EQ(rig.lastBox(), "Success: Server Settings Loaded.");
    EXPECT_EQ(form.listIndex(savSession), 1);
    EXPECT_EQ(form.listIndex(savPlayers), 23);
    EXPECT_EQ(form.checkValue(savSkins), 0);
    EXPECT_EQ(form.checkValue(savDedicated), 0);  // still enabled: loaded
    EXPECT_EQ(form.text(savTime), "60");
}

}  // namespace
}  // namespace kora
