// Update from fuzzed form states: the fuzzer's bytes type into the text boxes,
// pick list entries, tick boxes and fill the weapon list, then Update runs.
// The request must split on the server side into exactly four sections, 41
// settings and four role positions, and carry the corrected values (see
// request_checks.h for the invariant on separators).
#include "exchange/update.h"
#include "form/behaviours.h"
#include "fuzz_support.h"

using namespace kora;

namespace {

constexpr std::string_view kPrefix = "Plugin_zelKORA_SetSettingsRem_KEY_VB6_3_";

void edit(Form& form, FuzzedDataProvider& data) {
    const auto settings = settingControls();
    while (data.remaining_bytes() > 0) {
        switch (data.ConsumeIntegralInRange(0, 7)) {
        case 0:
            if (const ControlRow& r = settings[data.ConsumeIntegralInRange<size_t>(0, settings.size() - 1)];
                r.kind == Kind::Check)
                form.setCheckValue(r.id, data.ConsumeIntegralInRange(0, 2));
            else if (r.kind == Kind::Option)
                form.setOptionElement(r.id, data.ConsumeIntegralInRange(-1, static_cast<int>(r.elements.size()) - 1));
            break;
        case 1: {  // raw bytes typed into a text box or the country (the dictionary holds the separators)
            const ControlRow& r = settings[data.ConsumeIntegralInRange<size_t>(0, settings.size() - 1)];
            const std::string text = data.ConsumeRandomLengthString(48);
            if (r.kind == Kind::Text || r.kind == Kind::EditCombo) form.setText(r.id, text);
            break;
        }
        case 2: {
            const ControlRow& r = settings[data.ConsumeIntegralInRange<size_t>(0, settings.size() - 1)];
            if (r.kind == Kind::Combo || r.kind == Kind::List || r.kind == Kind::EditCombo)
                form.setListIndex(r.id, data.ConsumeIntegralInRange(-1, form.itemCount(r.id) - 1));
            break;
        }
        case 3:
            form.addItem(Control::lstWeapons, data.ConsumeRandomLengthString(32));
            form.setItemSelected(Control::lstWeapons, form.itemCount(Control::lstWeapons) - 1, data.ConsumeBool());
            break;
        case 4:
            if (form.itemCount(Control::lstWeapons) > 0) {
                const int i = data.ConsumeIntegralInRange(0, form.itemCount(Control::lstWeapons) - 1);
                form.setItemSelected(Control::lstWeapons, i, !form.itemSelected(Control::lstWeapons, i));
            }
            break;
        case 5: {
            const int i = data.ConsumeIntegralInRange(0, 4);
            form.setItemSelected(Control::lstRoles, i, !form.itemSelected(Control::lstRoles, i));
            break;
        }
        case 6: form.setCheckValue(Control::chkAutoLoad, data.ConsumeIntegralInRange(0, 2)); break;
        case 7:
            if (data.ConsumeBool())
                extendPlayersForAffiliate(form);
            else
                form.clearItems(Control::lstWeapons);
            break;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    static fuzz::Loaded loaded;
    MemoryForm& form = loaded.reset();
    FuzzedDataProvider data(bytes, size);
    const int button = data.ConsumeIntegralInRange(1, 2);
    edit(form, data);
    const MemoryForm before = form;

    onUpdateMouseUp(loaded.rig.module, button);
    if (loaded.rig.boxes->count != 0) fuzz::broken("Update showed " + loaded.rig.boxes->last);
    const std::string& request = loaded.rig.utility->lastRequest;
    const auto parsed = suite::parseRequest(request);
    if (!request.starts_with(kPrefix) || !parsed.wellFormed || parsed.key != "KEY" || parsed.hostIndex != 3 ||
        parsed.payload != std::string_view(request).substr(kPrefix.size()))
        fuzz::broken("the server splits the request wrongly", request);
    if (const auto why = check::updatePayload(before, form, parsed.payload); !why.empty())
        fuzz::broken(why, request + "\n" + fuzz::differences(sample::snapshot(before), sample::snapshot(form)));
    return 0;
}
