// The form contract against the real Win32 form, in this process; the user's
// acts go through the real controls (form_support.h).
#include "../contract/form_contract_tests.h"
#include "form_support.h"

namespace kora::contract {
namespace {

INSTANTIATE_TEST_SUITE_P(Win32, FormContract, ::testing::Values(testing::win32Realisation()), realisationName);

}  // namespace
}  // namespace kora::contract
