// Settings profiles over random form states: whatever the form holds, a
// profile saved through the utility's INI text loads back into the same
// state, and a profile that cannot load leaves the form as it was.
#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include "profiles/profiles.h"
#include "random_form.h"
#include "samples.h"
#include "fakes.h"
#include "server_settings.h"

namespace kora {
namespace {

using enum Control;

constexpr const char* kFile = "C:\\Suite\\profiles\\3\\settings\\random.ssf";

RC_GTEST_PROP(ProfileProperty, AnyFormStateSurvivesSaveAndLoad, ()) {
    fake::Rig saver;
    random::scramble(saver.form(), random::Domain::Anything);
    saver.dialogs->answer = kFile;
    onSaveMouseUp(saver.module, 1);
    RC_ASSERT(saver.boxes->last == "Success: Server Settings Saved Successfully.");

    // Another form with the same weapons and players but every value different.
    fake::Rig loader;
    MemoryForm& form = loader.form();
    random::scramble(form, random::Domain::Anything);
    if (saver.form().itemCount(savPlayers) > form.itemCount(savPlayers)) extendPlayersForAffiliate(form);
    form.clearItems(lstWeapons);
    for (int i = 0; i < saver.form().itemCount(lstWeapons); ++i)
        form.addItem(lstWeapons, saver.form().itemText(lstWeapons, i));
    loader.utility->ini = saver.utility->ini;
    loader.dialogs->answer = kFile;
    onLoadMouseUp(loader.module, 1);
    RC_LOG() << saver.utility->ini[kFile];
    RC_ASSERT(loader.boxes->last == "Success: Server Settings Loaded.");

    // A profile stores the country's index, not its text, and never chkAutoLoad.
    MemoryForm& wanted = saver.form();
    wanted.setListIndex(savCountry, wanted.listIndex(savCountry));
    wanted.setCheckValue(chkAutoLoad, form.checkValue(chkAutoLoad));
    RC_ASSERT(sample::snapshot(form) == sample::snapshot(wanted));
}

// Profiles written by hand: one value in turn replaced by something its control
// cannot take. The load stops, reports, and the form keeps every value.
TEST(ProfileProperty, UnusableValueLeavesTheWholeFormAsItWas) {
    static constexpr std::string_view kBad[] = {"", " ", "x", "1.0", "1e2", "3", "-2", "99999999999999999999", "0x1"};
    int cases = 0;
    for (const ControlRow& r : settingControls()) {
        if (r.kind == Kind::Text) continue;
        for (std::string_view bad : kBad) {
            const std::string value(bad);
            fake::Rig saver;
            fake::fetched(saver.module);
            remoteData(saver.module, sample::reply());
            saver.dialogs->answer = kFile;
            onSaveMouseUp(saver.module, 1);
            std::string& text = saver.utility->ini[kFile];
            text = suite::ini::write(text, "Server", profileKey(r.id), value);
            // Another server's values, so that a value applied before the refusal shows.
            remoteData(saver.module, suite::settingsReply(suite::defaultServer()));
            const auto n = parseWhole(value);
            const int64_t limit = r.kind == Kind::Check    ? 3
                                  : r.kind == Kind::Option ? static_cast<int64_t>(r.elements.size())
                                                           : saver.form().itemCount(r.id);
            if (n && *n >= (r.kind == Kind::Check ? 0 : -1) && *n < limit) continue;  // the control takes it
            const std::string before = sample::snapshot(saver.form());
            onLoadMouseUp(saver.module, 1);
            EXPECT_NE(saver.boxes->last.find("DLL Error!: "), std::string::npos) << r.name << "=" << value;
            EXPECT_NE(saver.boxes->last.find("cmdLoad"), std::string::npos) << r.name << "=" << value;
            EXPECT_EQ(sample::snapshot(saver.form()), before) << r.name << "=" << value;
            ++cases;
        }
    }
    EXPECT_GT(cases, 200);
}

}  // namespace
}  // namespace kora
