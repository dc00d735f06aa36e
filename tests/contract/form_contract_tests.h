// The form contract, written once and run against both realisations of the
// settings form: the in-memory form (natively, tests/unit) and the real Win32
// form (under Wine, tests/win). Include it in exactly one file of a test
// program, which instantiates it with its realisation.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "form_contract.h"

namespace kora::contract {

class FormContract : public ::testing::TestWithParam<FormRealisation> {
protected:
    void SetUp() override {
        Module::Services services;
        services.boxes = boxes_;
        if (GetParam().files) services.files = GetParam().files();
        services.createForm = GetParam().create;
        module_ = std::make_unique<Module>(std::move(services));
    }
    void TearDown() override { module_->unloadForm(); }

    Module& module() { return *module_; }
    FormWindow& form() { return module_->form(); }
    RecordingBoxes& boxes() { return *boxes_; }
    const FormRealisation& user() const { return GetParam(); }

    std::vector<int> selectedItems(Control list) {
        std::vector<int> out;
        for (int i = 0; i < form().itemCount(list); ++i)
            if (form().itemSelected(list, i)) out.push_back(i);
        return out;
    }

private:
    std::shared_ptr<RecordingBoxes> boxes_ = std::make_shared<RecordingBoxes>();
    std::unique_ptr<Module> module_;
};

using C = Control;

// --- Form_Load ---------------------------------------------------------------

TEST_P(FormContract, NumberListsHoldEachNumberAtItsIndexAfterLoad) {
    for (Control c : {C::savRespawn, C::savDelay}) {
        ASSERT_EQ(form().itemCount(c), 601) << name(c);
        for (int n = 0; n <= 600; ++n) ASSERT_EQ(form().itemText(c, n), std::to_string(n)) << name(c);
    }
    ASSERT_EQ(form().itemCount(C::savMaxFF), 1000);
    for (int n = 0; n <= 999; ++n) ASSERT_EQ(form().itemText(C::savMaxFF, n), std::to_string(n));
    EXPECT_EQ(form().listIndex(C::savDelay), -1);
    EXPECT_EQ(form().text(C::savDelay), "");
    form().setListIndex(C::savDelay, 600);
    EXPECT_EQ(form().text(C::savDelay), "600");
    form().setText(C::savMaxFF, "999");
    EXPECT_EQ(form().listIndex(C::savMaxFF), 999);
}

TEST_P(FormContract, DesignStateOfListsTextsChecksAndOptions) {
    EXPECT_EQ(form().itemCount(C::savPSPTime), 100);
    EXPECT_EQ(form().itemText(C::savPSPTime, 0), "1");
    EXPECT_EQ(form().itemText(C::savPSPTime, 99), "100");
    ASSERT_EQ(form().itemCount(C::savPlayers), 64);
    EXPECT_EQ(form().itemText(C::savPlayers, 63), "64");
    EXPECT_EQ(form().itemText(C::savMaps, 1), "Yes");
    EXPECT_EQ(form().itemText(C::savSession, 1), "LAN IP");
    ASSERT_EQ(form().itemCount(C::savCountry), 232);
    EXPECT_EQ(form().itemText(C::savCountry, 103), "JO");  // the code after JM
    EXPECT_EQ(form().itemText(C::savCountry, 231), "ZW");
    ASSERT_EQ(form().itemCount(C::lstRoles), 5);
    EXPECT_EQ(form().itemText(C::lstRoles, 4), "Engineer");
    EXPECT_EQ(form().itemCount(C::lstWeapons), 0);
    EXPECT_EQ(selectedItems(C::lstRoles), std::vector<int>{});

    EXPECT_EQ(form().text(C::savCountry), "savCountry");
    EXPECT_EQ(form().listIndex(C::savCountry), -1);
    for (const ControlRow& r : settingControls()) {
        switch (r.kind) {
        case Kind::Text: EXPECT_EQ(form().text(r.id), "") << r.name; break;
        case Kind::Check: EXPECT_EQ(form().checkValue(r.id), 0) << r.name; break;
        case Kind::Combo:
        case Kind::List: EXPECT_EQ(form().listIndex(r.id), -1) << r.name; break;
        case Kind::Option: EXPECT_EQ(form().optionElement(r.id), -1) << r.name; break;
        default: break;
        }
    }
    EXPECT_EQ(form().optionElement(C::optRoles), 0);
    EXPECT_EQ(form().optionElement(C::optWeapons), 0);
    EXPECT_EQ(form().checkValue(C::chkAutoLoad), 0);
    EXPECT_EQ(form().text(C::chkAutoLoad), "Autoload last known settings on start up.");
    EXPECT_EQ(form().text(C::lblMinPing), "Min Ping:");
    EXPECT_EQ(form().text(C::lblMaxPing), "Max Ping:");
}

TEST_P(FormContract, EnabledStatesOfTheDesign) {
    for (Control c : {C::savMinPing, C::savMaxPing, C::lblMinPing, C::lblMaxPing, C::savGamePort, C::savLanPort})
        EXPECT_FALSE(form().enabled(c)) << name(c);
    for (Control c : {C::savSession, C::savPlayers, C::savDedicated, C::savSkins, C::savPunkbuster, C::savCountry,
                      C::savMessage, C::lstRoles, C::optWeapons, C::chkAutoLoad})
        EXPECT_TRUE(form().enabled(c)) << name(c);
    form().setEnabled(C::savPunkbuster, false);
    EXPECT_FALSE(form().enabled(C::savPunkbuster));
    form().setEnabled(C::savPlayers, false);
    EXPECT_FALSE(form().enabled(C::savPlayers));
    form().setEnabled(C::savPlayers, true);
    EXPECT_TRUE(form().enabled(C::savPlayers));
}

// --- savCountry: its index always matches its text ------------------------------

TEST_P(FormContract, CountryTextFromCodeSelectsTheItemWithExactlyThatText) {
    form().setText(C::savCountry, "GB");
    EXPECT_EQ(form().listIndex(C::savCountry), indexOfCountry("GB"));
    form().setText(C::savCountry, "UK");
    EXPECT_EQ(form().listIndex(C::savCountry), indexOfCountry("UK"));
    EXPECT_EQ(form().text(C::savCountry), "UK");
    form().setText(C::savCountry, "uk");  // letter case counts
    EXPECT_EQ(form().listIndex(C::savCountry), -1);
    EXPECT_EQ(form().text(C::savCountry), "uk");
    form().setText(C::savCountry, "Atlantis");
    EXPECT_EQ(form().listIndex(C::savCountry), -1);
    EXPECT_EQ(form().text(C::savCountry), "Atlantis");
}

TEST_P(FormContract, CountryIndexFromCodeShowsItsText) {
    form().setListIndex(C::savCountry, 0);
    EXPECT_EQ(form().text(C::savCountry), "AD");
    form().setListIndex(C::savCountry, 231);
    EXPECT_EQ(form().text(C::savCountry), "ZW");
    form().setListIndex(C::savCountry, -1);
    EXPECT_EQ(form().text(C::savCountry), "");
    EXPECT_EQ(errorOf([&] { form().setListIndex(C::savCountry, 232); }), err::InvalidPropertyValue);
}

TEST_P(FormContract, TypingACountryCodeSelectsItsItem) {
    if (!user().typeCountry) GTEST_SKIP() << "only a real control types";
    user().typeCountry(module(), "US");
    EXPECT_EQ(form().listIndex(C::savCountry), indexOfCountry("US"));
    EXPECT_EQ(form().text(C::savCountry), "US");
    user().typeCountry(module(), "Us");
    EXPECT_EQ(form().listIndex(C::savCountry), -1);
    EXPECT_EQ(form().text(C::savCountry), "Us");
    user().typeCountry(module(), "JO");
    EXPECT_EQ(form().listIndex(C::savCountry), indexOfCountry("JO"));
}

// --- Values a control cannot take ------------------------------------------------

TEST_P(FormContract, CheckBoxesHoldZeroOneTwoAndRefuseOtherValues) {
    for (int v : {1, 2, 0}) {
        form().setCheckValue(C::savVoting, v);
        EXPECT_EQ(form().checkValue(C::savVoting), v);
    }
    form().setCheckValue(C::savVoting, 2);
    EXPECT_EQ(errorOf([&] { form().setCheckValue(C::savVoting, 3); }), err::InvalidPropertyValue);
    EXPECT_EQ(errorOf([&] { form().setCheckValue(C::savVoting, -1); }), err::InvalidPropertyValue);
    EXPECT_EQ(form().checkValue(C::savVoting), 2);
    EXPECT_EQ(errorOf([&] { form().setCheckValue(C::savTime, 1); }), err::InvalidPropertyValue);
}

TEST_P(FormContract, ListIndexOutsideTheItemsIsRefused) {
    form().setListIndex(C::savSession, 1);
    EXPECT_EQ(errorOf([&] { form().setListIndex(C::savSession, 2); }), err::InvalidPropertyValue);
    EXPECT_EQ(errorOf([&] { form().setListIndex(C::savSession, -2); }), err::InvalidPropertyValue);
    EXPECT_EQ(form().listIndex(C::savSession), 1);
    EXPECT_EQ(form().text(C::savSession), "LAN IP");
    form().setListIndex(C::savSession, -1);
    EXPECT_EQ(form().text(C::savSession), "");

    EXPECT_EQ(errorOf([&] { form().setListIndex(C::savPlayers, 64); }), err::InvalidPropertyValue);
    form().setListIndex(C::savPlayers, 63);
    EXPECT_EQ(form().text(C::savPlayers), "64");
    EXPECT_EQ(errorOf([&] { form().itemText(C::savPlayers, 64); }), err::InvalidPropertyValue);
    EXPECT_EQ(errorOf([&] { form().itemText(C::savPlayers, -1); }), err::InvalidPropertyValue);
}

TEST_P(FormContract, DropDownListTextMustBeOneOfItsItems) {
    form().setText(C::savSession, "LAN IP");
    EXPECT_EQ(form().listIndex(C::savSession), 1);
    EXPECT_EQ(errorOf([&] { form().setText(C::savSession, "lan ip"); }), err::InvalidPropertyValue);
    EXPECT_EQ(errorOf([&] { form().setText(C::savRespawn, "007"); }), err::InvalidPropertyValue);
    EXPECT_EQ(form().listIndex(C::savSession), 1);
    form().setText(C::savPlayers, "50");
    EXPECT_EQ(form().listIndex(C::savPlayers), 49);
}

TEST_P(FormContract, OptionGroupsTakeTheirElementsOrNone) {
    form().setOptionElement(C::savPunkbuster, 1);
    EXPECT_EQ(form().optionElement(C::savPunkbuster), 1);
    form().setOptionElement(C::savPunkbuster, 0);
    EXPECT_EQ(form().optionElement(C::savPunkbuster), 0);
    EXPECT_EQ(errorOf([&] { form().setOptionElement(C::savPunkbuster, 2); }), err::ControlArrayElement);
    EXPECT_EQ(errorOf([&] { form().setOptionElement(C::savPunkbuster, -2); }), err::ControlArrayElement);
    EXPECT_EQ(form().optionElement(C::savPunkbuster), 0);
    form().setOptionElement(C::savLFPSpd, 2);
    EXPECT_EQ(errorOf([&] { form().setOptionElement(C::savLFPSpd, 3); }), err::ControlArrayElement);
    EXPECT_EQ(form().optionElement(C::savLFPSpd), 2);
    form().setOptionElement(C::savLFPSpd, -1);
    EXPECT_EQ(form().optionElement(C::savLFPSpd), -1);
}

TEST_P(FormContract, OnlyListsHoldItems) {
    EXPECT_EQ(errorOf([&] { form().addItem(C::savTime, "x"); }), err::InvalidPropertyValue);
    EXPECT_EQ(errorOf([&] { form().clearItems(C::savVoting); }), err::InvalidPropertyValue);
    EXPECT_EQ(form().itemCount(C::savTime), 0);
}

// --- Multi-select restriction lists ------------------------------------------------

TEST_P(FormContract, ClickingARestrictionItemTogglesThatItemAlone) {
    if (!user().clickItem) GTEST_SKIP() << "only a real list box toggles an item";
    user().clickItem(module(), C::lstRoles, 2);
    EXPECT_EQ(selectedItems(C::lstRoles), (std::vector<int>{2}));
    user().clickItem(module(), C::lstRoles, 4);
    EXPECT_EQ(selectedItems(C::lstRoles), (std::vector<int>{2, 4}));
    user().clickItem(module(), C::lstRoles, 2);
    EXPECT_EQ(selectedItems(C::lstRoles), (std::vector<int>{4}));
}

TEST_P(FormContract, SelectionFromCodeIsIndependentPerItem) {
    form().setItemSelected(C::lstRoles, 0, true);
    form().setItemSelected(C::lstRoles, 3, true);
    form().setItemSelected(C::lstRoles, 0, false);
    EXPECT_EQ(selectedItems(C::lstRoles), (std::vector<int>{3}));
    EXPECT_EQ(errorOf([&] { form().setItemSelected(C::lstRoles, 5, true); }), err::InvalidPropertyValue);
    EXPECT_EQ(errorOf([&] { form().itemSelected(C::lstWeapons, 0); }), err::InvalidPropertyValue);
    for (const char* w : {"M16", "AK-47", "Knife"}) form().addItem(C::lstWeapons, w);
    form().setItemSelected(C::lstWeapons, 2, true);
    EXPECT_EQ(selectedItems(C::lstWeapons), (std::vector<int>{2}));
    form().clearItems(C::lstWeapons);
    EXPECT_EQ(form().itemCount(C::lstWeapons), 0);
}

// --- Ping limits follow their check boxes ------------------------------------------

TEST_P(FormContract, PingLimitsFollowTheirCheckBoxesSetFromCode) {
    form().setCheckValue(C::savMinPingChk, 1);
    EXPECT_TRUE(form().enabled(C::lblMinPing));
    EXPECT_TRUE(form().enabled(C::savMinPing));
    EXPECT_FALSE(form().enabled(C::savMaxPing));  // the other limit is untouched
    form().setCheckValue(C::savMinPingChk, 2);
    EXPECT_FALSE(form().enabled(C::lblMinPing));
    EXPECT_FALSE(form().enabled(C::savMinPing));
    form().setCheckValue(C::savMaxPingChk, 1);
    EXPECT_TRUE(form().enabled(C::lblMaxPing));
    EXPECT_TRUE(form().enabled(C::savMaxPing));
    form().setCheckValue(C::savMaxPingChk, 0);
    EXPECT_FALSE(form().enabled(C::lblMaxPing));
    EXPECT_FALSE(form().enabled(C::savMaxPing));
}

TEST_P(FormContract, UserClickTogglesACheckBoxAndThePingLimitFollows) {
    user().clickCheck(module(), C::savMaxPingChk);
    EXPECT_EQ(form().checkValue(C::savMaxPingChk), 1);
    EXPECT_TRUE(form().enabled(C::savMaxPing));
    EXPECT_TRUE(form().enabled(C::lblMaxPing));
    user().clickCheck(module(), C::savMaxPingChk);
    EXPECT_EQ(form().checkValue(C::savMaxPingChk), 0);
    EXPECT_FALSE(form().enabled(C::savMaxPing));
    form().setCheckValue(C::savMinPingChk, 2);
    user().clickCheck(module(), C::savMinPingChk);  // greyed -> ticked
    EXPECT_EQ(form().checkValue(C::savMinPingChk), 1);
    EXPECT_TRUE(form().enabled(C::savMinPing));
    user().clickCheck(module(), C::chkAutoLoad);
    EXPECT_EQ(form().checkValue(C::chkAutoLoad), 1);
}

// --- Select All / Select None --------------------------------------------------------

TEST_P(FormContract, SelectAllAndNoneOfRoles) {
    form().setItemSelected(C::lstRoles, 1, true);
    user().clickOption(module(), C::optRoles, 1);
    EXPECT_EQ(form().optionElement(C::optRoles), 1);
    EXPECT_EQ(selectedItems(C::lstRoles), std::vector<int>{});
    user().clickOption(module(), C::optRoles, 0);
    EXPECT_EQ(form().optionElement(C::optRoles), 0);
    EXPECT_EQ(selectedItems(C::lstRoles), (std::vector<int>{0, 1, 2, 3, 4}));
    // Clicking the chosen element again still applies it.
    form().setItemSelected(C::lstRoles, 3, false);
    user().clickOption(module(), C::optRoles, 0);
    EXPECT_EQ(selectedItems(C::lstRoles), (std::vector<int>{0, 1, 2, 3, 4}));
}

TEST_P(FormContract, SelectAllAndNoneOfWeaponsWithData) {
    for (const char* w : {"M16", "AK-47", "Knife", "Ünïcødé"}) form().addItem(C::lstWeapons, w);
    user().clickOption(module(), C::optWeapons, 0);
    EXPECT_EQ(selectedItems(C::lstWeapons), (std::vector<int>{0, 1, 2, 3}));
    user().clickOption(module(), C::optWeapons, 1);
    EXPECT_EQ(selectedItems(C::lstWeapons), std::vector<int>{});
    EXPECT_TRUE(boxes().shown.empty());
}

TEST_P(FormContract, SelectNoneOfAnEmptyWeaponListDoesNothing) {
    user().clickOption(module(), C::optWeapons, 1);
    EXPECT_EQ(form().itemCount(C::lstWeapons), 0);
    EXPECT_TRUE(boxes().shown.empty());
}

TEST_P(FormContract, WeaponsSelectionRefusedWhenNoDataWasReceived) {
    form().addItem(C::lstWeapons, "M16");
    form().addItem(C::lstWeapons, "Knife");
    form().setItemSelected(C::lstWeapons, 1, true);
    module().state.session.answered(true);
    user().clickOption(module(), C::optWeapons, 0);
    ASSERT_EQ(boxes().shown.size(), 1u);
    EXPECT_EQ(boxes().shown[0].first, "Failed!");
    EXPECT_EQ(boxes().shown[0].second,
              "There seems to have been a problem collecting data!\r\n\r\nUnable to update weapon restrictions!");
    EXPECT_EQ(selectedItems(C::lstWeapons), (std::vector<int>{1}));
}

// --- The player spinner ---------------------------------------------------------------

TEST_P(FormContract, ScrollingPlayersOneStepDownFromOneSelectsTwo) {
    form().setListIndex(C::savPlayers, 0);
    EXPECT_EQ(form().text(C::savPlayers), "1");
    user().scrollPlayersDown(module());
    EXPECT_EQ(form().listIndex(C::savPlayers), 1);
    EXPECT_EQ(form().text(C::savPlayers), "2");
    user().scrollPlayersDown(module());
    EXPECT_EQ(form().text(C::savPlayers), "3");
}

TEST_P(FormContract, AffiliatePlayersAreAppendedOnce) {
    extendPlayersForAffiliate(form());
    extendPlayersForAffiliate(form());
    ASSERT_EQ(form().itemCount(C::savPlayers), 250);
    for (int i = 0; i < 250; ++i) ASSERT_EQ(form().itemText(C::savPlayers, i), std::to_string(i + 1));
    form().setText(C::savPlayers, "250");
    EXPECT_EQ(form().listIndex(C::savPlayers), 249);
}

// --- Text ---------------------------------------------------------------------------------

TEST_P(FormContract, UnicodeTextRoundTrips) {
    const std::string text =
        "\xC3\x9Cn\xC3\xAF"
        "c\xC3\xB8"
        "d\xC3\xA9 \xF0\x9D\x84\x9E \xE5\x90\x8D\xE5\x89\x8D";
    form().setText(C::savServerName, text);
    EXPECT_EQ(form().text(C::savServerName), text);
    form().addItem(C::lstWeapons, text);
    EXPECT_EQ(form().itemText(C::lstWeapons, 0), text);
    form().setText(C::savMessage, "line one\r\nline two");
    EXPECT_EQ(form().text(C::savMessage), "line one\r\nline two");
    form().setText(C::savGamePort, "14567");  // display-only boxes still show what code writes
    EXPECT_EQ(form().text(C::savGamePort), "14567");
}

}  // namespace kora::contract
