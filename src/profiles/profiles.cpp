#include "profiles/profiles.h"

#include <optional>
#include <source_location>
#include <string_view>
#include <vector>

#include "errors/handler.h"
#include "base/number.h"
#include "form/privileges.h"

namespace kora {
namespace {

constexpr std::string_view kServer = "Server";
constexpr std::string_view kRoles = "Roles";
constexpr std::string_view kWeapons = "Weapons";
constexpr std::string_view kFilter = "Server Settings File (*.ssf)|*.ssf";
// OFN_EXPLORER | OFN_NOLONGNAMES | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY
constexpr uint32_t kDialogFlags = 0xC0804;
// The copy of a profile being saved over lies beside it until the save ends.
constexpr char kBackupSuffix[] = ".korastand-backup";

// Starts the dialog in the server's own profile folder; "" when the user cancels.
std::string askForProfile(Module& module, bool save) {
    const std::string folder = profileFolder(module);
    FileService& files = module.files();
    if (!files.folderExists(folder)) files.createFolder(folder);
    return module.dialogs().ask({save, save ? "Save Server Settings" : "Load Saved Server Settings",
                                 std::string(kFilter), folder, kDialogFlags});
}

// The setting value of a control as the profile stores it. An option group
// with no selected element stores -1, which loads back as no selection.
std::string settingValue(const Form& form, const ControlRow& r) {
    switch (r.kind) {
    case Kind::Text: return form.text(r.id);
    case Kind::Check: return std::to_string(form.checkValue(r.id));
    case Kind::Combo:
    case Kind::EditCombo:
    case Kind::List: return std::to_string(form.listIndex(r.id));
    case Kind::Option: return std::to_string(form.optionElement(r.id));
    default: return {};
    }
}

void saveSelection(UtilityComponent& utility, const Form& form, Control list, std::string_view section,
                   const std::string& file) {
    const int count = form.itemCount(list);
    for (int i = 0; i < count; ++i)
        utility.writeIniKey(std::string(section), form.itemText(list, i), form.itemSelected(list, i) ? "1" : "0", file);
}

void saveProfile(Module& module, FormWindow& form, const std::string& file) {
    UtilityComponent& utility = module.utility();
    for (const ControlRow& r : settingControls()) {
        const std::string value = settingValue(form, r);
        // The form's walk meets each option button as a control of its own.
        const size_t visits = r.kind == Kind::Option ? r.elements.size() : 1;
        for (size_t i = 0; i < visits; ++i)
            utility.writeIniKey(std::string(kServer), std::string(profileKey(r.id)), value, file);
    }
    saveSelection(utility, form, Control::lstRoles, kRoles, file);
    saveSelection(utility, form, Control::lstWeapons, kWeapons, file);

    FileService& files = module.files();
    if (!files.fileExists(file)) {
        module.showMessage(MessageKind::Failed, "Failed to Save Server Settings!.");
        return;
    }
    const auto size = files.fileSize(file);
    if (!size || *size == 0)
        module.showMessage(MessageKind::Failed, "Failed to Write Data to Server Settings File!.");
    else
        module.showMessage(MessageKind::Success, "Server Settings Saved Successfully.");
}

// A profile value, read and checked before anything on the form changes.
struct StagedSetting {
    Control control = Control::savTime;
    bool apply = false;
    std::string text;  // text boxes
    int number = 0;    // everything else
};

[[noreturn]] void reject(int32_t number, const ControlRow& r, const std::string& value,
                         std::source_location at = std::source_location::current()) {
    raise(number, describe(number) + " (Server: " + std::string(profileKey(r.id)) + "=" + value + ")", at);
}

// Converts a stored value the way its control takes it, or raises as the control would.
int checkedNumber(const Form& form, const ControlRow& r, const std::string& value) {
    const auto number = parseWhole(value);
    if (!number) reject(err::TypeMismatch, r, value);
    switch (r.kind) {
    case Kind::Check:
        if (*number < 0 || *number > 2) reject(err::InvalidPropertyValue, r, value);
        break;
    case Kind::Option:
        if (*number < -1 || *number >= static_cast<int64_t>(r.elements.size()))
            reject(err::ControlArrayElement, r, value);
        break;
    default:
        if (*number < -1 || *number >= form.itemCount(r.id)) reject(err::InvalidPropertyValue, r, value);
        break;
    }
    return static_cast<int>(*number);
}

// Controls the admin may not change keep their values: a profile must not bypass privileges.
bool lockedByPrivileges(const Form& form, Control c) { return isPrivilegeControl(c) && !form.enabled(c); }

std::vector<StagedSetting> stageSettings(const Handler& handler, UtilityComponent& utility, const Form& form,
                                         const std::string& file) {
    std::vector<StagedSetting> staged;
    for (const ControlRow& r : settingControls()) {
        std::optional<std::string> value;
        // 730 passes over the key: the control then keeps its value.
        handler.step([&] { value = utility.getIniKey(std::string(kServer), std::string(profileKey(r.id)), file); });
        StagedSetting s;
        s.control = r.id;
        if (value && !lockedByPrivileges(form, r.id)) {
            s.apply = true;
            if (r.kind == Kind::Text)
                s.text = *value;
            else
                s.number = checkedNumber(form, r, *value);
        }
        staged.push_back(std::move(s));
    }
    return staged;
}

std::vector<bool> stageSelection(const Handler& handler, UtilityComponent& utility, const Form& form, Control list,
                                 std::string_view section, const std::string& file) {
    std::vector<bool> selected;
    const int count = form.itemCount(list);
    for (int i = 0; i < count; ++i) {
        std::string value;  // a key passed over by 730 reads as missing: not selected
        handler.step([&] { value = utility.getIniKey(std::string(section), form.itemText(list, i), file); });
        selected.push_back(value == "1");
    }
    return selected;
}

void applySetting(Form& form, const StagedSetting& s) {
    switch (row(s.control).kind) {
    case Kind::Text: form.setText(s.control, s.text); break;
    case Kind::Check: form.setCheckValue(s.control, s.number); break;
    case Kind::Option: form.setOptionElement(s.control, s.number); break;
    default: form.setListIndex(s.control, s.number); break;
    }
}

void applySelection(Form& form, Control list, const std::vector<bool>& selected) {
    for (size_t i = 0; i < selected.size(); ++i) form.setItemSelected(list, static_cast<int>(i), selected[i]);
}

void loadProfile(const Handler& handler, Module& module, FormWindow& form, const std::string& file) {
    UtilityComponent& utility = module.utility();
    const auto settings = stageSettings(handler, utility, form, file);
    const auto roles = stageSelection(handler, utility, form, Control::lstRoles, kRoles, file);
    const auto weapons = stageSelection(handler, utility, form, Control::lstWeapons, kWeapons, file);
    // Catalogue order: each ping check box switches its limit before the limit is filled.
    for (const StagedSetting& s : settings)
        if (s.apply) applySetting(form, s);
    applySelection(form, Control::lstRoles, roles);
    applySelection(form, Control::lstWeapons, weapons);
    module.showMessage(MessageKind::Success, "Server Settings Loaded.");
}

}  // namespace

std::string profileFolder(const Module& module) {
    return module.state.basePath + "\\profiles\\" + std::to_string(module.state.hostIndex) + "\\settings";
}

void onSaveMouseUp(Module& module, int button) {
    const Handler handler(module, "cmdSave", {});
    handler.run([&] {
        FormWindow& form = module.form();
        if (button == 1) form.setButtonState("cmdSaveImg", "Up");
        if (module.state.session.noData()) {
            module.showMessage(MessageKind::Failed, noDataNotice("save server settings"));
            return;
        }
        const std::string file = askForProfile(module, true);
        // The host may have destroyed the form while the dialog was open: a
        // profile written from it would be blank, over the admin's file.
        if (file.empty() || !module.stillHolds(form)) return;
        // A profile that a failure cuts short is not left behind: a later
        // load would read its missing keys as "not selected". A new one is
        // removed; one that existed is put back as it was, from a copy taken
        // before the first key is written.
        FileService& files = module.files();
        const bool existed = files.fileExists(file);
        const std::string backup = file + kBackupSuffix;
        if (existed) files.copyFile(file, backup);
        try {
            saveProfile(module, form, file);
        } catch (...) {
            // The failure that ended the save is the one to report. A copy that
            // cannot be put back stays beside the profile, for the user to find.
            quietly([&] {
                if (existed)
                    files.moveFile(backup, file);
                else if (files.fileExists(file))
                    files.deleteFile(file);
            });
            throw;
        }
        if (existed)
            quietly([&] {
                if (files.fileExists(backup)) files.deleteFile(backup);
            });
    });
}

void onLoadMouseUp(Module& module, int button) {
    const Handler handler(module, "cmdLoad", {err::KeyNotFound});
    handler.run([&] {
        FormWindow& form = module.form();
        if (button == 1) form.setButtonState("cmdLoadImg", "Up");
        const std::string file = askForProfile(module, false);
        if (!file.empty() && module.stillHolds(form)) loadProfile(handler, module, form, file);
    });
}

}  // namespace kora
