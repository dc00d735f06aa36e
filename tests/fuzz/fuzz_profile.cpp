// Any bytes as a profile file, loaded through the utility stand-in's INI
// reader. The load never crashes; it either applies every stored value that
// fits the form or reports and leaves the form exactly as it was; and a form
// that loaded saves to a profile that loads back to the same form.
#include "fuzz_support.h"
#include "profiles/profiles.h"

using namespace kora;

namespace {

constexpr const char* kFile = "C:\\Suite\\profiles\\3\\settings\\fuzzed.ssf";

// What GetIniKey answers: "" for a missing section or key.
std::string stored(const std::string& ini, std::string_view section, std::string_view key) {
    return suite::ini::read(ini, section, key).value_or(std::string());
}

// Every setting control holds its stored value; the lists follow their "1"s.
void checkApplied(const Form& form, const std::string& ini) {
    for (const ControlRow& r : settingControls()) {
        const std::string value = stored(ini, "Server", profileKey(r.id));
        const auto n = parseWhole(value);
        bool same = false;
        switch (r.kind) {
        case Kind::Text: same = form.text(r.id) == value; break;
        case Kind::Check: same = n && *n == form.checkValue(r.id); break;
        case Kind::Option: same = n && *n == form.optionElement(r.id); break;
        default: same = n && *n == form.listIndex(r.id); break;
        }
        if (!same) fuzz::broken(std::string(r.name) + " does not hold its stored value \"" + value + "\"", ini);
    }
    for (auto [list, section] : {std::pair{Control::lstRoles, "Roles"}, std::pair{Control::lstWeapons, "Weapons"}})
        for (int i = 0; i < form.itemCount(list); ++i)
            if (form.itemSelected(list, i) != (stored(ini, section, form.itemText(list, i)) == "1"))
                fuzz::broken(std::string(section) + " entry " + std::to_string(i) + " does not follow the file", ini);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static fuzz::Loaded loaded;
    MemoryForm& form = loaded.reset();
    fake::Rig& rig = loaded.rig;
    const std::string ini(reinterpret_cast<const char*>(data), size);
    rig.utility->ini[kFile] = ini;
    rig.dialogs->answer = kFile;
    const std::string before = sample::snapshot(form);

    onLoadMouseUp(rig.module, 1);
    if (rig.utility->failures > 0) {
        if (!rig.boxes->last.starts_with("DLL Error!: ")) fuzz::broken("a failed load shows " + rig.boxes->last);
        fuzz::requireSameForm("a failed load changed the form", before, sample::snapshot(form));
        return 0;
    }
    if (rig.boxes->last != "Success: Server Settings Loaded.") fuzz::broken("the load shows " + rig.boxes->last);
    checkApplied(form, ini);

    // Save what loaded into a new file and load that: nothing may change.
    const std::string loadedForm = sample::snapshot(form);
    rig.utility->ini.clear();
    onSaveMouseUp(rig.module, 1);
    if (rig.boxes->last != "Success: Server Settings Saved Successfully.")
        fuzz::broken("the save shows " + rig.boxes->last);
    onLoadMouseUp(rig.module, 1);
    if (rig.utility->failures > 0) fuzz::broken("a saved profile does not load", rig.utility->ini[kFile]);
    fuzz::requireSameForm("a saved profile loads into another form", loadedForm, sample::snapshot(form));
    return 0;
}
