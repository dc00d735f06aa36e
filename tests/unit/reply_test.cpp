#include <gtest/gtest.h>

#include "samples.h"

namespace kora {
namespace {

using enum Control;
using sample::enc;

struct Reply : ::testing::Test {
    fake::Rig rig;
    MemoryForm& form = rig.form();

    void receive(const std::string& data) { sample::receive(rig, data); }
    // The sample reply with some general fields replaced.
    static std::string with(std::initializer_list<std::pair<int, std::string>> changes) {
        auto fields = sample::general();
        for (const auto& [i, v] : changes) fields[static_cast<size_t>(i)] = v;
        return sample::reply(fields);
    }
};

TEST_F(Reply, FillsEveryKindOfControl) {
    receive(sample::reply());
    EXPECT_TRUE(rig.boxes->shown.empty());
    EXPECT_EQ(form.text(savServerName), "Duskwater One");
    EXPECT_EQ(form.text(savCountry), "GB");
    EXPECT_EQ(form.text(savSession), "LAN IP");
    EXPECT_EQ(form.text(savPlayers), "24");
    EXPECT_EQ(form.text(savTime), "45");
    EXPECT_EQ(form.text(savMessage), "Welcome\r\nPlay fair");
    EXPECT_EQ(form.text(savSpecPass), "");
    EXPECT_EQ(form.checkValue(savAutoBalance), 1);  // field 11 "0" ticks it
    EXPECT_EQ(form.text(savMaxFF), "10");           // 1-based on the wire
    EXPECT_EQ(form.text(savPSPTime), "10");
    EXPECT_EQ(form.text(savGamePort), "17479");
    EXPECT_EQ(form.optionElement(savPunkbuster), 1);
    EXPECT_EQ(form.optionElement(savLFPSpd), 2);
    EXPECT_EQ(form.text(savLanPort), "17480");
    EXPECT_TRUE(form.enabled(savMinPing));
    EXPECT_FALSE(form.enabled(lblMaxPing));
    EXPECT_EQ(form.checkValue(chkAutoLoad), 1);
    const std::string lists = sample::snapshot(form);
    EXPECT_NE(lists.find("lstRoles=Medic+ Sniper- Gunner+ Rifleman- Engineer+ \n"), std::string::npos);
    EXPECT_NE(lists.find("lstWeapons=Rifle+ Knife- Grenade+ \n"), std::string::npos);
    EXPECT_TRUE(rig.module.state.session.updateMaySend());
}

TEST_F(Reply, FieldConversions) {
    receive(with({{11, "1"}, {32, " 0 "}, {17, "1"}, {20, "0"}}));
    EXPECT_EQ(form.checkValue(savAutoBalance), 0);
    EXPECT_EQ(form.text(savGamePort), "17479");
    EXPECT_EQ(form.listIndex(savMaxFF), 0);
    EXPECT_EQ(form.listIndex(savPSPTime), -1);
    receive(with({{32, " 17480 "}, {25, "2"}, {2, " +0 "}, {11, "-32768"}}));
    EXPECT_EQ(form.checkValue(savAutoBalance), 1);  // the lowest 16-bit number is a number, and not 1
    EXPECT_EQ(form.text(savGamePort), " 17480 ");   // any other text is shown as it came
    EXPECT_FALSE(form.enabled(savMinPing));         // greyed is not ticked
    EXPECT_EQ(form.listIndex(savSession), 0);
}

TEST_F(Reply, WeaponEntries) {
    receive(sample::reply(sample::general(), "0|0|0|0|0|1",
                          enc("Rifle") + ",1|  |" + enc("Knife") + ",0|" + enc("Mortar") + ",2|"));
    EXPECT_NE(sample::snapshot(form).find("lstWeapons=Rifle+ Knife- Mortar+ \n"), std::string::npos);
    receive(sample::reply(sample::general(), "0|0|0|0|0", ""));
    EXPECT_EQ(form.itemCount(lstWeapons), 0);
}

TEST_F(Reply, ExtraSectionsAndFieldsAreIgnored) {
    auto fields = sample::general();
    fields.push_back("junk");
    receive(sample::reply(fields) + "[-]more");
    EXPECT_TRUE(rig.boxes->shown.empty());
    EXPECT_EQ(form.text(savLanPort), "17480");
}

// A reply that cannot be decoded whole leaves the form exactly as the last good one left it.
TEST_F(Reply, FaultyReplyChangesNothing) {
    receive(sample::reply());
    const std::string before = sample::snapshot(form);
    auto fortyTwo = sample::general();
    fortyTwo.pop_back();
    const std::string noAutoLoad = sample::join(sample::general(), "|") + "[-]1|1|1|1|1[-]";
    struct Case {
        std::string data;
        int32_t number;
        std::string description;
    };
    const Case cases[] = {
        {sample::reply(fortyTwo, "0|0|0|0|0", "", "0"), 9, "Subscript out of range in general field 42"},
        {with({{4, "abc"}}), 13, "Type mismatch in general field 4"},
        {with({{2, "40000"}}), 6, "Overflow in general field 2"},
        {with({{2, "2"}}), 380, "Invalid property value in general field 2"},
        {with({{4, "1.0"}}), 13, "Type mismatch in general field 4"},
        {with({{17, "1001"}}), 380, "Invalid property value in general field 17"},
        {with({{9, "3"}}), 380, "Invalid property value in general field 9"},
        {with({{11, ""}}), 13, "Type mismatch in general field 11"},
        {with({{33, "2"}}), 340, "Control array element doesn't exist in general field 33"},
        {with({{41, "-1"}}), 340, "Control array element doesn't exist in general field 41"},
        {sample::reply(sample::general(), "1|1|1|1"), 9, "Subscript out of range in role flag 4"},
        {sample::reply(sample::general(), "1|1|1|1|1", enc("Rifle")), 9, "Subscript out of range in weapon entry 0"},
        {noAutoLoad, 9, "Subscript out of range in the auto-load section"},
        // Text that is not the codec's encoding: the codec refuses it with 5.
        {sample::reply(sample::general(), "1|1|1|1|1", enc("Rifle") + ",1|//79,1"), 5,
         "Dec64: the decoded bytes are not valid UTF-8 text in weapon entry 1"},
        {sample::reply(sample::general(), "1|1|1|1|1", "*,1|" + enc("Knife") + ",0"), 5,
         "Dec64: the text is not valid Base64 in weapon entry 0"},
        {with({{12, "*"}}), 5, "Dec64: the text is not valid Base64 in general field 12"},
        {with({{3, "//79"}}), 5, "Dec64: the decoded bytes are not valid UTF-8 text in general field 3"},
    };
    for (const Case& c : cases) {
        fake::fetched(rig.module), rig.module.state.session.settingsDecoded(true);
        receive(c.data);
        ASSERT_FALSE(rig.utility->logged.empty()) << c.data;
        EXPECT_EQ(rig.utility->logged.back().number, c.number) << c.data;
        EXPECT_EQ(rig.utility->logged.back().description, c.description + " [" + c.data + "]");
        EXPECT_EQ(rig.boxes->shown.back().title, "DLL Error!");
        EXPECT_NE(rig.boxes->shown.back().text.find("Function/Sub: RemoteData\r\n\r\nError Report Sent: Yes"),
                  std::string::npos);
        EXPECT_EQ(rig.utility->reports.back().operation, "RemoteData");
        EXPECT_EQ(sample::snapshot(form), before) << c.data;
        EXPECT_FALSE(rig.module.state.session.updateMaySend());
        EXPECT_FALSE(rig.module.state.session.noData());
    }
}

// A Dec64 failure fails the reply whatever its number, 5 included.
TEST_F(Reply, CodecFailuresEndTheDecodingWhateverTheirNumber) {
    receive(sample::reply());
    const std::string before = sample::snapshot(form);
    for (const int32_t number : {5, 440}) {
        rig.codec->faults.clear();
        rig.codec->faults.add("Dec64", number, enc("Knife"));
        const std::string data = with({{0, enc("Renamed")}});
        receive(data);
        ASSERT_FALSE(rig.utility->logged.empty());
        EXPECT_EQ(rig.utility->logged.back().number, number);
        EXPECT_EQ(rig.utility->logged.back().description, describe(number) + " in weapon entry 1 [" + data + "]");
        EXPECT_EQ(rig.utility->reports.back().operation, "RemoteData");
        EXPECT_EQ(sample::snapshot(form), before) << number;
        EXPECT_FALSE(rig.module.state.session.updateMaySend());
    }
}

}  // namespace
}  // namespace kora
