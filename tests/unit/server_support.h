// What the stand-in server's tests share: the update the plug-in would send
// back for a reply, and a scratch folder of each test's own.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "request_checks.h"
#include "server_settings.h"

namespace kora::suite::test {

using check::splitAll;

// The update the plug-in sends after filling its form from a reply: the
// general fields without the two ports, the names of the selected weapons,
// the roles by name, the auto-load flag.
struct Payload {
    std::vector<std::string> fields, weapons, roles;
    std::string autoLoad;

    std::string text() const {
        std::string out;
        for (const auto* part : {&fields, &weapons, &roles}) {
            for (std::size_t i = 0; i < part->size(); ++i) out += (i ? "|" : "") + (*part)[i];
            out += "[-]";
        }
        return out + autoLoad;
    }
};

inline Payload payloadFromReply(const std::string& reply) {
    static constexpr const char* kRoleTexts[] = {"CQB", "Sniper", "Gunner", "Rifleman"};
    const auto sections = splitAll(reply, "[-]");
    Payload p;
    const auto general = splitAll(sections.at(0), "|");
    for (std::size_t i = 0; i < general.size(); ++i)
        if (i != 32 && i != 42) p.fields.push_back(general[i]);
    const auto flags = splitAll(sections.at(1), "|");
    for (std::size_t i = 0; i < 4; ++i) p.roles.push_back(flags.at(i) == "1" ? kRoleTexts[i] : "");
    for (const auto& entry : splitAll(sections.at(2), "|"))
        if (entry.ends_with(",1")) p.weapons.push_back(entry.substr(0, entry.size() - 2));
    p.autoLoad = sections.at(3);
    return p;
}

inline std::string readAll(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void writeAll(const std::filesystem::path& p, std::string_view text) {
    std::ofstream(p, std::ios::binary) << text;
}

// A folder named after the test, emptied before and removed after it.
class ScratchFolder : public ::testing::Test {
protected:
    void SetUp() override {
        folder =
            std::filesystem::temp_directory_path() / ("kora_server_" + std::to_string(::getpid()) + "_" +
                                                      ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    std::filesystem::path folder;
    std::filesystem::path file() const { return folder / "server.cfg"; }
};

}  // namespace kora::suite::test
