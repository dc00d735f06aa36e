// The marks the form shows before Update: which settings the admin changed
// since the server's values arrived (their captions in bold), and which ones
// Update would correct (a warning mark with a notice saying what is sent and
// why). The decisions are here; a realisation only draws them.
#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "form/form.h"

namespace kora {

// The values of the last settings reply or confirmed update: what "changed"
// compares with. Only what Update sends can differ from the server's.
class Baseline {
public:
    explicit Baseline(const Form& form);
    // For a setting, its value; for lstRoles and lstWeapons, their items and selection.
    bool differs(const Form& form, Control c) const;

private:
    static std::string selectionOf(const Form& form, Control list);

    std::array<std::string, kSettingCount> values_;
    std::string roles_, weapons_;  // items and selection, as one text each
};

struct Mark {
    bool changed = false;
    std::string notice;  // what Update will correct, in plain words; "" when nothing
    bool corrected() const { return !notice.empty(); }
    bool shown() const { return changed || corrected(); }
    bool operator==(const Mark&) const = default;
};

// The controls that carry a mark, in the order they are listed: the settings
// in catalogue order, then lstRoles and lstWeapons (shown on their frames).
std::span<const Control> markedControls();
// Without a baseline (none yet, or Update would refuse) nothing is marked.
Mark markOf(const Form& form, const Baseline* baseline, Control c);
// The notice of the correction Update would make to the setting, if any.
std::optional<std::string> correctionNotice(const Form& form, Control c);
// Where the bold caption goes: the control's own caption label, a ping limit's
// label control, or (for the restriction lists) their frame.
Control captionControl(Control c);
std::optional<Frame> markFrame(Control c);
// "changed", "corrected" or "changed,corrected"; "" for no mark.
std::string_view markKind(bool changed, bool corrected);

}  // namespace kora
