// Runs every benchmark with its floor in the same process and prints one line
// per figure: `name value unit ratio`, the ratio being the figure over its
// floor (a floor's own line has ratio 1). Each figure is the fastest of nine
// repetitions, so runs disturbed by other work on a shared machine do not
// make the figure.
//
// Google Benchmark's own table goes to standard error when KORA_BENCH_VERBOSE
// is set; extra arguments (--benchmark_filter=..., --benchmark_min_time=...)
// are passed through.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct Figure {
    const char* name;
    const char* benchmark;
    const char* floor;  // nullptr: this line is a floor itself
};

// What each subject is measured against, and the targets: decode within 15x
// of its memchr pass, the update within 10x of writing its text once. The
// second update floor adds the Base64 of every text that must travel encoded.
constexpr Figure kFigures[] = {
    {"reply.floor.memchr", "ReplyFloorMemchr", nullptr},
    {"reply.decode", "ReplyDecode", "ReplyFloorMemchr"},
    {"update.floor.write_once", "UpdateFloorWriteOnce", nullptr},
    {"update.floor.encode_once", "UpdateFloorEncodeOnce", nullptr},
    {"update.request", "UpdateRequest", "UpdateFloorWriteOnce"},
    {"update.request.vs_encoding", "UpdateRequest", "UpdateFloorEncodeOnce"},
    {"profile.floor.write_once", "ProfileFloorWriteOnce", nullptr},
    {"profile.save", "ProfileSave", "ProfileFloorWriteOnce"},
    {"profile.floor.memchr", "ProfileFloorMemchr", nullptr},
    {"profile.load", "ProfileLoad", "ProfileFloorMemchr"},
    // The same without the INI text: the core's own share of a save and a load.
    {"profile.save.core", "ProfileSaveCore", "ProfileFloorWriteOnce"},
    {"profile.load.core", "ProfileLoadCore", "ProfileFloorMemchr"},
};

// Keeps the fastest CPU time of each benchmark, in nanoseconds. CPU time, not
// wall time: on a machine shared with other builds, a benchmark that is
// descheduled should not look slower than its floor.
class Collector : public benchmark::BenchmarkReporter {
public:
    explicit Collector(benchmark::BenchmarkReporter* echo) : echo_(echo) {}

    bool ReportContext(const Context& context) override { return echo_ ? echo_->ReportContext(context) : true; }
    void ReportRuns(const std::vector<Run>& runs) override {
        if (echo_) echo_->ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred) {
                failed.push_back(run.run_name.function_name + ": " + run.error_message);
                continue;
            }
            // Single runs count until the fastest of the repetitions arrives.
            const bool fastest = run.run_type == Run::RT_Aggregate && run.aggregate_name == "min";
            if (run.run_type == Run::RT_Aggregate && !fastest) continue;
            const double ns = run.GetAdjustedCPUTime() * nanosecondsPer(run.time_unit);
            auto& slot = nanoseconds[run.run_name.function_name];
            if (fastest || slot.count == 0) slot = {ns, fastest ? 1 : 0};
        }
    }
    void Finalize() override {
        if (echo_) echo_->Finalize();
    }

    struct Slot {
        double ns = 0;
        int count = 0;
    };
    std::map<std::string, Slot> nanoseconds;
    std::vector<std::string> failed;

private:
    static double nanosecondsPer(benchmark::TimeUnit unit) {
        switch (unit) {
        case benchmark::kNanosecond: return 1;
        case benchmark::kMicrosecond: return 1e3;
        case benchmark::kMillisecond: return 1e6;
        case benchmark::kSecond: return 1e9;
        }
        return 1;
    }
    benchmark::BenchmarkReporter* echo_;
};

// Microseconds for everything here: the figures span 0.05 us to a few ms.
void printFigure(const char* name, double ns, double ratio) { std::printf("%s %.4g us %.1f\n", name, ns / 1e3, ratio); }

bool hasFlag(int argc, char** argv, std::string_view flag) {
    for (int i = 1; i < argc; ++i)
        if (std::string_view(argv[i]).starts_with(flag)) return true;
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<char*> args(argv, argv + argc);
    std::string repetitions = "--benchmark_repetitions=9", aggregates = "--benchmark_report_aggregates_only=true",
                minTime = "--benchmark_min_time=0.05";
    if (!hasFlag(argc, argv, "--benchmark_repetitions")) args.push_back(repetitions.data());
    if (!hasFlag(argc, argv, "--benchmark_report_aggregates_only")) args.push_back(aggregates.data());
    if (!hasFlag(argc, argv, "--benchmark_min_time")) args.push_back(minTime.data());
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 2;

    benchmark::ConsoleReporter console(benchmark::ConsoleReporter::OO_None);
    console.SetOutputStream(&std::cerr);
    console.SetErrorStream(&std::cerr);
    Collector collector(std::getenv("KORA_BENCH_VERBOSE") ? &console : nullptr);
    benchmark::RunSpecifiedBenchmarks(&collector);
    benchmark::Shutdown();

    for (const Figure& f : kFigures) {
        const auto subject = collector.nanoseconds.find(f.benchmark);
        if (subject == collector.nanoseconds.end()) continue;  // filtered out
        if (!f.floor) {
            printFigure(f.name, subject->second.ns, 1.0);
            continue;
        }
        const auto floor = collector.nanoseconds.find(f.floor);
        if (floor == collector.nanoseconds.end() || floor->second.ns <= 0) {
            std::fprintf(stderr, "kora_bench: %s has no floor measured in this run\n", f.name);
            continue;
        }
        printFigure(f.name, subject->second.ns, subject->second.ns / floor->second.ns);
    }
    for (const std::string& why : collector.failed) std::fprintf(stderr, "kora_bench: %s\n", why.c_str());
    return collector.failed.empty() ? 0 : 1;
}
