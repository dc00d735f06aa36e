// The server side's view of one Duskwater server: its settings as typed
// values, the SettingsReply built from them, and the checked application of
// a SetSettingsRem payload. Portable; the TCP front end lives in suite/server.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace kora::suite {

inline constexpr int kReplyFieldCount = 43;
inline constexpr int kUpdateFieldCount = 41;
inline constexpr int kRoleCount = 5;
inline constexpr int kUpdateRoleCount = 4;  // the last role never travels in an update

struct Weapon {
    std::string name;
    bool selected = false;
    bool operator==(const Weapon&) const = default;
};

// Numbers hold what the server means (players, seconds, kills), not the
// list positions the wire carries; the field table below does the shifting.
struct ServerSettings {
    std::string serverName;
    std::string country;
    int session = 0;  // 0 Velnet, 1 LAN IP
    std::string password;
    int maxPlayers = 1;
    int timeLimit = 0;
    int startDelay = 0;
    int replayMaps = 0;  // 0 No, 1 Yes
    int respawnTime = 0;
    bool dedicated = false;
    bool customSkins = false;
    bool autoBalance = false;
    std::string hostMessage;  // may hold line breaks
    std::string bluePassword;
    std::string redPassword;
    std::string spectatorPassword;
    bool friendlyFireKills = false;
    int maxFriendlyKills = 0;
    bool friendlyTags = false;
    bool friendlyFireWarning = false;
    int pspTakeoverTime = 1;
    int flagReturnTime = 0;
    int maxTeamLives = 0;
    bool showTracers = false;
    bool showTeamClays = false;
    bool minPingCheck = false;
    int minPing = 0;
    bool maxPingCheck = false;
    int maxPing = 0;
    bool oneShotKills = false;
    bool fatBullets = false;
    bool destroyBuildings = false;
    int gamePort = 17479;
    bool punkbuster = false;
    bool voting = false;
    int voteMinPlayers = 0;
    int votePeriod = 0;
    bool unlimitedVehicles = false;
    int changeTeamTime = 0;
    int changeTeamPenalty = 0;
    int armoryReuseTime = 0;
    int lfpSpeed = 0;  // 0 Fast, 1 Medium, 2 Slow
    int lanPort = 17480;

    std::array<bool, kRoleCount> roles{};  // in the order of roleNames()
    std::vector<Weapon> weapons;           // in list order; names are unique
    bool autoLoad = false;

    bool operator==(const ServerSettings&) const = default;
};

// How a field travels.
enum class Wire : uint8_t {
    Encoded,        // Enc64 of the text; an update may send "" for a blank text
    Index,          // a list or option position: exact decimal, value + offset on the wire
    NumberText,     // a number typed into a text box: any number text whose value is whole
    Check,          // "0" or "1"
    InvertedCheck,  // "0" when set, "1" when clear
};

using FieldMember = std::variant<std::string ServerSettings::*, int ServerSettings::*, bool ServerSettings::*>;

struct FieldSpec {
    std::string_view name;  // key in the settings file
    int replyIndex;         // 0..42
    int updateIndex;        // 0..40, or -1 when an update does not carry it
    Wire wire;
    FieldMember member;
    std::string_view stock;  // the value of defaultServer(), as the settings file writes it
    int min = 0, max = 0;    // numbers: value range; texts: length range in UTF-16 units
    int offset = 0;          // Index: wire value = value + offset
    bool multiline = false;  // texts: CR, LF and TAB allowed
};

// The 43 fields of a SettingsReply, in reply order.
std::span<const FieldSpec> fieldSpecs();
// "CQB", "Sniper", "Gunner", "Rifleman", "Engineer": the first four are also
// the texts an update carries for selected roles.
std::span<const std::string_view> roleNames();

// A server as it comes out of the box: the fields' stock values.
ServerSettings defaultServer();

// "0" or "1".
std::optional<bool> parseFlag(std::string_view value);
// Sets one field from its settings-file value; false when the value has the wrong form.
bool readField(ServerSettings& s, const FieldSpec& f, std::string_view value);

// Why settings are not acceptable (the first fault found), or nullopt.
std::optional<std::string> checkSettings(const ServerSettings& settings);

// The answer to GetSettingsRem. Decoding it field by field the way the
// plug-in does gives back exactly these settings.
std::string settingsReply(const ServerSettings& settings);

// Applies a SetSettingsRem payload only when every part of it is acceptable;
// otherwise returns why and leaves the settings untouched.
std::optional<std::string> applyUpdate(ServerSettings& settings, std::string_view payload);

enum class Command : uint8_t { Unknown, GetSettings, SetSettings };

// A request split into its parts. The key is verbatim and may hold "_" and
// even "_VB6_". A valid payload never holds "_" (its fields are standard
// Base64, numbers, role names and separators), so the payload is what follows
// the last "_"; before that "_" stand "_VB6_" and the host index. A fetch has
// no payload: its index ends the text. The index is decimal, with "-" when
// negative and no leading zeros.
struct Request {
    Command command = Command::Unknown;
    bool wellFormed = false;
    std::string_view key;
    int32_t hostIndex = 0;
    std::string_view payload;
};
Request parseRequest(std::string_view text);

// Stores accepted settings before they take effect; returns why it could not.
using Persist = std::function<std::optional<std::string>(const ServerSettings&)>;

struct Exchange {
    std::string answer;  // SettingsReply, "1", "0" or "" for an unknown request
    std::string log;     // one line, without line break, for the server's log
};

// Answers one request: GetSettingsRem with the reply; SetSettingsRem with "1"
// once the payload was checked, persisted and applied, else "0"; anything
// else with "".
Exchange answerRequest(ServerSettings& current, std::string_view request, const Persist& persist);

// Length of UTF-8 text in UTF-16 units (what a text box counts), or nullopt
// when the bytes are not UTF-8.
std::optional<std::size_t> utf16Length(std::string_view text);

}  // namespace kora::suite
