#include <gtest/gtest.h>

#include "errors/failure.h"

namespace kora {
namespace {

TEST(Failure, RaiseCarriesNumberStandardDescriptionAndLine) {
    try {
        raise(err::InvalidPropertyValue);
        FAIL();
    } catch (const RunError& e) {
        EXPECT_EQ(e.failure().number, 380);
        EXPECT_EQ(e.failure().description, "Invalid property value");
        EXPECT_GT(e.failure().line, 0);
    }
}

}  // namespace
}  // namespace kora
