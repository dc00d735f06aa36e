#include "exchange/update.h"

#include <array>
#include <optional>
#include <string_view>
#include <utility>

#include "errors/handler.h"
#include "exchange/channel.h"
#include "exchange/number.h"

namespace kora {
namespace {

using enum Control;

// What a settings field carries.
enum class Value : uint8_t {
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

// What is corrected before the field is read.
enum class Fix : uint8_t {
    None,
    Blank,        // blank text: text := fallback (written back)
    IndexRange,   // index outside 0..high: index := replacement (written back)
    NumberRange,  // text not a number or outside low..high: text := fallback (written back)
    NumberOrSend, // blank or not a number: the field is the fallback, the control keeps its text
    NumberOrSet,  // blank or not a number: text := fallback (written back)
};

struct FieldRule {
    Control control;
    Value value;
    Fix fix;
    int low, high;
    int replacement;
    std::string_view fallback;
};

constexpr FieldRule plain(Control c, Value v) { return {c, v, Fix::None, 0, 0, 0, {}}; }
constexpr FieldRule indexRange(Control c, Value v, int high, int replacement) {
    return {c, v, Fix::IndexRange, 0, high, replacement, {}};
}
constexpr FieldRule numberRange(Control c, Value v, int low, int high, std::string_view fallback) {
    return {c, v, Fix::NumberRange, low, high, 0, fallback};
}
constexpr FieldRule textFix(Control c, Value v, Fix fix, std::string_view fallback) {
    return {c, v, fix, 0, 0, 0, fallback};
}

// The settings section, a row per wire field, in wire order.
// clang-format off
constexpr std::array<FieldRule, 41> kSettingsFields{{
    /* 0*/ textFix(savServerName, Value::Encoded, Fix::Blank, "Untitled"),
    /* 1*/ plain(savCountry, Value::EncodedOrEmpty),
    /* 2*/ indexRange(savSession, Value::Index, 1, 0),
    /* 3*/ plain(savPassword, Value::EncodedOrEmpty),
    // A list with no selected item has no number to test: it counts as out of range.
    /* 4*/ numberRange(savPlayers, Value::Index, 1, 50, "50"),
    // So does a time limit that is not a number.
    /* 5*/ numberRange(savTime, Value::Raw, 0, 100, "30"),
    /* 6*/ indexRange(savDelay, Value::Index, 3, 2),
    // savMaps holds two items: its replacement cannot be selected, so only the field carries it.
    /* 7*/ indexRange(savMaps, Value::Index, 2, 2),
    /* 8*/ indexRange(savRespawn, Value::Index, 120, 8),
    /* 9*/ plain(savDedicated, Value::Check),
    /*10*/ plain(savSkins, Value::Check),
    /*11*/ plain(savAutoBalance, Value::InvertedCheck),
    /*12*/ plain(savMessage, Value::EncodedOrEmpty),
    /*13*/ plain(savBluePass, Value::EncodedOrEmpty),
    /*14*/ plain(savRedPass, Value::EncodedOrEmpty),
    /*15*/ plain(savSpecPass, Value::EncodedOrEmpty),
    /*16*/ plain(savFFKills, Value::Check),
    /*17*/ indexRange(savMaxFF, Value::IndexPlusOne, 50, 5),
    /*18*/ plain(savFFTags, Value::Check),
    /*19*/ plain(savFFWarn, Value::Check),
    /*20*/ indexRange(savPSPTime, Value::IndexPlusOne, 99, 14),
    /*21*/ textFix(savFlagReturn, Value::Raw, Fix::NumberOrSend, "210"),
    /*22*/ textFix(savLives, Value::Raw, Fix::NumberOrSend, "100"),
    /*23*/ plain(savTracers, Value::Check),
    /*24*/ plain(savClays, Value::Check),
    /*25*/ plain(savMinPingChk, Value::Check),
    /*26*/ textFix(savMinPing, Value::Raw, Fix::NumberOrSet, "0"),
    /*27*/ plain(savMaxPingChk, Value::Check),
    /*28*/ textFix(savMaxPing, Value::Raw, Fix::NumberOrSet, "15000"),
    /*29*/ plain(savOneShot, Value::Check),
    /*30*/ plain(savFatBullets, Value::Check),
    /*31*/ plain(savDestroyBuildings, Value::Check),
    /*32*/ plain(savPunkbuster, Value::FirstElement),
    /*33*/ plain(savVoting, Value::Check),
    /*34*/ textFix(savVoteMin, Value::Raw, Fix::NumberOrSet, "6"),
    /*35*/ textFix(savVoteTime, Value::Raw, Fix::NumberOrSet, "180"),
    /*36*/ plain(savUnlimitedVehs, Value::Check),
    /*37*/ textFix(savChangeTime, Value::Raw, Fix::NumberOrSet, "60"),
    /*38*/ textFix(savChangePenalty, Value::Raw, Fix::NumberOrSet, "300"),
    /*39*/ textFix(savArmoryReuse, Value::Raw, Fix::NumberOrSet, "20"),
    /*40*/ plain(savLFPSpd, Value::ElementOfThree),
}};
// clang-format on

// The order in which the corrections run (and the encoded fields are computed).
// It only shows when something fails part-way: the corrections made so far stay.
constexpr std::array<int, 27> kCorrectionOrder{0,  1,  3,  2,  4,  5,  6,  7,  8,  12, 13, 14, 15, 17,
                                               20, 21, 22, 26, 28, 11, 32, 34, 35, 37, 38, 39, 40};

constexpr std::string_view kNoDataNotice =
    "There seems to have been a problem collecting data!\r\n\r\nUnable to update server settings!";

bool blank(std::string_view text) { return trimSpaces(text).empty(); }
bool numeric(std::string_view text) { return !blank(text) && isNumber(text); }

std::string read(Form& form, CodecComponent& codec, const FieldRule& r) {
    const Control c = r.control;
    switch (r.value) {
    case Value::Encoded: return codec.enc64(form.text(c));
    case Value::EncodedOrEmpty: {
        const std::string text = form.text(c);
        return blank(text) ? std::string() : codec.enc64(text);
    }
    case Value::Index: return std::to_string(form.listIndex(c));
    case Value::IndexPlusOne: return std::to_string(form.listIndex(c) + 1);
    case Value::Check: return std::to_string(form.checkValue(c));
    case Value::Raw: return form.text(c);
    case Value::InvertedCheck: return form.checkValue(c) == 1 ? "0" : "1";
    case Value::FirstElement: return form.optionElement(c) == 0 ? "0" : "1";
    case Value::ElementOfThree: {
        const int element = form.optionElement(c);
        return element == 0 || element == 1 ? std::to_string(element) : "2";
    }
    }
    return {};
}

// Applies the row's correction, then reads the field, except field 0: it is
// encoded with the section, after the encodings made here (1, 3, 12 to 15).
std::optional<std::string> settle(Form& form, CodecComponent& codec, const FieldRule& r) {
    const Control c = r.control;
    switch (r.fix) {
    case Fix::None: break;
    case Fix::Blank:
        if (blank(form.text(c))) form.setText(c, r.fallback);
        break;
    case Fix::IndexRange: {
        const int index = form.listIndex(c);
        if (index >= 0 && index <= r.high) break;
        if (r.replacement >= form.itemCount(c))
            return std::to_string(r.replacement + (r.value == Value::IndexPlusOne ? 1 : 0));
        form.setListIndex(c, r.replacement);
        break;
    }
    case Fix::NumberRange: {
        const auto number = parseNumber(form.text(c));
        if (!number || *number < r.low || *number > r.high) form.setText(c, r.fallback);
        break;
    }
    case Fix::NumberOrSend:
        if (!numeric(form.text(c))) return std::string(r.fallback);
        break;
    case Fix::NumberOrSet:
        if (!numeric(form.text(c))) form.setText(c, r.fallback);
        break;
    }
    if (r.value == Value::Encoded) return std::nullopt;
    return read(form, codec, r);
}

std::string settingsSection(Form& form, CodecComponent& codec) {
    std::array<std::optional<std::string>, kSettingsFields.size()> fields;
    for (int index : kCorrectionOrder)
        fields[static_cast<size_t>(index)] = settle(form, codec, kSettingsFields[static_cast<size_t>(index)]);
    std::string section;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) section += '|';
        section += fields[i] ? *fields[i] : read(form, codec, kSettingsFields[i]);
    }
    return section;
}

std::string weaponsSection(Form& form, CodecComponent& codec) {
    std::string section;
    bool first = true;
    const int count = form.itemCount(lstWeapons);
    for (int i = 0; i < count; ++i) {
        if (!form.itemSelected(lstWeapons, i)) continue;
        if (!first) section += '|';
        section += codec.enc64(form.itemText(lstWeapons, i));
        first = false;
    }
    return section;
}

// Four positions: the server calls the first role "CQB"; the last list item never travels.
std::string rolesSection(Form& form) {
    std::string section = form.itemSelected(lstRoles, 0) ? "CQB" : "";
    for (int i = 1; i <= 3; ++i) {
        section += '|';
        if (form.itemSelected(lstRoles, i)) section += form.itemText(lstRoles, i);
    }
    return section;
}

std::string payload(Form& form, CodecComponent& codec) {
    std::string text = settingsSection(form, codec);
    text += "[-]";
    text += weaponsSection(form, codec);
    text += "[-]";
    text += rolesSection(form);
    text += "[-]";
    text += std::to_string(form.checkValue(chkAutoLoad));
    return text;
}

}  // namespace

void onUpdateMouseUp(Module& module, int button) {
    const Handler handler(module, "cmdUpdate", {});
    FormWindow* hourglass = nullptr;  // the form whose pointer must be put back
    const auto restorePointer = [&] {
        if (!hourglass) return;
        FormWindow* form = std::exchange(hourglass, nullptr);
        form->setMousePointer(0);
    };
    handler.run(
        [&] {
            FormWindow& form = module.form();
            if (button == 1) form.setButtonState("cmdUpdateImg", "Up");
            form.setMousePointer(11);
            hourglass = &form;
            ModuleState& s = module.state;
            if (s.noDataReceived) {
                s.replyMode = "Update Settings";
                module.showMessage(MessageKind::Failed, kNoDataNotice);
            } else if (!s.haveServerSettings) {
                // Sending what the server did not give us would overwrite its real settings
                // with the empty form or with another server's. The settings reply may still
                // be on its way: it must fill the form, not be read as a confirmation.
                module.showMessage(MessageKind::Failed, kNoDataNotice);
            } else {
                s.replyMode = "Update Settings";
                sendCommand(module, kSetSettings, payload(form, module.codec()));
            }
            restorePointer();
        },
        restorePointer);
    try {
        restorePointer();
    } catch (...) {
        // The pointer call itself failed; nothing more can be done about it here.
    }
}

}  // namespace kora
