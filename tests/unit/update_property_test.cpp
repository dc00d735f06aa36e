// Properties of the update request over random form states: whatever a user
// typed or a profile put on the form, the request has the fixed shape (see
// request_checks.h), carries the corrected values, and the server stand-in
// either takes it whole or refuses a value, never its shape.
#include <gtest/gtest.h>

#include "exchange/update.h"
#include "random_form.h"
#include "request_checks.h"
#include "samples.h"
#include "fakes.h"

namespace kora {
namespace {

using enum Control;

constexpr std::string_view kPrefix = "Plugin_zelKORA_SetSettingsRem_KEY_VB6_3_";

// A module whose form holds the stock server's reply.
struct Loaded : fake::Rig {
    Loaded() {
        fake::fetched(module);
        remoteData(module, suite::settingsReply(suite::defaultServer()));
    }
    // Releases Update and returns the payload, or "" after a failed check.
    std::string update(const MemoryForm& before, std::string& verdict) {
        utility->lastRequest.clear();
        onUpdateMouseUp(module, 1);
        const std::string& request = utility->lastRequest;
        if (boxes->count != 0) return verdict = "a box: " + boxes->last, "";
        const auto parsed = suite::parseRequest(request);
        if (!request.starts_with(kPrefix) || !parsed.wellFormed || parsed.key != "KEY" || parsed.hostIndex != 3 ||
            parsed.payload != request.substr(kPrefix.size()))
            return verdict = "the server splits the request wrongly: " + request, "";
        verdict = check::updatePayload(before, form(), parsed.payload);
        if (verdict.empty()) verdict = check::serverVerdict(form(), parsed.payload);
        return std::string(parsed.payload);
    }
};

TEST(UpdateProperty, AnyFormStateGivesTheFixedShapeWithTheCorrectedValues) {
    int accepted = 0, refused = 0;
    for (uint32_t seed = 1; seed <= static_cast<uint32_t>(random::cases(500)); ++seed) {
        random::Prng s(seed);
        Loaded rig;
        MemoryForm& form = rig.form();
        random::scramble(form, s, random::Domain::Anything, false);
        // Half the cases keep to values a server takes, so both verdicts occur.
        if (seed % 2 == 0) {
            for (const ControlRow& r : settingControls())
                if (r.kind == Kind::Check) form.setCheckValue(r.id, form.checkValue(r.id) % 2);
            form.setCheckValue(chkAutoLoad, form.checkValue(chkAutoLoad) % 2);
            for (Control c : {savTime, savFlagReturn, savLives, savMinPing, savMaxPing, savVoteMin, savVoteTime,
                              savChangeTime, savChangePenalty, savArmoryReuse})
                if (s.between(0, 2) > 0) form.setText(c, std::to_string(s.between(0, 99)));
            for (Control c : {savServerName, savCountry, savPassword, savMessage, savBluePass, savRedPass, savSpecPass})
                if (s.between(0, 2) > 0) form.setText(c, s.between(0, 1) ? "Zoë | [-] 1,2" : "  ");
        }
        const MemoryForm before = form;
        std::string verdict;
        const std::string payload = rig.update(before, verdict);
        ASSERT_EQ(verdict, "") << "seed " << seed << "\n" << payload;
        suite::ServerSettings server = suite::defaultServer();
        server.weapons.clear();
        for (int i = 0; i < form.itemCount(lstWeapons); ++i) server.weapons.push_back({form.itemText(lstWeapons, i)});
        (suite::applyUpdate(server, payload) ? refused : accepted)++;
    }
    // Both verdicts were reached, so the checks above ran on both paths.
    EXPECT_GT(accepted, random::cases(500) / 25);
    EXPECT_GT(refused, random::cases(500) / 25);
}

// Every text control in turn, holding each text that might pass for a separator.
TEST(UpdateProperty, NoTypedTextAddsOrRemovesASeparator) {
    static constexpr std::string_view kTexts[] = {
        "|",    "||", "[-]", "a[-]b|c", ",",      "_",        "_VB6_3_", "\r\n", "1|2", "1[-]", " 5 |", "30,5",
        "1e3|", "[-", "-]",  "ü",       "日本語", "\xff\xfe", "",        "   ",  " 7 ", "-0",   "1e99", "Untitled",
    };
    int cases = 0;
    for (const ControlRow& r : settingControls()) {
        if (r.kind != Kind::Text && r.kind != Kind::EditCombo) continue;
        for (std::string_view text : kTexts) {
            if (!random::runs(cases++)) continue;
            Loaded rig;
            rig.form().setText(r.id, text);
            const MemoryForm before = rig.form();
            std::string verdict;
            const std::string payload = rig.update(before, verdict);
            EXPECT_EQ(verdict, "") << r.name << " = \"" << text << "\"\n" << payload;
        }
    }
    EXPECT_EQ(cases, 19 * 24);  // 18 text boxes and savCountry
}

// The same with the restriction lists: weapon names that hold separators, and
// every selection of roles.
TEST(UpdateProperty, WeaponNamesAndRolesKeepTheirSections) {
    for (int roles = 0; roles < 32; ++roles) {
        Loaded rig;
        MemoryForm& form = rig.form();
        for (int i = 0; i < 5; ++i) form.setItemSelected(lstRoles, i, (roles >> i) & 1);
        form.clearItems(lstWeapons);
        for (std::string_view name : {"A|B", "[-]", "Mortar, 81 mm", "", "_", "x"}) {
            form.addItem(lstWeapons, name);
            form.setItemSelected(lstWeapons, form.itemCount(lstWeapons) - 1, (roles + name.size()) % 3 != 0);
        }
        const MemoryForm before = form;
        std::string verdict;
        const std::string payload = rig.update(before, verdict);
        EXPECT_EQ(verdict, "") << "roles " << roles << "\n" << payload;
    }
}

}  // namespace
}  // namespace kora
