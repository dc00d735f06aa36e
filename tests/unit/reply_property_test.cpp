// Properties of reply decoding over random form states: a SettingsReply built
// from a state puts exactly that state on the form, whatever liberties the
// format allows in writing it; and the server's own reply survives the whole
// round trip of decoding, Update and the server applying the request.
#include <gtest/gtest.h>

#include "exchange/update.h"
#include "random_form.h"
#include "request_checks.h"
#include "samples.h"
#include "fakes.h"
#include "wire_oracle.h"

namespace kora {
namespace {

using enum Control;
using random::Prng;

const int kCases = random::cases(300);

using oracle::Put;

template <class T>
const T& oneOf(Prng& s, std::initializer_list<T> choices) {
    return *(choices.begin() + s.between(0, static_cast<int>(choices.size()) - 1));
}

// A 16-bit integer as a reply may write it: signs, spaces, leading zeros.
std::string integer(Prng& s, int value) {
    const std::string v = std::to_string(value);
    switch (s.between(0, 4)) {
    case 0: return " " + v + "  ";
    case 1: return value >= 0 ? "+" + v : v;
    case 2: return value >= 0 ? "00" + v : v;
    default: return v;
    }
}

// The reply that puts `form`'s state on a form.
std::string replyFor(const Form& form, Prng& s) {
    std::string reply;
    for (size_t i = 0; i < oracle::kReplyFields; ++i) {
        const Control c = oracle::kFields[i].control;
        if (i) reply += '|';
        switch (oracle::kFields[i].put) {
        case Put::Base64: reply += suite::encodeBase64(form.text(c)); break;
        case Put::Plain: reply += form.text(c); break;
        case Put::Port:
            reply += form.text(c) == "17479" ? oneOf<std::string>(s, {"17479", "0", " 0 ", "  0"}) : form.text(c);
            break;
        case Put::Index: reply += integer(s, form.listIndex(c)); break;
        case Put::Position: reply += integer(s, form.listIndex(c) + 1); break;
        case Put::Check: reply += integer(s, form.checkValue(c)); break;
        case Put::Inverted: {
            int other = s.between(-5, 4);
            if (other == 1) other = 5;
            reply += integer(s, form.checkValue(c) == 0 ? 1 : other);
            break;
        }
        case Put::Element: reply += integer(s, form.optionElement(c)); break;
        }
    }
    if (s.between(0, 4) == 0) reply += "|extra|" + suite::encodeBase64("field");
    reply += "[-]";
    for (int i = 0; i < 5; ++i) {
        if (i) reply += '|';
        reply +=
            form.itemSelected(lstRoles, i) ? std::string("1") : oneOf<std::string>(s, {"0", "", "2", " 1", "true"});
    }
    reply += "[-]";
    bool first = true;
    const auto entry = [&](const std::string& e) {
        reply += (first ? "" : "|") + e;
        first = false;
    };
    for (int i = 0; i < form.itemCount(lstWeapons); ++i) {
        if (s.between(0, 5) == 0) entry(oneOf<std::string>(s, {"", " ", "   "}));  // skipped
        const std::string flag = form.itemSelected(lstWeapons, i) ? oneOf<std::string>(s, {"1", "2", "", "x", "1,0"})
                                                                  : oneOf<std::string>(s, {"0", "0,1"});
        entry(suite::encodeBase64(form.itemText(lstWeapons, i)) + "," + flag);
    }
    if (s.between(0, 3) == 0) entry("");
    reply += "[-]";
    reply += form.checkValue(chkAutoLoad) == 1 ? std::string("1") : oneOf<std::string>(s, {"0", "", " 1", "11"});
    if (s.between(0, 4) == 0) reply += "[-]a fifth section|1";
    return reply;
}

TEST(ReplyProperty, ReplyBuiltFromAnyDecodableStatePutsThatStateOnTheForm) {
    for (uint32_t seed = 1; seed <= static_cast<uint32_t>(kCases); ++seed) {
        Prng s(seed);
        MemoryForm wanted;
        random::scramble(wanted, s, random::Domain::Reply, false);
        const std::string reply = replyFor(wanted, s);

        fake::Rig rig;
        MemoryForm& form = rig.form();
        random::scramble(form, s, random::Domain::Reply);  // every value must be overwritten
        fake::fetched(rig.module);
        remoteData(rig.module, reply);
        ASSERT_EQ(rig.boxes->count, 0) << "seed " << seed << ": " << rig.boxes->last << "\n" << reply;
        EXPECT_TRUE(rig.module.state.session.updateMaySend());
        // The two settings a reply does not carry keep their own values.
        for (Control c : {savSniperScope, savChangeTeams}) wanted.setCheckValue(c, form.checkValue(c));
        ASSERT_EQ(sample::snapshot(form), sample::snapshot(wanted)) << "seed " << seed << "\n" << reply;
    }
}

// Text that is not the codec's encoding (not Base64, or Base64 of bytes that
// are no UTF-8 text) in any encoded field or weapon name fails the whole
// reply: nothing on the form changes and the failure is reported.
TEST(ReplyProperty, AnUndecodableTextAnywhereFailsTheWholeReply) {
    std::vector<size_t> encodedFields;
    for (size_t i = 0; i < oracle::kReplyFields; ++i)
        if (oracle::kFields[i].put == Put::Base64) encodedFields.push_back(i);
    for (uint32_t seed = 1; seed <= static_cast<uint32_t>(kCases); ++seed) {
        Prng s(seed);
        MemoryForm wanted;
        random::scramble(wanted, s, random::Domain::Reply, false);
        auto sections = check::splitAll(replyFor(wanted, s), "[-]");
        const std::string damage =
            s.between(0, 1)
                ? oneOf<std::string>(s, {"*", "YWJj*", "=", "QQ=A", "Zm9v\r\n"})
                : suite::encodeBase64(std::string(
                      random::kBadBytes[static_cast<size_t>(s.between(0, std::size(random::kBadBytes) - 1))]));
        auto general = check::splitAll(sections[0], "|");
        auto weapons = check::splitAll(sections[2], "|");
        std::vector<size_t> named;  // weapon entries with a name
        for (size_t i = 0; i < weapons.size(); ++i)
            if (!check::blank(weapons[i])) named.push_back(i);
        if (named.empty() || s.between(0, 1) == 0) {
            general[encodedFields[static_cast<size_t>(s.between(0, static_cast<int>(encodedFields.size()) - 1))]] =
                damage;
        } else {
            std::string& entry = weapons[named[static_cast<size_t>(s.between(0, static_cast<int>(named.size()) - 1))]];
            entry = damage + entry.substr(entry.find(','));
        }
        sections[0] = sample::join(general, "|");
        sections[2] = sample::join(weapons, "|");
        const std::string reply = sample::join(sections, "[-]");

        fake::Rig rig;
        MemoryForm& form = rig.form();
        random::scramble(form, s, random::Domain::Reply);
        const std::string before = sample::snapshot(form);
        fake::fetched(rig.module);
        remoteData(rig.module, reply);
        ASSERT_EQ(rig.boxes->count, 1) << "seed " << seed << "\n" << reply;
        EXPECT_TRUE(rig.boxes->last.starts_with("DLL Error!: ")) << rig.boxes->last;
        EXPECT_EQ(rig.utility->failures, 1);
        EXPECT_FALSE(rig.module.state.session.updateMaySend());
        ASSERT_EQ(sample::snapshot(form), before) << "seed " << seed << "\n" << reply;
    }
}

// ---------------------------------------------------------------------------
// The server's reply, through the form and Update, back into the server

std::string serverText(Prng& s, int minLength, int maxLength, bool multiline) {
    static constexpr std::string_view kLetters[] = {"a", "Z", "0",  " ", "|",  ",", "[-]", "_",
                                                    "=", "[", "\\", "ü", "日", "😀", "'",   "#"};
    for (;;) {
        std::string t;
        const int pieces = s.between(minLength, maxLength / 3);
        for (int i = 0; i < pieces; ++i) {
            if (multiline && s.between(0, 9) == 0)
                t += oneOf<std::string>(s, {"\r\n", "\t", "\n"});
            else
                t += kLetters[static_cast<size_t>(s.between(0, std::size(kLetters) - 1))];
        }
        const auto length = suite::utf16Length(t);
        const bool blank = t.find_first_not_of(' ') == std::string::npos;
        if (*length >= static_cast<size_t>(minLength) && *length <= static_cast<size_t>(maxLength) &&
            !(minLength > 0 && blank))
            return t;
    }
}

// A server with every field random within what the server accepts.
suite::ServerSettings randomServer(Prng& s) {
    using namespace suite;
    ServerSettings server;
    for (const FieldSpec& f : fieldSpecs()) {
        if (auto text = std::get_if<std::string ServerSettings::*>(&f.member))
            server.** text = serverText(s, f.min, f.max, f.multiline);
        else if (auto number = std::get_if<int ServerSettings::*>(&f.member))
            server.** number = s.between(f.min, f.max);
        else
            server.*std::get<bool ServerSettings::*>(f.member) = s.between(0, 1) == 1;
    }
    for (auto& r : server.roles) r = s.between(0, 1) == 1;
    const int weapons = s.between(0, 60);
    std::set<std::string> names;
    while (static_cast<int>(server.weapons.size()) < weapons) {
        const std::string name = serverText(s, 1, 64, false);
        if (names.insert(name).second) server.weapons.push_back({name, s.between(0, 1) == 1});
    }
    server.autoLoad = s.between(0, 1) == 1;
    return server;
}

TEST(ReplyProperty, ServerSettingsSurviveReplyUpdateAndApply) {
    for (uint32_t seed = 1; seed <= static_cast<uint32_t>(kCases); ++seed) {
        Prng s(seed);
        const suite::ServerSettings original = randomServer(s);
        ASSERT_FALSE(suite::checkSettings(original)) << "seed " << seed << ": " << *suite::checkSettings(original);

        fake::Rig rig;
        fake::fetched(rig.module);
        remoteData(rig.module, suite::settingsReply(original));
        ASSERT_EQ(rig.boxes->count, 0) << "seed " << seed << ": " << rig.boxes->last;
        const MemoryForm before = rig.form();
        onUpdateMouseUp(rig.module, 1);
        ASSERT_EQ(rig.boxes->count, 0) << "seed " << seed << ": " << rig.boxes->last;

        const auto request = suite::parseRequest(rig.utility->lastRequest);
        ASSERT_TRUE(request.wellFormed) << rig.utility->lastRequest;
        // The server's own values need no correction: the form is sent as it stands.
        ASSERT_EQ(check::updatePayload(before, rig.form(), request.payload), "") << "seed " << seed;
        ASSERT_EQ(sample::snapshot(rig.form()), sample::snapshot(before)) << "seed " << seed;

        // A server that differs in every selection takes it all back.
        suite::ServerSettings other = suite::defaultServer();
        other.weapons = original.weapons;
        for (auto& w : other.weapons) w.selected = !w.selected;
        ASSERT_EQ(suite::applyUpdate(other, request.payload), std::nullopt) << "seed " << seed;
        suite::ServerSettings expected = original;
        // An update cannot carry the ports or the fifth role, and sends a blank text as nothing.
        expected.gamePort = other.gamePort;
        expected.lanPort = other.lanPort;
        expected.roles[4] = other.roles[4];
        for (std::string* t : {&expected.country, &expected.password, &expected.hostMessage, &expected.bluePassword,
                               &expected.redPassword, &expected.spectatorPassword})
            if (check::blank(*t)) t->clear();
        ASSERT_EQ(suite::settingsReply(other), suite::settingsReply(expected)) << "seed " << seed;
        ASSERT_TRUE(other == expected) << "seed " << seed;
    }
}

}  // namespace
}  // namespace kora
