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

std::string nameOf(const ControlRow* r) { return r ? std::string(r->name) : "(none)"; }

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

// What each kind of control can hold: a fill or a send of another kind would
// call a setter the control does not have.
TEST(Catalogue, WireColumnsFitTheKindOfTheirControl) {
    const auto fits = [](Kind k, std::initializer_list<Kind> kinds) {
        return std::find(kinds.begin(), kinds.end(), k) != kinds.end();
    };
    for (const ControlRow& r : controls()) {
        const Kind k = r.kind;
        switch (r.reply.fill) {
        case Fill::None: break;
        case Fill::Decoded:
        case Fill::Raw:
        case Fill::GamePort: EXPECT_TRUE(fits(k, {Kind::Text, Kind::EditCombo})) << r.name; break;
        case Fill::Index:
        case Fill::IndexFromOne: EXPECT_TRUE(fits(k, {Kind::Combo, Kind::List})) << r.name; break;
        case Fill::Check:
        case Fill::InvertedCheck: EXPECT_EQ(k, Kind::Check) << r.name; break;
        case Fill::Option: EXPECT_EQ(k, Kind::Option) << r.name; break;
        }
        switch (r.update.send) {
        case Send::None: break;
        case Send::Encoded:
        case Send::EncodedOrEmpty:
        case Send::Raw: EXPECT_TRUE(fits(k, {Kind::Text, Kind::EditCombo})) << r.name; break;
        case Send::Index:
        case Send::IndexPlusOne: EXPECT_TRUE(fits(k, {Kind::Combo, Kind::List})) << r.name; break;
        case Send::Check:
        case Send::InvertedCheck: EXPECT_EQ(k, Kind::Check) << r.name; break;
        case Send::FirstElement:
        case Send::ElementOfThree: EXPECT_EQ(k, Kind::Option) << r.name; break;
        }
        EXPECT_EQ(r.reply.field >= 0, r.reply.fill != Fill::None) << r.name;
        EXPECT_EQ(r.update.field >= 0, r.update.send != Send::None) << r.name;
        if (!isSetting(r.id)) {
            EXPECT_LT(r.reply.field, 0) << r.name;
            EXPECT_LT(r.update.field, 0) << r.name;
        }
    }
}

// Field numbers, and the settling steps, each count from 0 without a gap or a
// number used twice; a correction that has no step would never run.
TEST(Catalogue, FieldNumbersAndCorrectionStepsArePermutations) {
    struct Sequence {
        const char* what;
        int (*place)(const ControlRow&);
        std::span<const ControlRow* const> walk;
        size_t size;
    };
    const Sequence sequences[] = {
        {"reply field", [](const ControlRow& r) { return r.reply.field; }, replyFields(), 43},
        {"update field", [](const ControlRow& r) { return r.update.field; }, updateFields(), 41},
        {"correction step", [](const ControlRow& r) { return r.update.step; }, correctionSteps(), 27},
    };
    for (const Sequence& s : sequences) {
        std::vector<const ControlRow*> at(s.size, nullptr);
        for (const ControlRow& r : controls()) {
            const int place = s.place(r);
            if (place < 0) continue;
            ASSERT_LT(static_cast<size_t>(place), s.size) << s.what << " of " << r.name;
            EXPECT_EQ(at[static_cast<size_t>(place)], nullptr)
                << s.what << " " << place << " twice: " << nameOf(at[static_cast<size_t>(place)]) << " and " << r.name;
            at[static_cast<size_t>(place)] = &r;
        }
        for (size_t i = 0; i < s.size; ++i) EXPECT_NE(at[i], nullptr) << "no " << s.what << " " << i;
        ASSERT_EQ(s.walk.size(), s.size) << s.what;
        for (size_t i = 0; i < s.size; ++i)
            EXPECT_EQ(s.walk[i], at[i]) << s.what << " " << i << " walks " << nameOf(s.walk[i]);
    }
    for (const ControlRow& r : controls()) {
        if (r.update.correction.fix != Fix::None) {
            EXPECT_GE(r.update.step, 0) << r.name;
        }
        if (r.update.step >= 0) {
            EXPECT_GE(r.update.field, 0) << r.name;
        }
    }
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
