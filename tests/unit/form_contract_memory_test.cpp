// The form contract against the in-memory form. Its "user" hands the acts to
// the same core event functions the real controls' notifications call; only
// what the controls themselves do (toggling a list item, scrolling) is done here.
#include "../contract/form_contract_tests.h"

#include <algorithm>

#include "form/memory_form.h"

namespace kora::contract {
namespace {

FormRealisation memoryRealisation() {
    FormRealisation r;
    r.name = "MemoryForm";
    r.create = [](Module&) { return std::make_unique<MemoryForm>(); };
    r.clickCheck = [](Module& m, Control c) { userClickCheck(m, m.form(), c); };
    r.clickOption = [](Module& m, Control c, int element) { userClickOption(m, m.form(), c, element); };
    r.clickItem = [](Module& m, Control c, int item) {
        m.form().setItemSelected(c, item, !m.form().itemSelected(c, item));
    };
    r.scrollPlayersDown = [](Module& m) {
        // A one-row list: the item below the shown one comes to the top.
        const int top = std::max(m.form().listIndex(Control::savPlayers), 0) + 1;
        userScrollPlayers(m, m.form(), std::min(top, m.form().itemCount(Control::savPlayers) - 1));
    };
    r.typeCountry = [](Module& m, std::string_view text) { m.form().setText(Control::savCountry, text); };
    return r;
}

INSTANTIATE_TEST_SUITE_P(InMemory, FormContract, ::testing::Values(memoryRealisation()), realisationName);

}  // namespace
}  // namespace kora::contract
