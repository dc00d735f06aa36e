#include "server_settings.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <unordered_set>

#include "base64.h"
#include "base/number.h"

namespace kora::suite {
namespace {

using SS = ServerSettings;
constexpr std::string_view kSectionSep = "[-]";
constexpr std::string_view kPrefix = "Plugin_zelKORA_";
constexpr std::string_view kIndexMark = "_VB6_";
constexpr int kMaxWeaponName = 64;

constexpr std::string_view kWelcome = "Welcome to Harbour Night Ops!\r\nNo spawn camping. Teamwork wins.";

// clang-format off
constexpr FieldSpec kFields[kReplyFieldCount] = {
    {"ServerName",          0,  0,  Wire::Encoded,       &SS::serverName,          "[DW] Harbour Night Ops | 24/7", 1, 31},
    {"Country",             1,  1,  Wire::Encoded,       &SS::country,             "NL",                            0, 32},
    {"Session",             2,  2,  Wire::Index,         &SS::session,             "0",                             0, 1},
    {"Password",            3,  3,  Wire::Encoded,       &SS::password,            "",                              0, 16},
    {"MaxPlayers",          4,  4,  Wire::Index,         &SS::maxPlayers,          "32",                            1, 50, -1},
    {"TimeLimit",           5,  5,  Wire::NumberText,    &SS::timeLimit,           "30",                            0, 100},
    {"StartDelay",          6,  6,  Wire::Index,         &SS::startDelay,          "2",                             0, 3},
    {"ReplayMaps",          7,  7,  Wire::Index,         &SS::replayMaps,          "1",                             0, 1},
    {"RespawnTime",         8,  8,  Wire::Index,         &SS::respawnTime,         "15",                            0, 120},
    {"Dedicated",           9,  9,  Wire::Check,         &SS::dedicated,           "1"},
    {"CustomSkins",         10, 10, Wire::Check,         &SS::customSkins,         "0"},
    {"AutoBalance",         11, 11, Wire::InvertedCheck, &SS::autoBalance,         "1"},
    {"HostMessage",         12, 12, Wire::Encoded,       &SS::hostMessage,         kWelcome,                        0, 85, 0, true},
    {"BluePassword",        13, 13, Wire::Encoded,       &SS::bluePassword,        "",                              0, 16},
    {"RedPassword",         14, 14, Wire::Encoded,       &SS::redPassword,         "",                              0, 16},
    {"SpectatorPassword",   15, 15, Wire::Encoded,       &SS::spectatorPassword,   "",                              0, 16},
    {"FriendlyFireKills",   16, 16, Wire::Check,         &SS::friendlyFireKills,   "1"},
    {"MaxFriendlyKills",    17, 17, Wire::Index,         &SS::maxFriendlyKills,    "5",                             0, 50, 1},
    {"FriendlyTags",        18, 18, Wire::Check,         &SS::friendlyTags,        "1"},
    {"FriendlyFireWarning", 19, 19, Wire::Check,         &SS::friendlyFireWarning, "1"},
    {"PSPTakeoverTime",     20, 20, Wire::Index,         &SS::pspTakeoverTime,     "15",                            1, 100},
    {"FlagReturnTime",      21, 21, Wire::NumberText,    &SS::flagReturnTime,      "210",                           0, 999},
    {"MaxTeamLives",        22, 22, Wire::NumberText,    &SS::maxTeamLives,        "100",                           0, 999},
    {"ShowTracers",         23, 23, Wire::Check,         &SS::showTracers,         "1"},
    {"ShowTeamClays",       24, 24, Wire::Check,         &SS::showTeamClays,       "1"},
    {"MinPingCheck",        25, 25, Wire::Check,         &SS::minPingCheck,        "0"},
    {"MinPing",             26, 26, Wire::NumberText,    &SS::minPing,             "0",                             0, 999},
    {"MaxPingCheck",        27, 27, Wire::Check,         &SS::maxPingCheck,        "1"},
    {"MaxPing",             28, 28, Wire::NumberText,    &SS::maxPing,             "400",                           0, 99999},
    {"OneShotKills",        29, 29, Wire::Check,         &SS::oneShotKills,        "0"},
    {"FatBullets",          30, 30, Wire::Check,         &SS::fatBullets,          "0"},
    {"DestroyBuildings",    31, 31, Wire::Check,         &SS::destroyBuildings,    "1"},
    {"GamePort",            32, -1, Wire::NumberText,    &SS::gamePort,            "17479",                         1, 65535},
    {"Punkbuster",          33, 32, Wire::Check,         &SS::punkbuster,          "1"},
    {"Voting",              34, 33, Wire::Check,         &SS::voting,              "1"},
    {"VoteMinPlayers",      35, 34, Wire::NumberText,    &SS::voteMinPlayers,      "6",                             0, 999},
    {"VotePeriod",          36, 35, Wire::NumberText,    &SS::votePeriod,          "180",                           0, 99999},
    {"UnlimitedVehicles",   37, 36, Wire::Check,         &SS::unlimitedVehicles,   "0"},
    {"ChangeTeamTime",      38, 37, Wire::NumberText,    &SS::changeTeamTime,      "60",                            0, 999},
    {"ChangeTeamPenalty",   39, 38, Wire::NumberText,    &SS::changeTeamPenalty,   "300",                           0, 999},
    {"ArmoryReuseTime",     40, 39, Wire::NumberText,    &SS::armoryReuseTime,     "20",                            0, 999},
    {"LFPSpeed",            41, 40, Wire::Index,         &SS::lfpSpeed,            "1",                             0, 2},
    {"LanPort",             42, -1, Wire::NumberText,    &SS::lanPort,             "17480",                         1, 65535},
};
// clang-format on

constexpr std::string_view kRoleNames[kRoleCount] = {"CQB", "Sniper", "Gunner", "Rifleman", "Engineer"};

// Invented designations; a few carry "|", "," or non-ASCII letters on purpose,
// because only the encoding keeps them from breaking the reply's separators.
constexpr std::string_view kWeapons[] = {"VR-14 Assault Rifle",
                                         "VR-14C Carbine",
                                         "KT-9 Battle Rifle",
                                         "Halden RB-5 Bullpup",
                                         "Marten AR-220",
                                         "Sorrel M-72 Service Rifle",
                                         "PX-9 Compact SMG",
                                         "Wren SM-45",
                                         "Hollis VK-10 SMG",
                                         "Lantern SR-338 Sniper Rifle",
                                         "Greywolf LR-50 Anti-Materiel Rifle",
                                         "Sølvfalk DMR-20 Marksman Rifle",
                                         "Corvid M-24S Sniper",
                                         "Tanner LMG-56",
                                         "Brannock GPMG-762",
                                         "HX-40 Squad Automatic Weapon",
                                         "Breacher 12G Pump Shotgun",
                                         "Osprey AS-12 Auto Shotgun",
                                         "Stag P-9 Service Pistol",
                                         "Stag P-45 Tactical Pistol",
                                         "Mira R-357 Revolver",
                                         "Talon AT-4X Launcher",
                                         "Skylance MANPADS",
                                         "Ridge GL-40 Grenade Launcher",
                                         "Ridge UGL-40 Underbarrel Launcher",
                                         "Harrow RPG-9",
                                         "Frag Grenade M-67D",
                                         "Smoke Grenade SG-2",
                                         "Flashbang FB-9",
                                         "Thermite Charge TC-3",
                                         "Satchel Charge SC-5",
                                         "Directional Mine DM-51",
                                         "AT Mine TM-62R",
                                         "Combat Knife CK-7",
                                         "Entrenching Tool",
                                         "Mounted HMG .50 | Tripod",
                                         "Mounted GMG-40",
                                         "Mortar, 81 mm",
                                         "Laser Designator LD-2",
                                         "Demolition Pack DP-1"};
constexpr std::string_view kRestrictedByDefault[] = {"Greywolf LR-50 Anti-Materiel Rifle", "Skylance MANPADS",
                                                     "Thermite Charge TC-3", "Directional Mine DM-51"};

void split(std::string_view text, std::string_view sep, std::vector<std::string_view>& out) {
    out.clear();
    for (;;) {
        const auto at = text.find(sep);
        out.push_back(text.substr(0, at));
        if (at == std::string_view::npos) return;
        text.remove_prefix(at + sep.size());
    }
}

std::string quoted(std::string_view text) {
    constexpr std::size_t kShown = 40;
    std::string q = "\"";
    q += text.substr(0, kShown);
    if (text.size() > kShown) q += "...";
    q += '"';
    return q;
}

std::string fieldLabel(const FieldSpec& f) {
    return "field " + std::to_string(f.updateIndex) + " (" + std::string(f.name) + ")";
}

// Exact decimal: "0", or an optional "-" and digits without a leading zero.
std::optional<int32_t> parseCanonicalInt(std::string_view text) {
    std::string_view digits = text;
    if (!digits.empty() && digits.front() == '-') digits.remove_prefix(1);
    if (digits.empty() || (digits.front() == '0' && digits.size() > 1)) return std::nullopt;
    if (text.size() != digits.size() && digits == "0") return std::nullopt;
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) return std::nullopt;
    int32_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    return value;
}

bool isControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

std::optional<std::string> checkText(std::string_view text, int min, int max, bool multiline) {
    const auto length = utf16Length(text);
    if (!length) return std::string("is not UTF-8 text");
    if (*length < static_cast<std::size_t>(min) || *length > static_cast<std::size_t>(max))
        return "length " + std::to_string(*length) + " is outside " + std::to_string(min) + ".." + std::to_string(max);
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (!isControl(c)) continue;
        if (multiline && (c == '\r' || c == '\n' || c == '\t')) continue;
        return std::string("holds a control character");
    }
    if (min > 0 && text.find_first_not_of(' ') == std::string_view::npos) return std::string("is blank");
    return std::nullopt;
}

std::optional<std::string> checkField(const SS& s, const FieldSpec& f) {
    if (const auto* text = std::get_if<std::string SS::*>(&f.member))
        return checkText(s.**text, f.min, f.max, f.multiline);
    if (const auto* number = std::get_if<int SS::*>(&f.member); number && (s.**number < f.min || s.**number > f.max))
        return std::to_string(s.**number) + " is outside " + std::to_string(f.min) + ".." + std::to_string(f.max);
    return std::nullopt;  // a flag cannot be out of range
}

std::string wireValue(const SS& s, const FieldSpec& f) {
    switch (f.wire) {
    case Wire::Encoded: return encodeBase64(s.*std::get<std::string SS::*>(f.member));
    case Wire::Index: return std::to_string(s.*std::get<int SS::*>(f.member) + f.offset);
    case Wire::NumberText: return std::to_string(s.*std::get<int SS::*>(f.member));
    case Wire::Check: return s.*std::get<bool SS::*>(f.member) ? "1" : "0";
    case Wire::InvertedCheck: return s.*std::get<bool SS::*>(f.member) ? "0" : "1";
    }
    return {};
}

// Reads one update field into the settings; returns why it cannot.
std::optional<std::string> readUpdateField(SS& s, const FieldSpec& f, std::string_view text) {
    switch (f.wire) {
    case Wire::Encoded: {
        auto decoded = decodeBase64(text);
        if (!decoded) return "is not Base64: " + quoted(text);
        if (auto fault = checkText(*decoded, f.min, f.max, f.multiline)) return fault;
        s.*std::get<std::string SS::*>(f.member) = std::move(*decoded);
        return std::nullopt;
    }
    case Wire::Index: {
        const auto wire = parseCanonicalInt(text);
        if (!wire) return "is not a whole number: " + quoted(text);
        const int64_t value = int64_t{*wire} - f.offset;
        if (value < f.min || value > f.max)
            return quoted(text) + " is outside " + std::to_string(f.min + f.offset) + ".." +
                   std::to_string(f.max + f.offset);
        s.*std::get<int SS::*>(f.member) = static_cast<int>(value);
        return std::nullopt;
    }
    case Wire::NumberText: {
        // Typed text goes out as typed ("+30", " 30 ", "3e1"); what matters is its value.
        const auto value = parseNumber(text);
        if (!value || std::floor(*value) != *value) return "is not a whole number: " + quoted(text);
        if (*value < f.min || *value > f.max)
            return quoted(text) + " is outside " + std::to_string(f.min) + ".." + std::to_string(f.max);
        s.*std::get<int SS::*>(f.member) = static_cast<int>(*value);
        return std::nullopt;
    }
    case Wire::Check:
    case Wire::InvertedCheck: {
        // A greyed box (2) says nothing a server could apply.
        if (text != "0" && text != "1") return "is not 0 or 1: " + quoted(text);
        s.*std::get<bool SS::*>(f.member) = (text == "1") == (f.wire == Wire::Check);
        return std::nullopt;
    }
    }
    return std::string("has an unknown form");
}

std::optional<std::string> readWeapons(SS& s, std::string_view section) {
    for (auto& w : s.weapons) w.selected = false;
    if (section.empty()) return std::nullopt;
    std::vector<std::string_view> entries;
    split(section, "|", entries);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const auto name = decodeBase64(entries[i]);
        const std::string where = "weapon " + std::to_string(i);
        if (entries[i].empty() || !name) return where + " is not Base64: " + quoted(entries[i]);
        const auto it =
            std::find_if(s.weapons.begin(), s.weapons.end(), [&](const Weapon& w) { return w.name == *name; });
        if (it == s.weapons.end()) return where + " is not a weapon of this server: " + quoted(*name);
        it->selected = true;
    }
    return std::nullopt;
}

std::optional<std::string> readRoles(SS& s, std::string_view section) {
    std::vector<std::string_view> positions;
    split(section, "|", positions);
    if (positions.size() != kUpdateRoleCount)
        return "roles section has " + std::to_string(positions.size()) + " positions, expected " +
               std::to_string(kUpdateRoleCount);
    for (int i = 0; i < kUpdateRoleCount; ++i) {
        const auto p = positions[static_cast<std::size_t>(i)];
        if (!p.empty() && p != kRoleNames[i])
            return "role position " + std::to_string(i + 1) + " is " + quoted(p) + ", expected \"" +
                   std::string(kRoleNames[i]) + "\" or nothing";
        s.roles[static_cast<std::size_t>(i)] = !p.empty();
    }
    return std::nullopt;
}

// A decimal host index at the end of `head`, preceded by "_VB6_"; the key is
// what comes before that.
bool splitKeyAndIndex(std::string_view head, Request& r) {
    std::size_t start = head.size();
    while (start > 0 && head[start - 1] >= '0' && head[start - 1] <= '9') --start;
    if (start > 0 && head[start - 1] == '-') --start;
    const auto index = parseCanonicalInt(head.substr(start));
    const auto before = head.substr(0, start);
    if (!index || !before.ends_with(kIndexMark)) return false;
    r.key = before.substr(0, before.size() - kIndexMark.size());
    r.hostIndex = *index;
    return true;
}

std::string printable(std::string_view text) {
    std::string out;
    for (const char ch : text) out += isControl(static_cast<unsigned char>(ch)) ? '?' : ch;
    return out;
}

}  // namespace

std::span<const FieldSpec> fieldSpecs() { return kFields; }
std::span<const std::string_view> roleNames() { return kRoleNames; }

std::optional<bool> parseFlag(std::string_view value) {
    if (value == "0") return false;
    if (value == "1") return true;
    return std::nullopt;
}

bool readField(SS& s, const FieldSpec& f, std::string_view value) {
    if (const auto* text = std::get_if<std::string SS::*>(&f.member)) {
        s.** text = value;
        return true;
    }
    if (const auto* number = std::get_if<int SS::*>(&f.member)) {
        const auto whole = parseWhole(value);
        if (!whole || *whole < INT32_MIN || *whole > INT32_MAX) return false;
        s.** number = static_cast<int>(*whole);
        return true;
    }
    const auto flag = parseFlag(value);
    if (!flag) return false;
    s.*std::get<bool SS::*>(f.member) = *flag;
    return true;
}

ServerSettings defaultServer() {
    SS s;
    for (const auto& f : kFields) readField(s, f, f.stock);
    s.roles = {true, true, true, true, false};
    for (const auto name : kWeapons) {
        const bool restricted = std::find(std::begin(kRestrictedByDefault), std::end(kRestrictedByDefault), name) !=
                                std::end(kRestrictedByDefault);
        s.weapons.push_back({std::string(name), !restricted});
    }
    s.autoLoad = true;
    return s;
}

std::optional<std::string> checkSettings(const ServerSettings& s) {
    for (const auto& f : kFields)
        if (auto fault = checkField(s, f)) return std::string(f.name) + " " + *fault;
    std::unordered_set<std::string_view> names;
    for (const auto& w : s.weapons) {
        if (auto fault = checkText(w.name, 1, kMaxWeaponName, false)) return "weapon " + quoted(w.name) + " " + *fault;
        if (!names.insert(w.name).second) return "weapon " + quoted(w.name) + " is listed twice";
    }
    return std::nullopt;
}

std::string settingsReply(const ServerSettings& s) {
    std::string reply;
    for (const auto& f : kFields) reply += (f.replyIndex > 0 ? "|" : "") + wireValue(s, f);
    reply += kSectionSep;
    for (std::size_t i = 0; i < s.roles.size(); ++i) reply += std::string(i > 0 ? "|" : "") + (s.roles[i] ? '1' : '0');
    reply += kSectionSep;
    for (std::size_t i = 0; i < s.weapons.size(); ++i)
        reply += (i > 0 ? "|" : "") + encodeBase64(s.weapons[i].name) + (s.weapons[i].selected ? ",1" : ",0");
    reply += kSectionSep;
    reply += s.autoLoad ? '1' : '0';
    return reply;
}

std::optional<std::string> applyUpdate(ServerSettings& settings, std::string_view payload) {
    std::vector<std::string_view> sections, fields;
    split(payload, kSectionSep, sections);
    if (sections.size() != 4) return "payload has " + std::to_string(sections.size()) + " sections, expected 4";
    split(sections[0], "|", fields);
    if (fields.size() != kUpdateFieldCount)
        return "settings section has " + std::to_string(fields.size()) + " fields, expected " +
               std::to_string(kUpdateFieldCount);

    SS next = settings;
    for (const auto& f : kFields) {
        if (f.updateIndex < 0) continue;
        if (auto fault = readUpdateField(next, f, fields[static_cast<std::size_t>(f.updateIndex)]))
            return fieldLabel(f) + " " + *fault;
    }
    if (auto fault = readWeapons(next, sections[1])) return fault;
    if (auto fault = readRoles(next, sections[2])) return fault;
    if (sections[3] != "0" && sections[3] != "1") return "auto-load flag is not 0 or 1: " + quoted(sections[3]);
    next.autoLoad = sections[3] == "1";
    settings = std::move(next);
    return std::nullopt;
}

Request parseRequest(std::string_view text) {
    Request r;
    if (!text.starts_with(kPrefix)) return r;
    text.remove_prefix(kPrefix.size());
    constexpr std::string_view kGet = "GetSettingsRem_", kSet = "SetSettingsRem_";
    if (text.starts_with(kGet)) {
        r.command = Command::GetSettings;
        r.wellFormed = splitKeyAndIndex(text.substr(kGet.size()), r);
    } else if (text.starts_with(kSet)) {
        r.command = Command::SetSettings;
        text.remove_prefix(kSet.size());
        const auto last = text.rfind('_');
        if (last == std::string_view::npos) return r;
        r.payload = text.substr(last + 1);
        r.wellFormed = splitKeyAndIndex(text.substr(0, last), r);
    }
    return r;
}

Exchange answerRequest(ServerSettings& current, std::string_view request, const Persist& persist) {
    const Request r = parseRequest(request);
    const std::string who = r.wellFormed ? " key=" + quoted(printable(r.key)) + " index=" + std::to_string(r.hostIndex)
                                         : std::string(" (malformed)");
    switch (r.command) {
    case Command::Unknown: return {"", "unknown request " + quoted(printable(request)) + " -> empty answer"};
    case Command::GetSettings: {
        if (!r.wellFormed) return {"", "GetSettingsRem" + who + " -> empty answer"};
        std::string reply = settingsReply(current);
        std::string log = "GetSettingsRem" + who + " -> " + std::to_string(reply.size()) + " bytes";
        return {std::move(reply), std::move(log)};
    }
    case Command::SetSettings: {
        if (!r.wellFormed) return {"0", "SetSettingsRem" + who + " -> 0"};
        SS next = current;
        auto fault = applyUpdate(next, r.payload);
        if (!fault && persist) fault = persist(next);
        if (fault) return {"0", "SetSettingsRem" + who + " -> 0: " + printable(*fault)};
        current = std::move(next);
        return {"1", "SetSettingsRem" + who + " -> 1"};
    }
    }
    return {"", "unreachable"};
}

std::optional<std::size_t> utf16Length(std::string_view text) {
    if (!isValidUtf8(text)) return std::nullopt;
    std::size_t units = 0;
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c & 0xC0u) == 0x80u) continue;  // continuation byte
        units += c >= 0xF0u ? 2 : 1;         // four bytes: beyond the BMP, a surrogate pair
    }
    return units;
}

}  // namespace kora::suite
