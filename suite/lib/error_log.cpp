#include "error_log.h"

#include <cstdio>

namespace kora::suite {
namespace {

std::string oneLine(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\\')
            out += "\\\\";
        else
            out += c;
    }
    return out;
}

}  // namespace

std::string formatTimestamp(const Timestamp& t) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return buffer;
}

std::string formatLogLine(const Timestamp& time, std::string_view library, std::string_view operation, int32_t number,
                          std::string_view description, int32_t line) {
    return formatTimestamp(time) + " | " + oneLine(library) + " | " + oneLine(operation) + " | " +
           std::to_string(number) + " | " + oneLine(description) + " | line " + std::to_string(line);
}

std::string formatReport(const Timestamp& time, const ReportFields& fields) {
    static constexpr std::array<std::string_view, 6> kNames = {"Number",    "Description", "Library",
                                                               "Operation", "Marker",      "Line"};
    std::string out = "Error report\r\nTime: " + formatTimestamp(time) + "\r\n";
    for (size_t i = 0; i < fields.size(); ++i) {
        out += kNames[i];
        out += ": ";
        out += oneLine(fields[i]);
        out += "\r\n";
    }
    return out;
}

std::string reportFileName(const Timestamp& t, int sequence) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "report-%04d%02d%02d-%02d%02d%02d-%03d.txt", t.year, t.month, t.day, t.hour,
                  t.minute, t.second, sequence);
    return buffer;
}

}  // namespace kora::suite
