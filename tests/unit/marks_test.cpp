// The marks' decisions against the in-memory form: what counts as changed
// since the server's values, and what the correction notices say Update sends.
#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <functional>

#include "exchange/update.h"
#include "form/marks.h"
#include "random_form.h"
#include "samples.h"

namespace kora {
namespace {

using enum Control;

std::vector<Control> changedControls(const Form& form) {
    std::vector<Control> changed;
    for (Control c : markedControls())
        if (markOf(form, form.baseline(), c).changed) changed.push_back(c);
    return changed;
}

// The value a notice names: "Update sends VALUE: why."
std::string namedValue(const std::string& notice) {
    const std::string_view lead = "Update sends ";
    EXPECT_TRUE(notice.starts_with(lead)) << notice;
    return notice.substr(lead.size(), notice.find(": ") - lead.size());
}

struct NoticeCase {
    Control control;
    std::function<void(Form&)> act;
    std::string notice;  // "" for none
};

TEST(Marks, CorrectionNoticesNameTheValueAndTheReason) {
    const NoticeCase cases[] = {
        {savPlayers, [](Form& f) { f.setText(savPlayers, "64"); },
         "Update sends 50: the server takes 1 to 50 for Max Players."},
        {savPlayers, [](Form& f) { f.setText(savPlayers, "50"); }, ""},
        {savTime, [](Form& f) { f.setText(savTime, "101"); },
         "Update sends 30: the server takes 0 to 100 for Time Limit."},
        {savTime, [](Form& f) { f.setText(savTime, "1e2"); }, ""},
        {savServerName, [](Form& f) { f.setText(savServerName, "   "); },
         "Update sends Untitled: Name cannot be empty."},
        {savLives, [](Form& f) { f.setText(savLives, "x"); }, "Update sends 100: Max Team Lives must be a number."},
        {savMinPing, [](Form& f) { f.setText(savMinPing, ""); }, "Update sends 0: Min Ping must be a number."},
        {savRespawn, [](Form& f) { f.setListIndex(savRespawn, 121); },
         "Update sends 8: the server takes 0 to 120 for Respawn Time."},
        {savRespawn, [](Form& f) { f.setListIndex(savRespawn, 120); }, ""},
        {savMaxFF, [](Form& f) { f.setListIndex(savMaxFF, 51); },
         "Update sends 5: the server takes 0 to 50 for Max Friendly Kills."},
        {savMaps, [](Form& f) { f.setListIndex(savMaps, -1); }, "Update sends 2: Replay Maps has nothing selected."},
        {savSession, [](Form& f) { f.setListIndex(savSession, -1); },
         "Update sends Velnet: Sesstion Type has nothing selected."},
        {savPassword, [](Form& f) { f.setText(savPassword, ""); }, ""},  // no correction: blank goes out as blank
    };
    for (const NoticeCase& c : cases) {
        fake::Rig rig;
        sample::receive(rig);
        c.act(rig.form());
        const Mark mark = markOf(rig.form(), rig.form().baseline(), c.control);
        EXPECT_EQ(mark.notice, c.notice) << name(c.control);
    }
}

// Whatever the form holds, a notice names what Update then does: the control
// shows the value afterwards, or (when it keeps its own) the field carries it;
// and a setting without a notice comes through Update untouched.
RC_GTEST_PROP(Marks, EveryNoticeNamesWhatUpdateThenSends, ()) {
    {
        fake::Rig rig;
        sample::receive(rig);
        MemoryForm& form = rig.form();
        random::scramble(form, random::Domain::Anything, false);
        std::vector<std::optional<std::string>> notices;
        std::vector<std::string> before;
        for (const ControlRow& r : settingControls()) {
            notices.push_back(correctionNotice(form, r.id));
            before.push_back(form.text(r.id));
        }
        rig.utility->lastRequest.clear();
        onUpdateMouseUp(rig.module, 1);
        const std::string& request = rig.utility->lastRequest;
        RC_ASSERT(!request.empty());
        std::vector<std::string> fields;
        const std::string section =
            request.substr(request.find("_VB6_3_") + 7, request.find("[-]") - request.find("_VB6_3_") - 7);
        for (size_t at = 0;;) {
            const size_t bar = section.find('|', at);
            fields.push_back(section.substr(at, bar - at));
            if (bar == std::string::npos) break;
            at = bar + 1;
        }
        for (const ControlRow& r : settingControls()) {
            const size_t i = static_cast<size_t>(r.id);
            const std::string after = form.text(r.id);
            RC_LOG() << r.name;
            if (!notices[i]) {
                RC_ASSERT(after == before[i]);
                continue;
            }
            const std::string value = namedValue(*notices[i]);
            if (after != before[i] || after == value)
                RC_ASSERT(after == value);
            else
                RC_ASSERT(fields.at(static_cast<size_t>(r.update.field)) == value);
        }
    }
}

struct ChangeCase {
    const char* what;
    std::function<void(Form&)> act;
    std::vector<Control> changed;
};

TEST(Marks, ChangedMeansDifferentFromTheServersValues) {
    const ChangeCase cases[] = {
        {"nothing done", [](Form&) {}, {}},
        {"a text typed", [](Form& f) { f.setText(savMessage, "hi"); }, {savMessage}},
        {"a text typed back",
         [](Form& f) {
             f.setText(savTime, "1");
             f.setText(savTime, "45");
         },
         {}},
        {"a box cleared", [](Form& f) { f.setCheckValue(savMinPingChk, 0); }, {savMinPingChk}},
        {"an option", [](Form& f) { f.setOptionElement(savLFPSpd, 0); }, {savLFPSpd}},
        {"the country's case", [](Form& f) { f.setText(savCountry, "gb"); }, {savCountry}},
        {"a role", [](Form& f) { f.setItemSelected(lstRoles, 1, true); }, {lstRoles}},
        {"a weapon", [](Form& f) { f.setItemSelected(lstWeapons, 0, false); }, {lstWeapons}},
        {"the same weapons again",
         [](Form& f) {
             f.clearItems(lstWeapons);
             for (const char* w : {"Rifle", "Knife", "Grenade"}) f.addItem(lstWeapons, w);
             f.setItemSelected(lstWeapons, 0, true);
             f.setItemSelected(lstWeapons, 2, true);
         },
         {}},
        {"a weapon more", [](Form& f) { f.addItem(lstWeapons, "Mortar"); }, {lstWeapons}},
        {"not a value: the auto-load box", [](Form& f) { f.setCheckValue(chkAutoLoad, 0); }, {}},
        {"not a value: enabled", [](Form& f) { f.setEnabled(savTime, false); }, {}},
        {"never sent: a port", [](Form& f) { f.setText(savGamePort, "1"); }, {}},
        {"never sent: the last role", [](Form& f) { f.setItemSelected(lstRoles, 4, true); }, {}},
    };
    for (const ChangeCase& c : cases) {
        fake::Rig rig;
        sample::receive(rig);
        c.act(rig.form());
        EXPECT_EQ(changedControls(rig.form()), c.changed) << c.what;
    }
}

}  // namespace
}  // namespace kora
