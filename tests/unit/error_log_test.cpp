#include <gtest/gtest.h>

#include "error_log.h"

namespace kora::suite {
namespace {

constexpr Timestamp kTime{2024, 5, 1, 9, 3, 7};

TEST(ErrorLog, OneLinePerFailureWithEveryField) {
    EXPECT_EQ(formatLogLine(kTime, "zelrcKORA.dll", "SubMain", 429,
                            "ActiveX component can't create object", 12),
              "2024-05-01 09:03:07 | zelrcKORA.dll | SubMain | 429 | "
              "ActiveX component can't create object | line 12");
}

TEST(ErrorLog, LineBreaksInADescriptionStayOnTheLine) {
    EXPECT_EQ(formatLogLine(kTime, "zelrcKORA.dll", "RemoteData", -2147467259,
                            "bad [a\r\nb\\c]", 0),
              "2024-05-01 09:03:07 | zelrcKORA.dll | RemoteData | -2147467259 | "
              "bad [a\\r\\nb\\\\c] | line 0");
}

TEST(ErrorLog, ReportNamesEveryFieldInOrder) {
    const ReportFields fields = {"5", "Invalid procedure call or argument", "zelrcKORA.dll 1.0.5",
                                 "SetPrivis", "0", "40"};
    EXPECT_EQ(formatReport(kTime, fields),
              "Error report\r\nTime: 2024-05-01 09:03:07\r\nNumber: 5\r\n"
              "Description: Invalid procedure call or argument\r\nLibrary: zelrcKORA.dll 1.0.5\r\n"
              "Operation: SetPrivis\r\nMarker: 0\r\nLine: 40\r\n");
    EXPECT_EQ(reportFileName(kTime, 7), "report-20240501-090307-007.txt");
}

}  // namespace
}  // namespace kora::suite
