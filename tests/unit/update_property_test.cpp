// The update request over random form states: whatever a user typed or a
// profile put on the form, the request has the fixed shape (see
// request_checks.h) and carries the corrected values.
#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include "exchange/update.h"
#include "fakes.h"
#include "random_form.h"
#include "request_checks.h"
#include "samples.h"
#include "server_settings.h"

namespace kora {
namespace {

constexpr std::string_view kPrefix = "Plugin_zelKORA_SetSettingsRem_KEY_VB6_3_";

RC_GTEST_PROP(UpdateProperty, AnyFormStateGivesTheFixedShapeWithTheCorrectedValues, ()) {
    fake::Rig rig;
    fake::fetched(rig.module);
    remoteData(rig.module, suite::settingsReply(suite::defaultServer()));
    random::scramble(rig.form(), random::Domain::Anything, false);
    const MemoryForm before = rig.form();
    onUpdateMouseUp(rig.module, random::between(1, 2));
    const std::string& request = rig.utility->lastRequest;
    RC_LOG() << request << "\n" << rig.boxes->last;
    RC_ASSERT(rig.boxes->count == 0);
    RC_ASSERT(request.starts_with(kPrefix));
    RC_ASSERT(check::updatePayload(before, rig.form(), std::string_view(request).substr(kPrefix.size())) == "");
}

}  // namespace
}  // namespace kora
