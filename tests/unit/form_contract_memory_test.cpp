// The form contract against the in-memory form. Its "user" hands the acts to
// the same core event functions the real controls' notifications call. Acts
// that only a real control performs (toggling a list item, typing into the
// country box) have no stand-in here: their tests run on the Win32 form alone.
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
    r.scrollPlayersDown = [](Module& m) {
        // A one-row list: the item below the shown one comes to the top.
        const int top = std::max(m.form().listIndex(Control::savPlayers), 0) + 1;
        userScrollPlayers(m, m.form(), std::min(top, m.form().itemCount(Control::savPlayers) - 1));
    };
    return r;
}

INSTANTIATE_TEST_SUITE_P(InMemory, FormContract, ::testing::Values(memoryRealisation()), realisationName);

}  // namespace
}  // namespace kora::contract
