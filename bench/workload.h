// The workload every benchmark shares: a full server (every general field, five
// roles, sixty weapons), its SettingsReply, and a module whose in-memory form
// holds that reply, wired to the quiet stand-ins.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "../tests/unit/fakes.h"
#include "exchange/reply.h"
#include "server_settings.h"

// Every benchmark also reports the fastest of its repetitions: on a machine
// shared with builds, the fastest run is the one least disturbed, for the
// floor and the subject alike.
#define KORA_BENCHMARK(name)            \
    BENCHMARK(name)->ComputeStatistics( \
        "min", [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); })

namespace kora::bench {

inline constexpr int kWeapons = 60;
inline constexpr const char* kProfile = "C:\\Suite\\profiles\\3\\settings\\full.ssf";

// The stock server's forty weapons plus twenty more, every fifth one restricted.
inline suite::ServerSettings fullServer() {
    suite::ServerSettings s = suite::defaultServer();
    for (int i = static_cast<int>(s.weapons.size()); i < kWeapons; ++i)
        s.weapons.push_back({"Field Issue Weapon No. " + std::to_string(i), i % 5 != 0});
    s.roles = {true, true, false, true, true};
    return s;
}

inline const std::string& fullReply() {
    static const std::string reply = suite::settingsReply(fullServer());
    return reply;
}

// A module whose form holds the full reply, ready for Update, Save and Load.
struct LoadedRig : fake::Rig {
    LoadedRig() : fake::Rig(fake::Recording::Off) {
        fake::fetched(module);
        remoteData(module, fullReply());
        if (!module.state.session.updateMaySend()) throw std::runtime_error("the full reply did not decode");
        form();
    }
};

}  // namespace kora::bench
