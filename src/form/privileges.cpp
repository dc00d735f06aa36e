#include "form/privileges.h"

#include <algorithm>
#include <array>
#include <utility>

#include "errors/handler.h"

namespace kora {
namespace {

constexpr std::array<std::pair<std::string_view, Control>, 4> kPrivileges{{
    {"DW: Change Session Type", Control::savSession},
    {"DW: Change Max Players", Control::savPlayers},
    {"DW: Change Dedicated Mode", Control::savDedicated},
    {"DW: Change Custom Skins Option", Control::savSkins},
}};

}  // namespace

bool isPrivilegeControl(Control c) {
    return std::ranges::any_of(kPrivileges, [c](const auto& entry) { return entry.second == c; });
}

void setPrivis(Module& module, std::shared_ptr<PrivilegeCollection> names, bool isSuperAdmin) {
    Handler handler(module, "SetPrivis", {err::InvalidCall});
    handler.run([&] {
        module.state.privileges = names;
        if (!names || isSuperAdmin || names->count() < 1) return;
        FormWindow& form = module.form();
        // No structured binding: the lambda captures it, which clang 14 (the fuzz build) refuses.
        for (const auto& privilege : kPrivileges) {
            // A missing key raises 5, which resumes in the disabling branch.
            bool granted = false;
            handler.step([&] { granted = names->item(std::string(privilege.first)) != 0; });
            form.setEnabled(privilege.second, granted);
        }
    });
}

}  // namespace kora
