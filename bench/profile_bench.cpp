// Profile save and load through the utility stand-in's INI text, each beside
// its floor: writing the finished file once, and one pass over it.
#include <benchmark/benchmark.h>

#include <cstring>
#include <map>

#include "profiles/profiles.h"
#include "workload.h"

namespace kora::bench {
namespace {

const std::string& fullProfile() {
    static const std::string text = [] {
        LoadedRig rig;
        rig.dialogs->answer = kProfile;
        onSaveMouseUp(rig.module, 2);
        return rig.utility->ini.at(kProfile);
    }();
    return text;
}

// INI files as plain maps, to show the core's own share of a save or a load:
// the INI stand-in reads and rewrites the whole file text for every key.
class MapUtility : public UtilityComponent {
public:
    explicit MapUtility(fake::Files& files) : files_(files) {}
    std::map<std::string, std::string> keys;  // section "/" key -> value
    void writeFile(const std::string&, const std::string&) override {}
    std::string getIniKey(const std::string& section, const std::string& key, const std::string&) override {
        const auto it = keys.find(section + '/' + key);
        return it == keys.end() ? std::string() : it->second;
    }
    void writeIniKey(const std::string& section, const std::string& key, const std::string& value,
                     const std::string& file) override {
        keys[section + '/' + key] = value;
        files_.sizes[file] = keys.size();
    }
    void logError(const std::string&, const std::string&, const Failure&, int32_t) override { ++failures; }
    std::optional<bool> sendErrorReport(const ErrorReport&) override { return true; }
    int failures = 0;

private:
    fake::Files& files_;
};

// A loaded module whose profiles go to a MapUtility.
struct MapRig : LoadedRig {
    std::shared_ptr<MapUtility> maps = std::make_shared<MapUtility>(*files);
    MapRig() {
        module.state.utility = maps;
        dialogs->answer = kProfile;
    }
};

void ProfileFloorWriteOnce(benchmark::State& state) {
    const std::string& profile = fullProfile();
    for (auto _ : state) {
        std::string text(profile);
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * profile.size()));
}
KORA_BENCHMARK(ProfileFloorWriteOnce);

// Save into a new file: 48 Server keys, 5 roles, 60 weapons, one WriteIniKey each.
void ProfileSave(benchmark::State& state) {
    LoadedRig rig;
    rig.dialogs->answer = kProfile;
    for (auto _ : state) {
        rig.utility->ini.erase(kProfile);
        onSaveMouseUp(rig.module, 2);
    }
    if (rig.utility->ini[kProfile] != fullProfile() || rig.utility->failures != 0)
        state.SkipWithError("the save did not write the full profile");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fullProfile().size()));
}
KORA_BENCHMARK(ProfileSave);

void ProfileFloorMemchr(benchmark::State& state) {
    const std::string& profile = fullProfile();
    for (auto _ : state) {
        const char* at = profile.data();
        const char* const end = at + profile.size();
        size_t lines = 0;
        while ((at = static_cast<const char*>(std::memchr(at, '\n', static_cast<size_t>(end - at))))) {
            ++lines;
            ++at;
        }
        benchmark::DoNotOptimize(lines);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * profile.size()));
}
KORA_BENCHMARK(ProfileFloorMemchr);

// Load the full profile: 45 Server keys, 5 roles, 60 weapons, one GetIniKey each.
void ProfileLoad(benchmark::State& state) {
    LoadedRig rig;
    rig.utility->ini[kProfile] = fullProfile();
    rig.dialogs->answer = kProfile;
    for (auto _ : state) onLoadMouseUp(rig.module, 2);
    if (rig.boxes->last != "Success: Server Settings Loaded." || rig.utility->failures != 0)
        state.SkipWithError("the load did not succeed");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fullProfile().size()));
}
KORA_BENCHMARK(ProfileLoad);

void ProfileSaveCore(benchmark::State& state) {
    MapRig rig;
    for (auto _ : state) {
        rig.maps->keys.clear();
        onSaveMouseUp(rig.module, 2);
    }
    if (rig.maps->keys.size() != 45 + 5 + kWeapons || rig.maps->failures != 0)
        state.SkipWithError("the save did not write every key");
}
KORA_BENCHMARK(ProfileSaveCore);

void ProfileLoadCore(benchmark::State& state) {
    MapRig rig;
    onSaveMouseUp(rig.module, 2);
    for (auto _ : state) onLoadMouseUp(rig.module, 2);
    if (rig.boxes->last != "Success: Server Settings Loaded." || rig.maps->failures != 0)
        state.SkipWithError("the load did not succeed");
}
KORA_BENCHMARK(ProfileLoadCore);

}  // namespace
}  // namespace kora::bench
