#include <gtest/gtest.h>

#include "exchange/update.h"
#include "samples.h"

namespace kora {
namespace {

using enum Control;

constexpr const char* kReplyFile = "C:\\Suite\\RCData\\reply_zelKORA_SetSettingsRem.txt";
constexpr const char* kPrefix = "Plugin_zelKORA_SetSettingsRem_KEY_VB6_3_";

struct Update : ::testing::Test {
    fake::Rig rig;
    MemoryForm& form = rig.form();

    std::string click(int button = 1) {
        rig.utility->written.clear();
        onUpdateMouseUp(rig.module, button);
        EXPECT_EQ(rig.form().pointers, (std::vector<int>{11, 0}));
        rig.form().pointers.clear();
        if (rig.utility->written.empty()) return {};
        EXPECT_EQ(rig.utility->written.back().first, kReplyFile);
        return rig.utility->written.back().second;
    }
    void select(Control list, std::initializer_list<int> items) {
        for (int i : items) form.setItemSelected(list, i, true);
    }
};

// The untouched design form, as if the server had sent it: every correction fires.
TEST_F(Update, CorrectsEveryFieldOfAnEmptyForm) {
    fake::fetched(rig.module), rig.module.state.session.settingsDecoded(true);
    form.setEnabled(savSession, false);  // privileges do not exempt a control from the request
    EXPECT_EQ(click(), std::string(kPrefix) +
                           "VW50aXRsZWQ=|c2F2Q291bnRyeQ==|0||49|30|2|2|8|0|0|1|||||0|6|0|0|15|210|100|"
                           "0|0|0|0|0|15000|0|0|0|1|0|6|180|0|60|300|20|2[-][-]|||[-]0");
    EXPECT_EQ(form.text(savServerName), "Untitled");
    EXPECT_EQ(form.text(savPlayers), "50");
    EXPECT_EQ(form.text(savTime), "30");
    EXPECT_EQ(form.listIndex(savSession), 0);
    EXPECT_EQ(form.listIndex(savMaps), -1);  // "2" went out, but there is no third item to select
    EXPECT_EQ(form.text(savDelay), "2");
    EXPECT_EQ(form.text(savRespawn), "8");
    EXPECT_EQ(form.text(savMaxFF), "5");
    EXPECT_EQ(form.text(savPSPTime), "15");
    EXPECT_EQ(form.text(savFlagReturn), "");  // sent as 210, not written back
    EXPECT_EQ(form.text(savMinPing), "0");
    EXPECT_EQ(form.text(savArmoryReuse), "20");
    // Field 0 is encoded with the section, after the fields encoded while correcting.
    EXPECT_EQ(rig.codec->encoded, (std::vector<std::string>{"savCountry", "Untitled"}));
}

TEST_F(Update, EncodesTheCorrectedTextsFirstThenTheNameThenTheWeapons) {
    sample::receive(rig);
    rig.codec->encoded.clear();
    form.setText(savSpecPass, "watcher");
    ASSERT_NE(click(), "");
    EXPECT_EQ(rig.codec->encoded, (std::vector<std::string>{"GB", "secret", "Welcome\r\nPlay fair", "blue", "red",
                                                            "watcher", "Duskwater One", "Rifle", "Grenade"}));
}

TEST_F(Update, SendsValuesAtTheirBoundsAsTheyAre) {
    sample::receive(rig);
    form.setText(savServerName, " Duskwater One ");
    form.setText(savPassword, "pw");
    form.setListIndex(savPlayers, 0);
    form.setText(savTime, "100");
    form.setText(savRedPass, "  ");
    form.setText(savSpecPass, "b");
    form.setListIndex(savRespawn, 120);
    form.setListIndex(savMaxFF, 50);
    form.setListIndex(savPSPTime, 99);
    form.setCheckValue(savSkins, 2);
    form.setText(savFlagReturn, "abc");
    form.setText(savLives, " 5 ");
    form.setText(savMaxPing, "1e3");
    form.setText(savVoteMin, "-2");
    form.setText(savVoteTime, "90.5");
    form.setText(savChangeTime, "x");
    form.setOptionElement(savPunkbuster, 0);
    form.setOptionElement(savLFPSpd, 1);
    form.setItemSelected(lstRoles, 4, false);
    form.setItemSelected(lstRoles, 1, true);
    EXPECT_EQ(click(), std::string(kPrefix) +
                           "IER1c2t3YXRlciBPbmUg|R0I=|1|cHc=|0|100|3|1|120|1|2|0|V2VsY29tZQ0KUGxheSBmYWly|"
                           "Ymx1ZQ==||Yg==|1|51|0|1|100|210| 5 |1|0|1|25|0|1e3|0|1|0|0|1|-2|90.5|0|60|300|"
                           "20|1[-]UmlmbGU=|R3JlbmFkZQ==[-]CQB|Sniper|Gunner|[-]1");
    EXPECT_EQ(form.text(savFlagReturn), "abc");
    EXPECT_EQ(form.text(savChangeTime), "60");
    EXPECT_EQ(rig.form().buttonStates, (std::vector<std::string>{"cmdUpdateImg:Up"}));
}

TEST_F(Update, ReplacesValuesJustOutsideTheirBounds) {
    sample::receive(rig);
    form.setListIndex(savPlayers, 63);  // "64"
    form.setText(savTime, "-1");
    form.setListIndex(savDelay, 4);
    form.setListIndex(savRespawn, 121);
    form.setListIndex(savMaxFF, 51);
    form.setText(savMinPing, "1,5");
    form.setCheckValue(savAutoBalance, 0);
    form.setCheckValue(chkAutoLoad, 0);
    for (int i = 0; i < 5; ++i) form.setItemSelected(lstRoles, i, i == 4);
    for (int i = 0; i < 3; ++i) form.setItemSelected(lstWeapons, i, i == 1);
    EXPECT_EQ(click(3), std::string(kPrefix) +
                            "RHVza3dhdGVyIE9uZQ==|R0I=|1|c2VjcmV0|49|30|2|1|8|1|0|1|V2VsY29tZQ0KUGxheSBmYWly|"
                            "Ymx1ZQ==|cmVk||1|6|0|1|10|180|50|1|0|1|0|0|900|0|1|0|1|1|4|90|0|60|300|20|"
                            "2[-]S25pZmU=[-]|||[-]0");
    EXPECT_EQ(form.text(savPlayers), "50");
    EXPECT_EQ(form.text(savMinPing), "0");
    EXPECT_TRUE(rig.form().buttonStates.empty());  // only the left button changes the image
}

TEST_F(Update, EachUpdateRecreatesTheReplyFile) {
    sample::receive(rig);
    rig.files->calls.clear();
    click();
    click();
    const std::string file = kReplyFile;
    EXPECT_EQ(rig.files->calls, (std::vector<std::string>{"createFolder C:\\Suite\\RCData", "createTextFile " + file,
                                                          "deleteFile " + file, "createTextFile " + file}));
}

TEST_F(Update, ComponentFailurePartWayIsReported) {
    sample::receive(rig);
    form.setText(savServerName, "");
    rig.codec->faults.add("Enc64", 440, "blue");
    EXPECT_EQ(click(), "");
    EXPECT_EQ(rig.utility->reports.back().operation, "cmdUpdate");
    EXPECT_EQ(rig.boxes->shown.back().title, "DLL Error!");
    EXPECT_EQ(form.text(savServerName), "Untitled");  // corrections made so far stay
    rig.codec->faults.clear();
    rig.utility->faults.add("WriteFile", 70);
    EXPECT_EQ(click(), "");
    EXPECT_EQ(rig.utility->logged.back().number, 70);
    EXPECT_EQ(rig.utility->reports.back().operation, "cmdUpdate");
}

}  // namespace
}  // namespace kora
