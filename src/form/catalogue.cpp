#include "form/catalogue.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <vector>

namespace kora {
namespace {

using SV = std::string_view;
using enum Control;
using enum Kind;
using F = Frame;

constexpr int kLabelH = 255, kTextH = 285, kComboH = 315, kCheckH = 195, kOptionH = 255;

constexpr std::array<SV, 2> kMaps{"No", "Yes"};
constexpr std::array<SV, 2> kSessions{"Velnet", "LAN IP"};
constexpr std::array<SV, 5> kRoles{"Medic", "Sniper", "Gunner", "Rifleman", "Engineer"};
constexpr std::array<SV, 4> kTabs{"Team", "Miscellaneous", "Connection", "Restrictions"};
constexpr std::array<SV, 232> kCountries{
    "AD", "AE", "AF", "AG", "AI", "AL", "AM", "AN", "AO", "AP", "AQ", "AR", "AS", "AT", "AU", "AW", "AZ", "BA",
    "BB", "BD", "BE", "BF", "BG", "BH", "BI", "BJ", "BM", "BN", "BO", "BR", "BS", "BT", "BV", "BW", "BY", "BZ",
    "CA", "CD", "CF", "CG", "CH", "CI", "CK", "CL", "CM", "CN", "CO", "CR", "CU", "CV", "CY", "CZ", "DE", "DJ",
    "DK", "DM", "DO", "DZ", "EC", "EE", "EG", "ER", "ES", "ET", "EU", "FI", "FJ", "FK", "FM", "FO", "FR", "GA",
    "GB", "GD", "GE", "GF", "GH", "GI", "GL", "GM", "GN", "GP", "GQ", "GR", "GU", "GW", "GY", "HK", "HM", "HN",
    "HR", "HT", "HU", "ID", "IE", "IL", "IN", "IO", "IQ", "IR", "IS", "IT", "JM", "JO", "JP", "KE", "KG", "KH",
    "KI", "KM", "KN", "KP", "KR", "KW", "KY", "KZ", "LA", "LB", "LC", "LI", "LK", "LR", "LS", "LT", "LU", "LV",
    "LY", "MA", "MC", "MD", "ME", "MG", "MH", "MK", "ML", "MM", "MN", "MO", "MP", "MQ", "MR", "MS", "MT", "MU",
    "MV", "MW", "MX", "MY", "MZ", "NA", "NC", "NE", "NF", "NG", "NI", "NL", "NO", "NP", "NR", "NU", "NZ", "OM",
    "PA", "PE", "PF", "PG", "PH", "PK", "PL", "PR", "PS", "PT", "PW", "PY", "QA", "RE", "RO", "RS", "RU", "RW",
    "SA", "SB", "SC", "SD", "SE", "SG", "SI", "SK", "SL", "SM", "SN", "SO", "SR", "ST", "SV", "SY", "SZ", "TC",
    "TD", "TG", "TH", "TJ", "TK", "TM", "TN", "TO", "TR", "TT", "TV", "TW", "TZ", "UA", "UG", "UK", "UM", "US",
    "UY", "UZ", "VA", "VC", "VE", "VG", "VI", "VN", "VU", "WF", "WS", "YE", "YT", "ZA", "ZM", "ZW"};

constexpr std::array<OptionElement, 2> kPunkbuster{{
    {"Disabled", {2160, 1440, 975, kOptionH}},
    {"Enabled", {1080, 1440, 975, kOptionH}},
}};
constexpr std::array<OptionElement, 3> kLfpSpeed{{
    {"Fast", {3840, 2520, 615, kOptionH}},
    {"Medium", {2760, 2520, 855, kOptionH}},
    {"Slow", {1920, 2520, 735, kOptionH}},
}};
constexpr std::array<OptionElement, 2> kRoleChoice{{
    {"Select All", {3120, 360, 1575, kOptionH}},
    {"Select None", {3120, 720, 1575, kOptionH}},
}};
constexpr std::array<OptionElement, 2> kWeaponChoice{{
    {"Select All", {3120, 240, 1575, kOptionH}},
    {"Select None", {3120, 600, 1575, kOptionH}},
}};

constexpr Rect lbl(int left, int top, int width) { return {left, top, width, kLabelH}; }
constexpr Rect txt(int left, int top, int width) { return {left, top, width, kTextH}; }
constexpr Rect cmb(int left, int top, int width) { return {left, top, width, kComboH}; }
constexpr Rect chk(int left, int top) { return {left, top, 255, kCheckH}; }
constexpr Rect none{0, 0, 0, 0};

constexpr unsigned C = flag::Centred;
constexpr NumberItems noNumbers{};
constexpr std::span<const SV> noItems{};

// The wire columns of a row.
constexpr ReplyField reply(int field, Fill fill) { return {field, fill}; }
constexpr ReplyField noReply{};
struct Step {
    int n;
};
constexpr Step step(int n) { return {n}; }
constexpr UpdateField update(int field, Send send) { return {field, send, {}, -1}; }
constexpr UpdateField update(int field, Send send, Step s, Correction fix = {}) { return {field, send, fix, s.n}; }
constexpr UpdateField noUpdate{};
constexpr SV kRangeNotice = "Update sends {value}: the server takes {low} to {high} for {setting}.";
constexpr SV kNumberNotice = "Update sends {value}: {setting} must be a number.";
constexpr Correction blankTo(SV fallback) {
    return {Fix::Blank, 0, 0, 0, fallback, "Update sends {value}: {setting} cannot be empty.", {}};
}
constexpr SV kUnselectedNotice = "Update sends {value}: {setting} has nothing selected.";
constexpr Correction indexRange(int high, int replacement) {
    return {Fix::IndexRange, 0, high, replacement, {}, kRangeNotice, kUnselectedNotice};
}
constexpr Correction numberRange(int low, int high, SV fallback) {
    return {Fix::NumberRange, low, high, 0, fallback, kRangeNotice, {}};
}
constexpr Correction numberOrSend(SV fallback) { return {Fix::NumberOrSend, 0, 0, 0, fallback, kNumberNotice, {}}; }
constexpr Correction numberOrSet(SV fallback) { return {Fix::NumberOrSet, 0, 0, 0, fallback, kNumberNotice, {}}; }

}  // namespace

// clang-format off
constexpr std::array<ControlRow, kControlCount> kRows{{
    // A time limit that is not a number counts as out of range.
    {savTime, "savTime", Text, F::Frame1, "Time Limit:", lbl(360, 360, 855), txt(1560, 360, 1215), 5, 0,
     reply(5, Fill::Raw), update(5, Send::Raw, step(5), numberRange(0, 100, "30"))},
    {savAutoBalance, "savAutoBalance", Check, F::Frame1, "Auto Balance:", lbl(3120, 1080, 1095), chk(4440, 1080), 0, 0,
     reply(11, Fill::InvertedCheck), update(11, Send::InvertedCheck, step(19))},
    {savSkins, "savSkins", Check, F::Frame1, "Custom Skins:", lbl(3120, 720, 1095), chk(4440, 720), 0, 0,
     reply(10, Fill::Check), update(10, Send::Check)},
    {savMessage, "savMessage", Text, F::Frame1, "Host Message:", lbl(360, 1800, 1215), {360, 2040, 4335, 645}, 85, flag::Multiline | flag::LabelUnderlined,
     reply(12, Fill::Decoded), update(12, Send::EncodedOrEmpty, step(9))},
    {savDedicated, "savDedicated", Check, F::Frame1, "Dedicated:", lbl(3120, 360, 855), chk(4440, 360), 0, 0,
     reply(9, Fill::Check), update(9, Send::Check)},
    {savRespawn, "savRespawn", Combo, F::Frame1, "Respawn Time:", lbl(360, 1440, 1095), cmb(1560, 1440, 1215), 0, 0,
     reply(8, Fill::Index), update(8, Send::Index, step(8), indexRange(120, 8)), noItems, {0, 600, true}},
    // savMaps holds two items: its replacement cannot be selected, so only the field carries it.
    {savMaps, "savMaps", Combo, F::Frame1, "Replay Maps:", lbl(360, 1080, 975), cmb(1560, 1080, 1215), 0, 0,
     reply(7, Fill::Index), update(7, Send::Index, step(7), indexRange(2, 2)), kMaps},
    {savDelay, "savDelay", Combo, F::Frame1, "Start Delay:", lbl(360, 720, 975), cmb(1560, 720, 1215), 0, 0,
     reply(6, Fill::Index), update(6, Send::Index, step(6), indexRange(3, 2)), noItems, {0, 600, true}},
    {savPunkbuster, "savPunkbuster", Option, F::Frame2, "Punkbuster:", lbl(120, 1440, 975), none, 0, 0,
     reply(33, Fill::Option), update(32, Send::FirstElement, step(20)), noItems, noNumbers, kPunkbuster},
    // A list with no selected item has no number to test: it counts as out of range.
    {savPlayers, "savPlayers", List, F::Frame2, "Max Players:", lbl(3240, 1080, 975), {4320, 1080, 615, 255}, 0, 0,
     reply(4, Fill::Index), update(4, Send::Index, step(4), numberRange(1, 50, "50")), noItems, {1, 64, false}},
    {savSession, "savSession", Combo, F::Frame2, "Sesstion Type:", lbl(2520, 720, 1095), cmb(3720, 720, 1215), 0, 0,
     reply(2, Fill::Index), update(2, Send::Index, step(3), indexRange(1, 0)), kSessions},
    {savCountry, "savCountry", EditCombo, F::Frame2, "Country:", lbl(120, 720, 975), cmb(1080, 720, 1215), 0, 0,
     reply(1, Fill::Decoded), update(1, Send::EncodedOrEmpty, step(1)), kCountries},
    {savPassword, "savPassword", Text, F::Frame2, "Password:", lbl(120, 1080, 855), txt(1080, 1080, 1815), 16, 0,
     reply(3, Fill::Decoded), update(3, Send::EncodedOrEmpty, step(2))},
    {savServerName, "savServerName", Text, F::Frame2, "Name:", lbl(120, 360, 1095), txt(1080, 360, 3855), 31, 0,
     reply(0, Fill::Decoded), update(0, Send::Encoded, step(0), blankTo("Untitled"))},
    {savVoting, "savVoting", Check, F::Frame8, "Voting Enabled:", lbl(120, 360, 1335), chk(1800, 360), 0, 0,
     reply(34, Fill::Check), update(33, Send::Check)},
    {savVoteTime, "savVoteTime", Text, F::Frame8, "Voting Period:", lbl(2520, 720, 1095), txt(3600, 720, 615), 5, C,
     reply(36, Fill::Raw), update(35, Send::Raw, step(22), numberOrSet("180"))},
    {savVoteMin, "savVoteMin", Text, F::Frame8, "Min. Players for Vote:", lbl(120, 720, 1695), txt(1800, 720, 615), 3, C,
     reply(35, Fill::Raw), update(34, Send::Raw, step(21), numberOrSet("6"))},
    {savLives, "savLives", Text, F::Frame6, "Max Team Lives:", lbl(240, 1080, 1335), txt(1920, 1080, 855), 3, 0,
     reply(22, Fill::Raw), update(22, Send::Raw, step(16), numberOrSend("100"))},
    {savFlagReturn, "savFlagReturn", Text, F::Frame6, "Flag Return Time:", lbl(240, 720, 1455), txt(1920, 720, 855), 3, 0,
     reply(21, Fill::Raw), update(21, Send::Raw, step(15), numberOrSend("210"))},
    {savPSPTime, "savPSPTime", Combo, F::Frame6, "PSP Takeover Time:", lbl(240, 360, 1575), cmb(1920, 360, 855), 0, 0,
     reply(20, Fill::IndexFromOne), update(20, Send::IndexPlusOne, step(14), indexRange(99, 14)), noItems, {1, 100, false}},
    {savClays, "savClays", Check, F::Frame6, "Show Team Clays:", lbl(3000, 720, 1335), chk(4440, 720), 0, 0,
     reply(24, Fill::Check), update(24, Send::Check)},
    {savTracers, "savTracers", Check, F::Frame6, "Show Tracers:", lbl(3000, 360, 1095), chk(4440, 360), 0, 0,
     reply(23, Fill::Check), update(23, Send::Check)},
    {savSniperScope, "savSniperScope", Check, F::Frame6, "Sniper Scope:", lbl(3000, 1440, 1095), chk(4440, 1440), 0, 0},
    {savChangePenalty, "savChangePenalty", Text, F::Frame6, "Change Team Penalty:", lbl(240, 1800, 1695), txt(1920, 1800, 855), 3, 0,
     reply(39, Fill::Raw), update(38, Send::Raw, step(24), numberOrSet("300"))},
    {savChangeTime, "savChangeTime", Text, F::Frame6, "Change Team Time:", lbl(240, 1440, 1455), txt(1920, 1440, 855), 3, 0,
     reply(38, Fill::Raw), update(37, Send::Raw, step(23), numberOrSet("60"))},
    {savChangeTeams, "savChangeTeams", Check, F::Frame6, "Change Teams:", lbl(3000, 1080, 1215), chk(4440, 1080), 0, 0},
    {savArmoryReuse, "savArmoryReuse", Text, F::Frame6, "Armory Reuse Time:", lbl(240, 2160, 1695), txt(1920, 2160, 855), 3, 0,
     reply(40, Fill::Raw), update(39, Send::Raw, step(25), numberOrSet("20"))},
    {savLFPSpd, "savLFPSpd", Option, F::Frame6, "LFP Speed:", lbl(240, 2520, 855), none, 0, flag::LabelOpaque,
     reply(41, Fill::Option), update(40, Send::ElementOfThree, step(26)), noItems, noNumbers, kLfpSpeed},
    {savGamePort, "savGamePort", Text, F::Frame13, "Vel Port:", lbl(240, 480, 855), txt(1200, 480, 1095), 5, C | flag::Disabled | flag::LabelDisabled,
     reply(32, Fill::GamePort)},
    {savLanPort, "savLanPort", Text, F::Frame13, "Lan Port:", lbl(2760, 480, 735), txt(3600, 480, 1095), 5, C | flag::Disabled | flag::LabelDisabled,
     reply(42, Fill::Raw)},
    {savMinPingChk, "savMinPingChk", Check, F::Frame7, "Enable Min Ping Check:", lbl(360, 360, 1695), chk(2160, 360), 0, 0,
     reply(25, Fill::Check), update(25, Send::Check)},
    // The ping limits' labels are controls of their own (lblMinPing, lblMaxPing) because
    // their enabled state follows the check boxes.
    {savMinPing, "savMinPing", Text, F::Frame7, "", none, txt(3840, 360, 735), 3, C | flag::StartsDisabled,
     reply(26, Fill::Raw), update(26, Send::Raw, step(17), numberOrSet("0"))},
    {savMaxPingChk, "savMaxPingChk", Check, F::Frame7, "Enable Max Ping Check:", lbl(360, 720, 1815), chk(2160, 720), 0, 0,
     reply(27, Fill::Check), update(27, Send::Check)},
    {savMaxPing, "savMaxPing", Text, F::Frame7, "", none, txt(3840, 720, 735), 5, C | flag::StartsDisabled,
     reply(28, Fill::Raw), update(28, Send::Raw, step(18), numberOrSet("15000"))},
    {savUnlimitedVehs, "savUnlimitedVehs", Check, F::Frame9, "Unlimited Vehs:", lbl(2400, 720, 1335), chk(4320, 720), 0, 0,
     reply(37, Fill::Check), update(36, Send::Check)},
    {savFatBullets, "savFatBullets", Check, F::Frame9, "Fat Bullets:", lbl(360, 720, 855), chk(1680, 720), 0, 0,
     reply(30, Fill::Check), update(30, Send::Check)},
    {savDestroyBuildings, "savDestroyBuildings", Check, F::Frame9, "Destroy Buildings:", lbl(2400, 360, 1335), chk(4320, 360), 0, 0,
     reply(31, Fill::Check), update(31, Send::Check)},
    {savOneShot, "savOneShot", Check, F::Frame9, "One Shot Kills:", lbl(360, 360, 1095), chk(1680, 360), 0, 0,
     reply(29, Fill::Check), update(29, Send::Check)},
    {savMaxFF, "savMaxFF", Combo, F::Frame5, "Max Friendly Kills:", lbl(120, 600, 1335), cmb(1560, 600, 975), 0, 0,
     reply(17, Fill::IndexFromOne), update(17, Send::IndexPlusOne, step(13), indexRange(50, 5)), noItems, {0, 999, true}},
    {savFFWarn, "savFFWarn", Check, F::Frame5, "Friendly Fire Warning:", lbl(2880, 600, 1695), chk(4560, 600), 0, 0,
     reply(19, Fill::Check), update(19, Send::Check)},
    {savFFTags, "savFFTags", Check, F::Frame5, "Show Friendly Tags:", lbl(3000, 240, 1455), chk(4560, 240), 0, 0,
     reply(18, Fill::Check), update(18, Send::Check)},
    {savFFKills, "savFFKills", Check, F::Frame5, "Friendly Fire Kills:", lbl(120, 240, 1335), chk(1560, 240), 0, 0,
     reply(16, Fill::Check), update(16, Send::Check)},
    {savSpecPass, "savSpecPass", Text, F::Frame4, "Spectator Password:", lbl(360, 1080, 1695), txt(2040, 1080, 2535), 16, 0,
     reply(15, Fill::Decoded), update(15, Send::EncodedOrEmpty, step(12))},
    {savRedPass, "savRedPass", Text, F::Frame4, "Red Password:", lbl(360, 720, 1215), txt(2040, 720, 2535), 16, 0,
     reply(14, Fill::Decoded), update(14, Send::EncodedOrEmpty, step(11))},
    {savBluePass, "savBluePass", Text, F::Frame4, "Blue Password:", lbl(360, 360, 1215), txt(2040, 360, 2535), 16, 0,
     reply(13, Fill::Decoded), update(13, Send::EncodedOrEmpty, step(10))},
    {lstRoles, "lstRoles", MultiList, F::Frame10, "", none, {120, 240, 2775, 960}, 0, 0, noReply, noUpdate, kRoles},
    {lstWeapons, "lstWeapons", MultiList, F::Frame11, "", none, {120, 240, 2775, 2535}, 0, 0},
    {optRoles, "optRoles", Option, F::Frame10, "", none, none, 0, 0, noReply, noUpdate, noItems, noNumbers, kRoleChoice},
    {optWeapons, "optWeapons", Option, F::Frame11, "", none, none, 0, 0, noReply, noUpdate, noItems, noNumbers, kWeaponChoice},
    {chkAutoLoad, "chkAutoLoad", Check, F::Frame12, "", none, none, 0, 0},
    {lblMinPing, "lblMinPing", Label, F::Frame7, "Min Ping:", lbl(3000, 360, 735), none, 0, flag::StartsDisabled},
    {lblMaxPing, "lblMaxPing", Label, F::Frame7, "Max Ping:", lbl(3000, 720, 735), none, 0, flag::StartsDisabled},
}};

namespace {

const std::array<FrameRow, static_cast<int>(F::Count_)> kFrames{{
    {F::Frame2, "Frame2", "Server Details", -1, {240, 240, 5055, 1815}},
    {F::Frame1, "Frame1", "Server Options", -1, {240, 2040, 5055, 2895}},
    {F::Frame3, "Frame3", "Options", -1, {240, 4920, 5055, 855}},
    {F::Frame4, "Frame4", "Passwords", 0, {240, 480, 4935, 1575}},
    {F::Frame5, "Frame5", "Friendly Fire", 0, {240, 2160, 4935, 1095}},
    {F::Frame8, "Frame8", "Voting", 0, {240, 3360, 4935, 1095}},
    {F::Frame9, "Frame9", "Miscellaneous", 1, {240, 480, 4935, 1095}},
    {F::Frame6, "Frame6", "Game Play", 1, {240, 1680, 4935, 2880}},
    {F::Frame7, "Frame7", "Ping Check Settings", 2, {240, 480, 4935, 1095}},
    {F::Frame13, "Frame13", "Port Settings", 2, {240, 1680, 4935, 1095}},
    {F::Frame10, "Frame10", "Role Restrictions", 3, {240, 360, 4935, 1335}},
    {F::Frame11, "Frame11", "Weapon Restrictions", 3, {240, 1680, 4935, 2895}},
    {F::Frame12, "Frame12", "", -1, {5520, 5160, 5415, 615}},
}};
// clang-format on

constexpr std::array<StaticLabel, 1> kStaticLabels{{{"(Secs)", F::Frame8, lbl(4320, 720, 495)}}};

// row() finds a control's row at its enumerator's place.
constexpr bool rowsInOrder() {
    for (int i = 0; i < kControlCount; ++i)
        if (static_cast<int>(kRows[i].id) != i) return false;
    return true;
}
static_assert(rowsInOrder());

// The rows that have a place in a sequence (a wire field number or a step), in
// that order. The places count from 0 with no gaps; the invariants test holds
// the table to that.
template <class Place>
std::vector<const ControlRow*> byPlace(Place place) {
    std::vector<const ControlRow*> rows;
    for (const ControlRow& r : kRows) {
        const int at = place(r);
        if (at < 0) continue;
        if (rows.size() <= static_cast<size_t>(at)) rows.resize(static_cast<size_t>(at) + 1);
        rows[static_cast<size_t>(at)] = &r;
    }
    assert(std::find(rows.begin(), rows.end(), nullptr) == rows.end());
    return rows;
}

}  // namespace

std::span<const ControlRow> controls() { return kRows; }
std::span<const ControlRow> settingControls() { return std::span(kRows).first(kSettingCount); }
std::optional<Control> controlByName(std::string_view n) {
    for (const auto& r : kRows)
        if (r.name == n) return r.id;
    return std::nullopt;
}
std::span<const ControlRow* const> replyFields() {
    static const auto rows = byPlace([](const ControlRow& r) { return r.reply.field; });
    return rows;
}
std::span<const ControlRow* const> updateFields() {
    static const auto rows = byPlace([](const ControlRow& r) { return r.update.field; });
    return rows;
}
std::span<const ControlRow* const> correctionSteps() {
    static const auto rows = byPlace([](const ControlRow& r) { return r.update.step; });
    return rows;
}
std::span<const FrameRow> frames() { return kFrames; }
std::span<const std::string_view> countryCodes() { return kCountries; }
std::span<const std::string_view> tabCaptions() { return kTabs; }
std::span<const StaticLabel> staticLabels() { return kStaticLabels; }
std::string_view name(Control c) { return row(c).name; }
std::string_view profileKey(Control c) { return row(c).name.substr(3); }

}  // namespace kora
