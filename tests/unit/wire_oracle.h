// The wire table of the settings, written down independently of the catalogue
// so the reply and update property tests do not borrow the code's own table:
// one row per setting that travels, in the order of the settings reply.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "form/catalogue.h"

namespace kora::oracle {

// How a reply field puts a value on the form.
enum class Put {
    Base64,    // the text, Base64-encoded
    Plain,     // the text
    Port,      // the text; "0" stands for 17479
    Index,     // the list index
    Position,  // the list index + 1
    Check,     // the check value
    Inverted,  // 1 for a clear box, anything else for a ticked one
    Element,   // the option element
};

// How an update field is read from the form after Update, and what Update
// guarantees about the control (the correction's postcondition).
enum class How {
    None,        // not sent
    Name,        // Base64 of the text, which is not blank
    Free,        // "" for a blank text, else its Base64
    Index,       // the list index, within low..high
    Players,     // the list index; the selected item shows low..high
    TimeText,    // the text, a number within low..high
    MapsIndex,   // the list index within low..high, or the fallback when nothing is selected
    IndexPlus1,  // the list index + 1, the index within low..high
    Check,       // the check value
    Inverted,    // "0" when ticked, "1" otherwise
    NumberSent,  // the text when it is a number, else the fallback (the control keeps its text)
    NumberText,  // the text, which is a number
    FirstOf2,    // "0" for element 0, else "1"
    FirstOf3,    // "0" or "1" for elements 0 and 1, else "2"
};

struct Field {
    Control control;
    Put put;
    int update;  // its field in the update request; -1: not sent
    How how;
    int low = 0, high = 0;
    std::string_view fallback = {};
};

inline constexpr size_t kReplyFields = 43;
inline constexpr size_t kUpdateFields = 41;

using enum Control;
// clang-format off
inline constexpr std::array<Field, kReplyFields> kFields{{
    /* 0*/ {savServerName,       Put::Base64,    0, How::Name},
    /* 1*/ {savCountry,          Put::Base64,    1, How::Free},
    /* 2*/ {savSession,          Put::Index,     2, How::Index, 0, 1},
    /* 3*/ {savPassword,         Put::Base64,    3, How::Free},
    /* 4*/ {savPlayers,          Put::Index,     4, How::Players, 1, 50},
    /* 5*/ {savTime,             Put::Plain,     5, How::TimeText, 0, 100},
    /* 6*/ {savDelay,            Put::Index,     6, How::Index, 0, 3},
    /* 7*/ {savMaps,             Put::Index,     7, How::MapsIndex, 0, 1, "2"},
    /* 8*/ {savRespawn,          Put::Index,     8, How::Index, 0, 120},
    /* 9*/ {savDedicated,        Put::Check,     9, How::Check},
    /*10*/ {savSkins,            Put::Check,    10, How::Check},
    /*11*/ {savAutoBalance,      Put::Inverted, 11, How::Inverted},
    /*12*/ {savMessage,          Put::Base64,   12, How::Free},
    /*13*/ {savBluePass,         Put::Base64,   13, How::Free},
    /*14*/ {savRedPass,          Put::Base64,   14, How::Free},
    /*15*/ {savSpecPass,         Put::Base64,   15, How::Free},
    /*16*/ {savFFKills,          Put::Check,    16, How::Check},
    /*17*/ {savMaxFF,            Put::Position, 17, How::IndexPlus1, 0, 50},
    /*18*/ {savFFTags,           Put::Check,    18, How::Check},
    /*19*/ {savFFWarn,           Put::Check,    19, How::Check},
    /*20*/ {savPSPTime,          Put::Position, 20, How::IndexPlus1, 0, 99},
    /*21*/ {savFlagReturn,       Put::Plain,    21, How::NumberSent, 0, 0, "210"},
    /*22*/ {savLives,            Put::Plain,    22, How::NumberSent, 0, 0, "100"},
    /*23*/ {savTracers,          Put::Check,    23, How::Check},
    /*24*/ {savClays,            Put::Check,    24, How::Check},
    /*25*/ {savMinPingChk,       Put::Check,    25, How::Check},
    /*26*/ {savMinPing,          Put::Plain,    26, How::NumberText},
    /*27*/ {savMaxPingChk,       Put::Check,    27, How::Check},
    /*28*/ {savMaxPing,          Put::Plain,    28, How::NumberText},
    /*29*/ {savOneShot,          Put::Check,    29, How::Check},
    /*30*/ {savFatBullets,       Put::Check,    30, How::Check},
    /*31*/ {savDestroyBuildings, Put::Check,    31, How::Check},
    /*32*/ {savGamePort,         Put::Port,     -1, How::None},
    /*33*/ {savPunkbuster,       Put::Element,  32, How::FirstOf2},
    /*34*/ {savVoting,           Put::Check,    33, How::Check},
    /*35*/ {savVoteMin,          Put::Plain,    34, How::NumberText},
    /*36*/ {savVoteTime,         Put::Plain,    35, How::NumberText},
    /*37*/ {savUnlimitedVehs,    Put::Check,    36, How::Check},
    /*38*/ {savChangeTime,       Put::Plain,    37, How::NumberText},
    /*39*/ {savChangePenalty,    Put::Plain,    38, How::NumberText},
    /*40*/ {savArmoryReuse,      Put::Plain,    39, How::NumberText},
    /*41*/ {savLFPSpd,           Put::Element,  40, How::FirstOf3},
    /*42*/ {savLanPort,          Put::Plain,    -1, How::None},
}};
// clang-format on

// The rows in the order of the update request's settings section.
inline const std::array<const Field*, kUpdateFields>& updateFields() {
    static const auto rows = [] {
        std::array<const Field*, kUpdateFields> sorted{};
        for (const Field& f : kFields)
            if (f.update >= 0) sorted[static_cast<size_t>(f.update)] = &f;
        return sorted;
    }();
    return rows;
}

}  // namespace kora::oracle
