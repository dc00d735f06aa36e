// The form contract against the in-memory form. Its "user" runs the same
// behaviours the real controls' notifications run.
#include "../contract/form_contract_tests.h"

#include <algorithm>

#include "form/memory_form.h"

namespace kora::contract {
namespace {

FormRealisation memoryRealisation() {
    FormRealisation r;
    r.name = "MemoryForm";
    r.create = [](Module&) { return std::make_unique<MemoryForm>(); };
    r.clickCheck = [](Module& m, Control c) {
        m.form().setCheckValue(c, m.form().checkValue(c) == 1 ? 0 : 1);
    };
    r.clickOption = [](Module& m, Control c, int element) {
        m.form().setOptionElement(c, element);
        if (c == Control::optRoles) onOptRolesClick(m.form(), element);
        if (c == Control::optWeapons) onOptWeaponsClick(m, element);
    };
    r.clickItem = [](Module& m, Control c, int item) {
        m.form().setItemSelected(c, item, !m.form().itemSelected(c, item));
    };
    r.scrollPlayersDown = [](Module& m) {
        // A one-row list: the item below the shown one comes to the top.
        const int top = std::max(m.form().listIndex(Control::savPlayers), 0) + 1;
        onPlayersScroll(m.form(), std::min(top, m.form().itemCount(Control::savPlayers) - 1));
    };
    r.typeCountry = [](Module& m, std::string_view text) { m.form().setText(Control::savCountry, text); };
    return r;
}

INSTANTIATE_TEST_SUITE_P(InMemory, FormContract, ::testing::Values(memoryRealisation()), realisationName);

}  // namespace
}  // namespace kora::contract
