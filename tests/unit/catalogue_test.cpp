// Invariants of the settings catalogue: what every row must satisfy for the
// form, the reply decoder, the update request and the profiles that walk it.
// A new or changed row that breaks one fails here, by name.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "form/catalogue.h"
#include "wire_oracle.h"

namespace kora {
namespace {

TEST(Catalogue, FortyFiveSettingRowsComeFirstAndOnlyTheyAreNamedSav) {
    const auto all = controls();
    ASSERT_EQ(settingControls().size(), 45u);
    EXPECT_EQ(settingControls().data(), all.data());
    for (size_t i = 0; i < all.size(); ++i) {
        EXPECT_EQ(static_cast<size_t>(all[i].id), i) << all[i].name;
        EXPECT_EQ(all[i].name.starts_with("sav"), i < 45) << all[i].name;
        EXPECT_EQ(isSetting(all[i].id), i < 45) << all[i].name;
    }
}

TEST(Catalogue, NamesAndProfileKeysAreUniqueAndFindTheirRow) {
    std::set<std::string_view> names, keys;
    for (const ControlRow& r : controls()) {
        EXPECT_TRUE(names.insert(r.name).second) << "name twice: " << r.name;
        EXPECT_EQ(controlByName(r.name), r.id) << r.name;
        EXPECT_EQ(&row(r.id), &r) << r.name;
    }
    for (const ControlRow& r : settingControls()) {
        EXPECT_FALSE(profileKey(r.id).empty()) << r.name;
        EXPECT_TRUE(keys.insert(profileKey(r.id)).second) << "profile key twice: " << profileKey(r.id);
    }
}

TEST(Catalogue, EveryRowIsInAFrameOnTheFormOrOnATab) {
    std::set<std::string_view> frameNames;
    for (size_t i = 0; i < frames().size(); ++i) {
        const FrameRow& f = frames()[i];
        EXPECT_EQ(static_cast<size_t>(f.id), i) << f.name;
        EXPECT_TRUE(frameNames.insert(f.name).second) << f.name;
        EXPECT_GE(f.tab, -1) << f.name;
        EXPECT_LT(f.tab, static_cast<int>(tabCaptions().size())) << f.name;
    }
    for (const ControlRow& r : controls()) EXPECT_LT(static_cast<size_t>(r.frame), frames().size()) << r.name;
}

// The two wire columns against the tests' own table.
TEST(Catalogue, WireFieldsAreThoseOfTheOracle) {
    std::set<Control> travelling;
    for (size_t i = 0; i < oracle::kReplyFields; ++i) {
        const oracle::Field& f = oracle::kFields[i];
        travelling.insert(f.control);
        EXPECT_EQ(row(f.control).reply.field, static_cast<int>(i)) << name(f.control);
        EXPECT_EQ(row(f.control).update.field, f.update) << name(f.control);
    }
    for (const ControlRow& r : settingControls()) EXPECT_EQ(travelling.count(r.id) == 1, r.reply.field >= 0) << r.name;
}

}  // namespace
}  // namespace kora
