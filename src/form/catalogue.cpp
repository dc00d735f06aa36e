#include "form/catalogue.h"

#include <array>
#include <cassert>

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
    "AD", "AE", "AF", "AG", "AI", "AL", "AM", "AN", "AO", "AP", "AQ", "AR", "AS", "AT", "AU", "AW",
    "AZ", "BA", "BB", "BD", "BE", "BF", "BG", "BH", "BI", "BJ", "BM", "BN", "BO", "BR", "BS", "BT",
    "BV", "BW", "BY", "BZ", "CA", "CD", "CF", "CG", "CH", "CI", "CK", "CL", "CM", "CN", "CO", "CR",
    "CU", "CV", "CY", "CZ", "DE", "DJ", "DK", "DM", "DO", "DZ", "EC", "EE", "EG", "ER", "ES", "ET",
    "EU", "FI", "FJ", "FK", "FM", "FO", "FR", "GA", "GB", "GD", "GE", "GF", "GH", "GI", "GL", "GM",
    "GN", "GP", "GQ", "GR", "GU", "GW", "GY", "HK", "HM", "HN", "HR", "HT", "HU", "ID", "IE", "IL",
    "IN", "IO", "IQ", "IR", "IS", "IT", "JM", "JO", "JP", "KE", "KG", "KH", "KI", "KM", "KN", "KP",
    "KR", "KW", "KY", "KZ", "LA", "LB", "LC", "LI", "LK", "LR", "LS", "LT", "LU", "LV", "LY", "MA",
    "MC", "MD", "ME", "MG", "MH", "MK", "ML", "MM", "MN", "MO", "MP", "MQ", "MR", "MS", "MT", "MU",
    "MV", "MW", "MX", "MY", "MZ", "NA", "NC", "NE", "NF", "NG", "NI", "NL", "NO", "NP", "NR", "NU",
    "NZ", "OM", "PA", "PE", "PF", "PG", "PH", "PK", "PL", "PR", "PS", "PT", "PW", "PY", "QA", "RE",
    "RO", "RS", "RU", "RW", "SA", "SB", "SC", "SD", "SE", "SG", "SI", "SK", "SL", "SM", "SN", "SO",
    "SR", "ST", "SV", "SY", "SZ", "TC", "TD", "TG", "TH", "TJ", "TK", "TM", "TN", "TO", "TR", "TT",
    "TV", "TW", "TZ", "UA", "UG", "UK", "UM", "US", "UY", "UZ", "VA", "VC", "VE", "VG", "VI", "VN",
    "VU", "WF", "WS", "YE", "YT", "ZA", "ZM", "ZW"};

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
constexpr std::span<const OptionElement> noElements{};

// clang-format off
const std::array<ControlRow, kControlCount> kRows{{
    {savTime, "savTime", Text, F::Frame1, "Time Limit:", lbl(360, 360, 855), txt(1560, 360, 1215), 5, 0, noItems, noNumbers, noElements},
    {savAutoBalance, "savAutoBalance", Check, F::Frame1, "Auto Balance:", lbl(3120, 1080, 1095), chk(4440, 1080), 0, 0, noItems, noNumbers, noElements},
    {savSkins, "savSkins", Check, F::Frame1, "Custom Skins:", lbl(3120, 720, 1095), chk(4440, 720), 0, 0, noItems, noNumbers, noElements},
    {savMessage, "savMessage", Text, F::Frame1, "Host Message:", lbl(360, 1800, 1215), {360, 2040, 4335, 645}, 85, flag::Multiline | flag::LabelUnderlined, noItems, noNumbers, noElements},
    {savDedicated, "savDedicated", Check, F::Frame1, "Dedicated:", lbl(3120, 360, 855), chk(4440, 360), 0, 0, noItems, noNumbers, noElements},
    {savRespawn, "savRespawn", Combo, F::Frame1, "Respawn Time:", lbl(360, 1440, 1095), cmb(1560, 1440, 1215), 0, 0, noItems, {0, 600, true}, noElements},
    {savMaps, "savMaps", Combo, F::Frame1, "Replay Maps:", lbl(360, 1080, 975), cmb(1560, 1080, 1215), 0, 0, kMaps, noNumbers, noElements},
    {savDelay, "savDelay", Combo, F::Frame1, "Start Delay:", lbl(360, 720, 975), cmb(1560, 720, 1215), 0, 0, noItems, {0, 600, true}, noElements},
    {savPunkbuster, "savPunkbuster", Option, F::Frame2, "Punkbuster:", lbl(120, 1440, 975), none, 0, 0, noItems, noNumbers, kPunkbuster},
    {savPlayers, "savPlayers", List, F::Frame2, "Max Players:", lbl(3240, 1080, 975), {4320, 1080, 615, 255}, 0, 0, noItems, {1, 64, false}, noElements},
    {savSession, "savSession", Combo, F::Frame2, "Sesstion Type:", lbl(2520, 720, 1095), cmb(3720, 720, 1215), 0, 0, kSessions, noNumbers, noElements},
    {savCountry, "savCountry", EditCombo, F::Frame2, "Country:", lbl(120, 720, 975), cmb(1080, 720, 1215), 0, 0, kCountries, noNumbers, noElements},
    {savPassword, "savPassword", Text, F::Frame2, "Password:", lbl(120, 1080, 855), txt(1080, 1080, 1815), 16, 0, noItems, noNumbers, noElements},
    {savServerName, "savServerName", Text, F::Frame2, "Name:", lbl(120, 360, 1095), txt(1080, 360, 3855), 31, 0, noItems, noNumbers, noElements},
    {savVoting, "savVoting", Check, F::Frame8, "Voting Enabled:", lbl(120, 360, 1335), chk(1800, 360), 0, 0, noItems, noNumbers, noElements},
    {savVoteTime, "savVoteTime", Text, F::Frame8, "Voting Period:", lbl(2520, 720, 1095), txt(3600, 720, 615), 5, C, noItems, noNumbers, noElements},
    {savVoteMin, "savVoteMin", Text, F::Frame8, "Min. Players for Vote:", lbl(120, 720, 1695), txt(1800, 720, 615), 3, C, noItems, noNumbers, noElements},
    {savLives, "savLives", Text, F::Frame6, "Max Team Lives:", lbl(240, 1080, 1335), txt(1920, 1080, 855), 3, 0, noItems, noNumbers, noElements},
    {savFlagReturn, "savFlagReturn", Text, F::Frame6, "Flag Return Time:", lbl(240, 720, 1455), txt(1920, 720, 855), 3, 0, noItems, noNumbers, noElements},
    {savPSPTime, "savPSPTime", Combo, F::Frame6, "PSP Takeover Time:", lbl(240, 360, 1575), cmb(1920, 360, 855), 0, 0, noItems, {1, 100, false}, noElements},
    {savClays, "savClays", Check, F::Frame6, "Show Team Clays:", lbl(3000, 720, 1335), chk(4440, 720), 0, 0, noItems, noNumbers, noElements},
    {savTracers, "savTracers", Check, F::Frame6, "Show Tracers:", lbl(3000, 360, 1095), chk(4440, 360), 0, 0, noItems, noNumbers, noElements},
    {savSniperScope, "savSniperScope", Check, F::Frame6, "Sniper Scope:", lbl(3000, 1440, 1095), chk(4440, 1440), 0, 0, noItems, noNumbers, noElements},
    {savChangePenalty, "savChangePenalty", Text, F::Frame6, "Change Team Penalty:", lbl(240, 1800, 1695), txt(1920, 1800, 855), 3, 0, noItems, noNumbers, noElements},
    {savChangeTime, "savChangeTime", Text, F::Frame6, "Change Team Time:", lbl(240, 1440, 1455), txt(1920, 1440, 855), 3, 0, noItems, noNumbers, noElements},
    {savChangeTeams, "savChangeTeams", Check, F::Frame6, "Change Teams:", lbl(3000, 1080, 1215), chk(4440, 1080), 0, 0, noItems, noNumbers, noElements},
    {savArmoryReuse, "savArmoryReuse", Text, F::Frame6, "Armory Reuse Time:", lbl(240, 2160, 1695), txt(1920, 2160, 855), 3, 0, noItems, noNumbers, noElements},
    {savLFPSpd, "savLFPSpd", Option, F::Frame6, "LFP Speed:", lbl(240, 2520, 855), none, 0, flag::LabelOpaque, noItems, noNumbers, kLfpSpeed},
    {savGamePort, "savGamePort", Text, F::Frame13, "Vel Port:", lbl(240, 480, 855), txt(1200, 480, 1095), 5, C | flag::Disabled | flag::LabelDisabled, noItems, noNumbers, noElements},
    {savLanPort, "savLanPort", Text, F::Frame13, "Lan Port:", lbl(2760, 480, 735), txt(3600, 480, 1095), 5, C | flag::Disabled | flag::LabelDisabled, noItems, noNumbers, noElements},
    {savMinPingChk, "savMinPingChk", Check, F::Frame7, "Enable Min Ping Check:", lbl(360, 360, 1695), chk(2160, 360), 0, 0, noItems, noNumbers, noElements},
    // The ping limits' labels are controls of their own (lblMinPing, lblMaxPing) because
    // their enabled state follows the check boxes.
    {savMinPing, "savMinPing", Text, F::Frame7, "", none, txt(3840, 360, 735), 3, C | flag::StartsDisabled, noItems, noNumbers, noElements},
    {savMaxPingChk, "savMaxPingChk", Check, F::Frame7, "Enable Max Ping Check:", lbl(360, 720, 1815), chk(2160, 720), 0, 0, noItems, noNumbers, noElements},
    {savMaxPing, "savMaxPing", Text, F::Frame7, "", none, txt(3840, 720, 735), 5, C | flag::StartsDisabled, noItems, noNumbers, noElements},
    {savUnlimitedVehs, "savUnlimitedVehs", Check, F::Frame9, "Unlimited Vehs:", lbl(2400, 720, 1335), chk(4320, 720), 0, 0, noItems, noNumbers, noElements},
    {savFatBullets, "savFatBullets", Check, F::Frame9, "Fat Bullets:", lbl(360, 720, 855), chk(1680, 720), 0, 0, noItems, noNumbers, noElements},
    {savDestroyBuildings, "savDestroyBuildings", Check, F::Frame9, "Destroy Buildings:", lbl(2400, 360, 1335), chk(4320, 360), 0, 0, noItems, noNumbers, noElements},
    {savOneShot, "savOneShot", Check, F::Frame9, "One Shot Kills:", lbl(360, 360, 1095), chk(1680, 360), 0, 0, noItems, noNumbers, noElements},
    {savMaxFF, "savMaxFF", Combo, F::Frame5, "Max Friendly Kills:", lbl(120, 600, 1335), cmb(1560, 600, 975), 0, 0, noItems, {0, 999, true}, noElements},
    {savFFWarn, "savFFWarn", Check, F::Frame5, "Friendly Fire Warning:", lbl(2880, 600, 1695), chk(4560, 600), 0, 0, noItems, noNumbers, noElements},
    {savFFTags, "savFFTags", Check, F::Frame5, "Show Friendly Tags:", lbl(3000, 240, 1455), chk(4560, 240), 0, 0, noItems, noNumbers, noElements},
    {savFFKills, "savFFKills", Check, F::Frame5, "Friendly Fire Kills:", lbl(120, 240, 1335), chk(1560, 240), 0, 0, noItems, noNumbers, noElements},
    {savSpecPass, "savSpecPass", Text, F::Frame4, "Spectator Password:", lbl(360, 1080, 1695), txt(2040, 1080, 2535), 16, 0, noItems, noNumbers, noElements},
    {savRedPass, "savRedPass", Text, F::Frame4, "Red Password:", lbl(360, 720, 1215), txt(2040, 720, 2535), 16, 0, noItems, noNumbers, noElements},
    {savBluePass, "savBluePass", Text, F::Frame4, "Blue Password:", lbl(360, 360, 1215), txt(2040, 360, 2535), 16, 0, noItems, noNumbers, noElements},
    {lstRoles, "lstRoles", MultiList, F::Frame10, "", none, {120, 240, 2775, 960}, 0, 0, kRoles, noNumbers, noElements},
    {lstWeapons, "lstWeapons", MultiList, F::Frame11, "", none, {120, 240, 2775, 2535}, 0, 0, noItems, noNumbers, noElements},
    {optRoles, "optRoles", Option, F::Frame10, "", none, none, 0, 0, noItems, noNumbers, kRoleChoice},
    {optWeapons, "optWeapons", Option, F::Frame11, "", none, none, 0, 0, noItems, noNumbers, kWeaponChoice},
    {chkAutoLoad, "chkAutoLoad", Check, F::Frame12, "", none, none, 0, 0, noItems, noNumbers, noElements},
    {lblMinPing, "lblMinPing", Label, F::Frame7, "Min Ping:", lbl(3000, 360, 735), none, 0, flag::StartsDisabled, noItems, noNumbers, noElements},
    {lblMaxPing, "lblMaxPing", Label, F::Frame7, "Max Ping:", lbl(3000, 720, 735), none, 0, flag::StartsDisabled, noItems, noNumbers, noElements},
}};

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

bool rowsInOrder() {
    for (int i = 0; i < kControlCount; ++i)
        if (static_cast<int>(kRows[i].id) != i) return false;
    return true;
}

}  // namespace

std::span<const ControlRow> controls() {
    static const bool ordered = rowsInOrder();
    assert(ordered);
    (void)ordered;
    return kRows;
}
const ControlRow& row(Control c) { return kRows[static_cast<size_t>(c)]; }
std::span<const ControlRow> settingControls() { return std::span(kRows).first(kSettingCount); }
std::optional<Control> controlByName(std::string_view n) {
    for (const auto& r : kRows)
        if (r.name == n) return r.id;
    return std::nullopt;
}
std::span<const FrameRow> frames() { return kFrames; }
std::span<const std::string_view> countryCodes() { return kCountries; }
std::span<const std::string_view> roleItems() { return kRoles; }
std::span<const std::string_view> tabCaptions() { return kTabs; }
std::span<const StaticLabel> staticLabels() { return kStaticLabels; }
std::string_view name(Control c) { return row(c).name; }
std::string_view profileKey(Control c) { return row(c).name.substr(3); }

}  // namespace kora
