#include "exchange/reply.h"

#include <array>
#include <source_location>
#include <string_view>
#include <vector>

#include "errors/handler.h"
#include "base/number.h"

namespace kora {
namespace {

// The general section is the catalogue's reply column, in field order. This is
// also the order in which the controls are filled, so each ping check box
// switches its limit before the limit's own field arrives.
constexpr std::string_view kSectionSeparator = "[-]";
constexpr std::string_view kDefaultGamePort = "17479";
constexpr size_t kRoleFlags = 5;

// Everything a reply will put on the form, decoded and checked before the
// form is touched, so a reply is applied whole or not at all.
struct StagedField {
    bool skipped = true;  // its staging raised a resumed number: the control keeps its value
    std::string text;
    int number = 0;
};
struct StagedWeapon {
    size_t end = 0;  // where its name ends in weaponNames
    bool selected = false;
};
struct StagedReply {
    std::vector<StagedField> fields;
    std::array<bool, kRoleFlags> roles{};
    std::string weaponNames;  // the decoded names one after another: one buffer, not a string per weapon
    std::vector<StagedWeapon> weapons;
    int autoLoad = 0;
};

// Names the part of the reply being decoded. Spelled out only when it fails:
// building a name for every field cost more than decoding the field.
struct Where {
    std::string_view what;  // "general field", "role flag", "weapon entry" or a section
    int index = -1;         // -1: `what` is the whole name
    std::string text() const { return index < 0 ? std::string(what) : std::string(what) + " " + std::to_string(index); }
};

[[noreturn]] void fail(int32_t number, const Where& where, std::source_location at = std::source_location::current()) {
    raise(number, describe(number) + " in " + where.text(), at);
}

// A text split at a separator, its parts taken in order; a missing part is
// out of range. Like the host language's Split, an empty text has no parts at
// all. No list of parts is built: a reply is read once, front to back.
class Parts {
public:
    Parts(std::string_view text, std::string_view separator)
        : rest_(text), separator_(separator), more_(!text.empty()) {}
    bool more() const { return more_; }
    std::string_view next(const Where& where) {
        if (!more_) fail(err::SubscriptRange, where);
        // One character is found with memchr; a text's find compares at every candidate.
        const size_t at = separator_.size() == 1 ? rest_.find(separator_[0]) : rest_.find(separator_);
        const std::string_view part = rest_.substr(0, at);
        more_ = at != std::string_view::npos;
        rest_.remove_prefix(more_ ? at + separator_.size() : rest_.size());
        return part;
    }

private:
    std::string_view rest_, separator_;
    bool more_;
};

// A reply integer is a whole number of the 16-bit signed range (see parseWhole).
int replyInteger(std::string_view field, const Where& where) {
    const auto value = parseWhole(field);
    if (!value) fail(err::TypeMismatch, where);
    if (*value < -32768 || *value > 32767) fail(err::Overflow, where);
    return static_cast<int>(*value);
}

int checkedIndex(const Form& form, Control c, int index, const Where& where) {
    if (index < -1 || index >= form.itemCount(c)) fail(err::InvalidPropertyValue, where);
    return index;
}

int checkedValue(int value, const Where& where) {
    if (value < 0 || value > 2) fail(err::InvalidPropertyValue, where);
    return value;
}

// Text the codec cannot decode is not the server's encoding: the reply is
// damaged. The codec refuses it with 5, the number decoding otherwise passes
// over, but a field or weapon left out would go back to the server missing at
// the next Update; so a Dec64 failure ends the decoding, whatever its number.
std::string decoded(CodecComponent& codec, std::string_view text, const Where& where) {
    return Handler::ending([&] {
        try {
            return codec.dec64(text);
        } catch (RunError& e) {
            e.failure().description += " in " + where.text();
            throw;
        }
    });
}

void stageField(const ControlRow& r, std::string_view field, CodecComponent& codec, const Form& form, StagedField& out,
                const Where& where) {
    switch (r.reply.fill) {
    case Fill::None: return;
    case Fill::Decoded: out.text = decoded(codec, field, where); break;
    case Fill::Raw: out.text = field; break;
    case Fill::GamePort:
        out.text = trimSpaces(field) == "0" ? std::string(kDefaultGamePort) : std::string(field);
        break;
    case Fill::Index: out.number = checkedIndex(form, r.id, replyInteger(field, where), where); break;
    case Fill::IndexFromOne: {
        const int position = replyInteger(field, where);
        // The host language computes position - 1 in 16 bits.
        if (position == -32768) fail(err::Overflow, where);
        out.number = checkedIndex(form, r.id, position - 1, where);
        break;
    }
    case Fill::Check: out.number = checkedValue(replyInteger(field, where), where); break;
    case Fill::InvertedCheck: out.number = replyInteger(field, where) == 1 ? 0 : 1; break;
    case Fill::Option: {
        const int element = replyInteger(field, where);
        if (element < 0 || element >= static_cast<int>(r.elements.size())) fail(err::ControlArrayElement, where);
        out.number = element;
        break;
    }
    }
    out.skipped = false;
}

StagedReply stageReply(const Handler& handler, CodecComponent& codec, const Form& form, std::string_view data) {
    StagedReply reply;
    const auto fields = replyFields();
    reply.fields.resize(fields.size());
    Parts sections(data, kSectionSeparator);
    Parts general(sections.next({"the general section"}), "|");
    for (size_t i = 0; i < fields.size(); ++i) {
        const Where where{"general field", static_cast<int>(i)};
        handler.step([&] { stageField(*fields[i], general.next(where), codec, form, reply.fields[i], where); });
    }

    Parts roles(sections.next({"the role section"}), "|");
    for (size_t i = 0; i < kRoleFlags; ++i) reply.roles[i] = roles.next({"role flag", static_cast<int>(i)}) == "1";

    Parts weapons(sections.next({"the weapon section"}), "|");
    for (int i = 0; weapons.more(); ++i) {
        const std::string_view entry = weapons.next({});
        if (trimSpaces(entry).empty()) continue;
        // The name and the flag are the first two pieces of the entry split at ",".
        const size_t comma = entry.find(',');
        if (comma == std::string_view::npos) fail(err::SubscriptRange, {"weapon entry", i});
        const std::string_view encoded = entry.substr(0, comma);
        const size_t flagEnd = entry.find(',', comma + 1);
        const std::string_view flag =
            entry.substr(comma + 1, flagEnd == std::string_view::npos ? flagEnd : flagEnd - comma - 1);
        const bool selected = flag != "0";
        reply.weaponNames += decoded(codec, encoded, {"weapon entry", i});
        reply.weapons.push_back({reply.weaponNames.size(), selected});
    }

    reply.autoLoad = sections.next({"the auto-load section"}) == "1" ? 1 : 0;
    return reply;
}

void applyReply(Form& form, const StagedReply& reply) {
    const auto fields = replyFields();
    for (size_t i = 0; i < fields.size(); ++i) {
        const StagedField& f = reply.fields[i];
        if (f.skipped) continue;
        const Control c = fields[i]->id;
        switch (fields[i]->reply.fill) {
        case Fill::None: break;
        case Fill::Decoded:
        case Fill::Raw:
        case Fill::GamePort: form.setText(c, f.text); break;
        case Fill::Index:
        case Fill::IndexFromOne: form.setListIndex(c, f.number); break;
        case Fill::Check:
        case Fill::InvertedCheck: form.setCheckValue(c, f.number); break;
        case Fill::Option: form.setOptionElement(c, f.number); break;
        }
    }
    for (size_t i = 0; i < kRoleFlags; ++i)
        form.setItemSelected(Control::lstRoles, static_cast<int>(i), reply.roles[i]);
    form.clearItems(Control::lstWeapons);
    const std::string_view names = reply.weaponNames;
    size_t start = 0;
    for (const StagedWeapon& w : reply.weapons) {
        form.addItem(Control::lstWeapons, names.substr(start, w.end - start));
        start = w.end;
        // An item comes in not selected.
        if (w.selected) form.setItemSelected(Control::lstWeapons, form.itemCount(Control::lstWeapons) - 1, true);
    }
    form.setCheckValue(Control::chkAutoLoad, reply.autoLoad);
}

}  // namespace

void remoteData(Module& module, const std::string& data) {
    const Handler handler(module, "RemoteData", {err::InvalidCall});
    const auto body = [&] {
        Session& session = module.state.session;
        session.answered(data.empty());
        // While the last answer is empty Update refuses, so the marks announce nothing.
        const auto showMarks = [&] {
            if (module.formLoaded()) module.form().showMarks(session.updateMaySend());
        };
        if (data.empty()) {
            showMarks();
            module.showMessage(MessageKind::Failed, "No Data Recieved!");
            return;
        }
        if (session.awaiting() == Session::Awaiting::Confirmation) {
            // What was sent is now the server's: the marks compare with it.
            if (data == "1" && module.formLoaded()) module.form().confirmSent();
            showMarks();
            if (data == "1")
                module.showMessage(MessageKind::Success, "Server Settings Updated.");
            else
                module.showMessage(MessageKind::Failed, "Could Not Update Server Settings!");
            return;
        }
        if (session.awaiting() != Session::Awaiting::Settings) return;
        // Until this reply is on the form, the form holds nothing Update may send.
        session.settingsDecoded(false);
        FormWindow& form = module.form();
        form.showMarks(false);
        const StagedReply reply = stageReply(handler, module.codec(), form, data);
        applyReply(form, reply);
        session.settingsDecoded(true);
        form.takeBaseline();
        form.showMarks(session.updateMaySend());
    };
    handler.run(body, {}, [&](Failure& f) { f.description += " [" + data + "]"; });
}

}  // namespace kora
