// The texts the utility component writes for the host: one log line per
// failure, and the error report file of SendErrorReport.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace kora::suite {

struct Timestamp {
    int year, month, day, hour, minute, second;
};

// "2024-05-01 12:00:07" (local time as the caller gives it).
std::string formatTimestamp(const Timestamp& t);

// One line, no line break at its end:
//   2024-05-01 12:00:07 | zelrcKORA.dll | SubMain | 429 | ActiveX component can't create object | line 12
// A CR, LF or "\" inside a field is written as \r, \n or \\ so the entry stays
// on one line and can be read back unambiguously.
std::string formatLogLine(const Timestamp& time, std::string_view library, std::string_view operation, int32_t number,
                          std::string_view description, int32_t line);

// The six report fields as the component received them, already as text.
using ReportFields = std::array<std::string, 6>;

// The report file: a title line, then "Name: value" lines (fields escaped as
// in the log), CR LF line breaks, ending with a line break.
std::string formatReport(const Timestamp& time, const ReportFields& fields);

// "report-20240501-120007-001.txt": a name that sorts by time; `sequence`
// tells apart reports of the same second.
std::string reportFileName(const Timestamp& time, int sequence);

}  // namespace kora::suite
