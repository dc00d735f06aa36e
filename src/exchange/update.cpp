#include "exchange/update.h"

#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "errors/handler.h"
#include "exchange/channel.h"
#include "form/correction.h"
#include "base/number.h"

namespace kora {
namespace {

using enum Control;

bool blank(std::string_view text) { return trimSpaces(text).empty(); }

std::string read(Form& form, CodecComponent& codec, const ControlRow& r) {
    const Control c = r.id;
    switch (r.update.send) {
    case Send::None: return {};
    case Send::Encoded: return codec.enc64(form.text(c));
    case Send::EncodedOrEmpty: {
        const std::string text = form.text(c);
        return blank(text) ? std::string() : codec.enc64(text);
    }
    case Send::Index: return std::to_string(form.listIndex(c));
    case Send::IndexPlusOne: return std::to_string(form.listIndex(c) + 1);
    case Send::Check: return std::to_string(form.checkValue(c));
    case Send::Raw: return form.text(c);
    case Send::InvertedCheck: return form.checkValue(c) == 1 ? "0" : "1";
    case Send::FirstElement: return form.optionElement(c) == 0 ? "0" : "1";
    case Send::ElementOfThree: {
        const int element = form.optionElement(c);
        return element == 0 || element == 1 ? std::to_string(element) : "2";
    }
    }
    return {};
}

// Carries out the row's correction plan, then reads the field, except the
// name: it is encoded with the section, after the encodings made here.
std::optional<std::string> settle(Form& form, CodecComponent& codec, const ControlRow& r) {
    if (const auto plan = planCorrection(form, r)) {
        switch (plan->act) {
        case CorrectionPlan::Act::SetText: form.setText(r.id, plan->value); break;
        case CorrectionPlan::Act::SetIndex: form.setListIndex(r.id, plan->index); break;
        case CorrectionPlan::Act::SendField: return plan->value;
        }
    }
    if (r.update.send == Send::Encoded) return std::nullopt;
    return read(form, codec, r);
}

// The catalogue's update column, in field order. The settling steps run first,
// in their order; then every field is read, the settled ones as settled.
std::string settingsSection(Form& form, CodecComponent& codec) {
    const auto fields = updateFields();
    std::vector<std::optional<std::string>> settled(fields.size());
    for (const ControlRow* r : correctionSteps())
        settled[static_cast<size_t>(r->update.field)] = settle(form, codec, *r);
    std::string section;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) section += '|';
        section += settled[i] ? *settled[i] : read(form, codec, *fields[i]);
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
        // A message box may have outlived the form (the host destroyed it meanwhile).
        FormWindow* form = std::exchange(hourglass, nullptr);
        if (module.stillHolds(*form)) form->setMousePointer(FormWindow::kDefaultPointer);
    };
    handler.run(
        [&] {
            FormWindow& form = module.form();
            if (button == 1) form.setButtonState("cmdUpdateImg", "Up");
            form.setMousePointer(FormWindow::kHourglass);
            hourglass = &form;
            Session& session = module.state.session;
            if (!session.updateMaySend()) {
                // Sending what the server did not give us would overwrite its real settings
                // with the empty form or with another server's. A refusal leaves the answer
                // awaited as it was: a settings reply on its way must fill the form.
                module.showMessage(MessageKind::Failed, noDataNotice("update server settings"));
            } else {
                const Session::Awaiting before = session.updateSending();
                try {
                    const std::string text = payload(form, module.codec());
                    sendCommand(module, kSetSettings, text);
                    // What went out, corrections included, is the server's once it confirms.
                    form.keepSent();
                } catch (...) {
                    session.updateNotSent(before);
                    throw;
                }
            }
            restorePointer();
        },
        restorePointer);
    quietly(restorePointer);  // should the pointer call itself fail, nothing more can be done here
}

}  // namespace kora
