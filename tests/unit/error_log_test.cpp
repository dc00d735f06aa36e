#include <gtest/gtest.h>

#include "error_log.h"

namespace kora::suite {
namespace {

constexpr Timestamp kTime{2024, 5, 1, 9, 3, 7};

TEST(ErrorLog, OneLinePerFailureEvenWithLineBreaksInTheDescription) {
    EXPECT_EQ(formatLogLine(kTime, "zelrcKORA.dll", "RemoteData", -2147467259, "bad [a\r\nb\\c]", 0),
              "2024-05-01 09:03:07 | zelrcKORA.dll | RemoteData | -2147467259 | bad [a\\r\\nb\\\\c] | line 0");
}

TEST(ErrorLog, ReportNamesEveryFieldInOrder) {
    EXPECT_EQ(formatReport(kTime, {"5", "Invalid procedure call", "zelrcKORA.dll 1.0.5", "SetPrivis", "0", "40"}),
              "Error report\r\nTime: 2024-05-01 09:03:07\r\nNumber: 5\r\nDescription: Invalid procedure call\r\n"
              "Library: zelrcKORA.dll 1.0.5\r\nOperation: SetPrivis\r\nMarker: 0\r\nLine: 40\r\n");
    EXPECT_EQ(reportFileName(kTime, 7), "report-20240501-090307-007.txt");
}

}  // namespace
}  // namespace kora::suite
