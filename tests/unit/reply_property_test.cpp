// Properties of reply decoding over random form states: a SettingsReply built
// from a state puts exactly that state on the form, whatever liberties the
// format allows in writing it, and one undecodable text fails it whole.
#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include "fakes.h"
#include "random_form.h"
#include "request_checks.h"
#include "samples.h"
#include "wire_oracle.h"

namespace kora {
namespace {

using enum Control;
using oracle::Put;
using random::between;
using random::oneOf;
using SV = std::string_view;

// A 16-bit integer as a reply may write it: signs, spaces, leading zeros.
std::string integer(int value) {
    const std::string v = std::to_string(value);
    switch (between(0, 4)) {
    case 0: return " " + v + "  ";
    case 1: return value >= 0 ? "+" + v : v;
    case 2: return value >= 0 ? "00" + v : v;
    default: return v;
    }
}

// The reply that puts `form`'s state on a form.
std::string replyFor(const Form& form) {
    std::string reply;
    for (size_t i = 0; i < oracle::kReplyFields; ++i) {
        const Control c = oracle::kFields[i].control;
        if (i) reply += '|';
        switch (oracle::kFields[i].put) {
        case Put::Base64: reply += suite::encodeBase64(form.text(c)); break;
        case Put::Plain: reply += form.text(c); break;
        case Put::Port:
            reply += form.text(c) == "17479" ? oneOf<SV>({"17479", "0", " 0 ", "  0"}) : form.text(c);
            break;
        case Put::Index: reply += integer(form.listIndex(c)); break;
        case Put::Position: reply += integer(form.listIndex(c) + 1); break;
        case Put::Check: reply += integer(form.checkValue(c)); break;
        case Put::Inverted: {
            int other = between(-5, 4);
            if (other == 1) other = 5;
            reply += integer(form.checkValue(c) == 0 ? 1 : other);
            break;
        }
        case Put::Element: reply += integer(form.optionElement(c)); break;
        }
    }
    if (between(0, 4) == 0) reply += "|extra|" + suite::encodeBase64("field");
    reply += "[-]";
    for (int i = 0; i < 5; ++i) {
        if (i) reply += '|';
        reply += form.itemSelected(lstRoles, i) ? std::string("1") : oneOf<SV>({"0", "", "2", " 1", "true"});
    }
    reply += "[-]";
    bool first = true;
    const auto entry = [&](std::string_view e) {
        reply += (first ? "" : "|") + std::string(e);
        first = false;
    };
    for (int i = 0; i < form.itemCount(lstWeapons); ++i) {
        if (between(0, 5) == 0) entry(oneOf<SV>({"", " ", "   "}));  // skipped
        const std::string flag(form.itemSelected(lstWeapons, i) ? oneOf<SV>({"1", "2", "", "x", "1,0"})
                                                                : oneOf<SV>({"0", "0,1"}));
        entry(suite::encodeBase64(form.itemText(lstWeapons, i)) + "," + flag);
    }
    if (between(0, 3) == 0) entry("");
    reply += "[-]";
    reply += form.checkValue(chkAutoLoad) == 1 ? std::string("1") : oneOf<SV>({"0", "", " 1", "11"});
    if (between(0, 4) == 0) reply += "[-]a fifth section|1";
    return reply;
}

// A reply loaded into a form whose every value differs beforehand.
struct Received : fake::Rig {
    explicit Received(const std::string& reply) {
        random::scramble(form(), random::Domain::Reply);
        before = sample::snapshot(form());
        fake::fetched(module);
        remoteData(module, reply);
        RC_LOG() << reply << "\n" << boxes->last;
    }
    std::string before;
};

RC_GTEST_PROP(ReplyProperty, ReplyBuiltFromAnyDecodableStatePutsThatStateOnTheForm, ()) {
    MemoryForm wanted;
    random::scramble(wanted, random::Domain::Reply, false);
    Received rig(replyFor(wanted));
    RC_ASSERT(rig.boxes->count == 0);
    RC_ASSERT(rig.module.state.session.updateMaySend());
    // The two settings a reply does not carry keep their own values.
    for (Control c : {savSniperScope, savChangeTeams}) wanted.setCheckValue(c, rig.form().checkValue(c));
    RC_ASSERT(sample::snapshot(rig.form()) == sample::snapshot(wanted));
}

// Text that is not the codec's encoding (not Base64, or Base64 of bytes that
// are no UTF-8 text) in any encoded field or weapon name fails the whole
// reply: nothing on the form changes and the failure is reported.
RC_GTEST_PROP(ReplyProperty, AnUndecodableTextAnywhereFailsTheWholeReply, ()) {
    std::vector<size_t> encodedFields;
    for (size_t i = 0; i < oracle::kReplyFields; ++i)
        if (oracle::kFields[i].put == Put::Base64) encodedFields.push_back(i);
    MemoryForm wanted;
    random::scramble(wanted, random::Domain::Reply, false);
    auto sections = check::splitAll(replyFor(wanted), "[-]");
    const std::string damage = between(0, 1) ? std::string(oneOf<SV>({"*", "YWJj*", "=", "QQ=A", "Zm9v\r\n"}))
                                             : suite::encodeBase64(std::string(oneOf(random::kBadBytes)));
    auto general = check::splitAll(sections[0], "|");
    auto weapons = check::splitAll(sections[2], "|");
    std::vector<size_t> named;  // weapon entries with a name
    for (size_t i = 0; i < weapons.size(); ++i)
        if (!check::blank(weapons[i])) named.push_back(i);
    if (named.empty() || between(0, 1) == 0) {
        general[*rc::gen::elementOf(encodedFields)] = damage;
    } else {
        std::string& entry = weapons[*rc::gen::elementOf(named)];
        entry = damage + entry.substr(entry.find(','));
    }
    sections[0] = sample::join(general, "|");
    sections[2] = sample::join(weapons, "|");

    Received rig(sample::join(sections, "[-]"));
    RC_ASSERT(rig.boxes->count == 1);
    RC_ASSERT(rig.boxes->last.starts_with("DLL Error!: "));
    RC_ASSERT(rig.utility->failures == 1);
    RC_ASSERT(!rig.module.state.session.updateMaySend());
    RC_ASSERT(sample::snapshot(rig.form()) == rig.before);
}

}  // namespace
}  // namespace kora
