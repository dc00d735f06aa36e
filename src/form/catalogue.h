// The settings catalogue: one table of data that the form, the reply decoder,
// the update request and the profiles all read. Coordinates are twips,
// relative to the control's container. Adding a setting is one row.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace kora {

// Every control the core talks to. The setting controls come first, in the
// order the form's control collection yields them (profiles walk this order).
enum class Control : uint8_t {
    savTime,
    savAutoBalance,
    savSkins,
    savMessage,
    savDedicated,
    savRespawn,
    savMaps,
    savDelay,
    savPunkbuster,
    savPlayers,
    savSession,
    savCountry,
    savPassword,
    savServerName,
    savVoting,
    savVoteTime,
    savVoteMin,
    savLives,
    savFlagReturn,
    savPSPTime,
    savClays,
    savTracers,
    savSniperScope,
    savChangePenalty,
    savChangeTime,
    savChangeTeams,
    savArmoryReuse,
    savLFPSpd,
    savGamePort,
    savLanPort,
    savMinPingChk,
    savMinPing,
    savMaxPingChk,
    savMaxPing,
    savUnlimitedVehs,
    savFatBullets,
    savDestroyBuildings,
    savOneShot,
    savMaxFF,
    savFFWarn,
    savFFTags,
    savFFKills,
    savSpecPass,
    savRedPass,
    savBluePass,
    // Not setting controls.
    lstRoles,
    lstWeapons,
    optRoles,
    optWeapons,
    chkAutoLoad,
    lblMinPing,
    lblMaxPing,
    Count_
};
inline constexpr int kSettingCount = static_cast<int>(Control::lstRoles);  // the sav controls come first
inline constexpr int kControlCount = static_cast<int>(Control::Count_);

enum class Kind : uint8_t {
    Text,       // text box
    Check,      // check box, value 0/1/2
    Combo,      // drop-down list that accepts only its items
    EditCombo,  // editable combo box (savCountry)
    List,       // one-row list box used as a spinner (savPlayers)
    Option,     // option group (control array of option buttons)
    MultiList,  // list box with independent multiple selection
    Label,
};

enum class Frame : uint8_t {
    Frame2,
    Frame1,
    Frame3,
    Frame4,
    Frame5,
    Frame8,
    Frame9,
    Frame6,
    Frame7,
    Frame13,
    Frame10,
    Frame11,
    Frame12,
    Count_
};

struct Rect {
    int left, top, width, height;
};

struct FrameRow {
    Frame id;
    std::string_view name;
    std::string_view caption;
    int tab;  // -1: on the form itself; 0..3: a page of SSTab2
    Rect rect;
};

struct OptionElement {
    std::string_view caption;
    Rect rect;
};

// Items of a number list: first..last, added at start (static) or by Form_Load.
struct NumberItems {
    int first = 0, last = -1;
    bool addedByLoad = false;
};

namespace flag {
inline constexpr unsigned Centred = 1;
inline constexpr unsigned Disabled = 2;  // display only: cannot be edited or focused
inline constexpr unsigned Multiline = 4;
inline constexpr unsigned LabelDisabled = 8;
inline constexpr unsigned LabelUnderlined = 16;
inline constexpr unsigned LabelOpaque = 32;     // the one label with a background of its own
inline constexpr unsigned StartsDisabled = 64;  // the ping limits: enabled only while their box is ticked
}  // namespace flag

// How a reply field becomes the control's value.
enum class Fill : uint8_t {
    None,           // not in the reply
    Decoded,        // text := Dec64 of the field
    Raw,            // text := the field
    GamePort,       // text := the field; "0" (spaces aside) stands for the default port
    Index,          // list index := integer
    IndexFromOne,   // list index := integer - 1 (the wire carries a 1-based position)
    Check,          // check value := integer
    InvertedCheck,  // check value := 0 when the integer is 1, else 1
    Option,         // option element := integer
};

// What an update field carries.
enum class Send : uint8_t {
    None,            // not in the update request
    Encoded,         // Enc64 of the text, untrimmed
    EncodedOrEmpty,  // "" when the text is blank, else Enc64 of the text
    Index,           // the list index
    IndexPlusOne,    // the list index + 1 (the server counts from 1)
    Check,           // the check value
    Raw,             // the text as the control holds it
    InvertedCheck,   // "0" when ticked, "1" otherwise
    FirstElement,    // option group: "0" when element 0 is selected, else "1"
    ElementOfThree,  // option group: "0" or "1" for elements 0 and 1, "2" otherwise (also for none)
};

// What Update corrects before it reads the field.
enum class Fix : uint8_t {
    None,
    Blank,         // blank text: text := fallback (written back)
    IndexRange,    // index outside 0..high: index := replacement (written back)
    NumberRange,   // text not a number or outside low..high: text := fallback (written back)
    NumberOrSend,  // blank or not a number: the field is the fallback, the control keeps its text
    NumberOrSet,   // blank or not a number: text := fallback (written back)
};

struct Correction {
    Fix fix = Fix::None;
    int low = 0, high = 0;
    int replacement = 0;          // IndexRange
    std::string_view fallback{};  // the text ones
    // What the form tells the admin before Update when the correction applies
    // (form/marks.h fills it in): {value} is what Update sends, {setting} the
    // setting's caption, {low} and {high} the range the server takes. A list
    // with nothing selected has a notice of its own (IndexRange).
    std::string_view notice{};
    std::string_view unselectedNotice{};
};

// The setting's place in the settings reply (-1: not in it).
struct ReplyField {
    int field = -1;
    Fill fill = Fill::None;
};

// The setting's place in the update request (-1: not in it). Update settles
// the fields that have a step (corrects them, and computes the encoded ones),
// in step order; a failure part-way leaves the corrections made so far.
struct UpdateField {
    int field = -1;
    Send send = Send::None;
    Correction correction{};
    int step = -1;
};

struct ControlRow {
    Control id;
    std::string_view name;
    Kind kind;
    Frame frame;
    std::string_view label;  // caption of the label to its left ("" for none)
    Rect labelRect;
    Rect rect;      // for option groups: unused, see elements
    int maxLength;  // text boxes; 0 for none
    unsigned flags;
    ReplyField reply{};
    UpdateField update{};
    std::span<const std::string_view> items{};  // fixed items, in order
    NumberItems numbers{};                      // number items
    std::span<const OptionElement> elements{};  // option groups, by element index
};

std::span<const ControlRow> controls();                    // all rows, in Control order
extern const std::array<ControlRow, kControlCount> kRows;  // by Control
// Called for every control a form operation touches: inline.
inline const ControlRow& row(Control c) { return kRows[static_cast<size_t>(c)]; }
std::span<const ControlRow> settingControls();  // the 45 sav controls, catalogue order
std::optional<Control> controlByName(std::string_view name);
// The settings on the wire, by field number; Update's settling steps, in order.
std::span<const ControlRow* const> replyFields();
std::span<const ControlRow* const> updateFields();
std::span<const ControlRow* const> correctionSteps();
std::span<const FrameRow> frames();
std::span<const std::string_view> countryCodes();  // the 232 codes of savCountry
std::span<const std::string_view> tabCaptions();   // Team, Miscellaneous, Connection, Restrictions

// Labels that belong to no setting: "(Secs)".
struct StaticLabel {
    std::string_view caption;
    Frame frame;
    Rect rect;
};
std::span<const StaticLabel> staticLabels();

// Form-level geometry (twips unless said otherwise).
namespace layout {
inline constexpr Rect Tabs{5520, 360, 5445, 4695};
inline constexpr Rect Picture1{10560, 5520, 495, 495};
inline constexpr Rect AutoLoad{6480, 5400, 3495, 255};
inline constexpr std::string_view AutoLoadCaption = "Autoload last known settings on start up.";
inline constexpr int ClientWidth = 11190, ClientHeight = 6000;
inline constexpr int WindowX = 2, WindowY = 30, WindowWidth = 740, WindowHeight = 403;  // pixels
inline constexpr unsigned long BackColour = 0xD8E9ECu;  // COLORREF of red 236, green 233, blue 216
}  // namespace layout

std::string_view name(Control c);
inline bool isSetting(Control c) { return static_cast<int>(c) < kSettingCount; }
// The profile key: the name without "sav".
std::string_view profileKey(Control c);

}  // namespace kora
