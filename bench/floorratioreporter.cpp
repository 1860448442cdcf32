#include "floorratioreporter.h"

#include <cstdio>
#include <cstdlib>
#include <ostream>

namespace {

constexpr double kRealtimeRate = 44100.0;

int blockOf(const std::string& name) {
    const auto at = name.rfind("block:");
    return at == std::string::npos
               ? 0
               : static_cast<int>(std::strtol(name.c_str() + at + 6, nullptr, 10));
}

} // namespace

std::string FloorRatioReporter::floorName(int block) {
    return "floor/block:" + std::to_string(block);
}

double FloorRatioReporter::goalFor(int block) {
    if (block >= 512) return 1.1;
    if (block == 16) return 1.3;
    return 0.0;
}

void FloorRatioReporter::ReportRuns(const std::vector<Run>& runs) {
    for (const Run& run : runs) {
        if (run.error_occurred) continue;
        const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
        if (run.run_type == Run::RT_Aggregate && !median) continue;
        const auto rate = run.counters.find("items_per_second");
        if (rate == run.counters.end()) continue;
        const std::string name = run.run_name.str();
        auto found = results.find(name);
        if (found == results.end()) {
            order.push_back(name);
            found = results.emplace(name, Result{}).first;
        }
        const auto ratio = run.counters.find(kRatioCounter);
        // A median beats single repetitions; without one the latest repetition stands.
        if (median || !found->second.median)
            found->second = Result{rate->second.value, median,
                                   ratio == run.counters.end() ? 0.0 : ratio->second.value};
    }
    ConsoleReporter::ReportRuns(runs);
}

void FloorRatioReporter::Finalize() {
    ConsoleReporter::Finalize();
    std::ostream& out = GetOutputStream();
    char line[160];
    out << "\nCost relative to the floor (the bare smoother over the same frames, in alternating "
           "batches)"
        << (!results.empty() && results.begin()->second.median ? ", medians" : "") << "\n";
    std::snprintf(line, sizeof line, "%-44s %14s %9s %12s  %s\n", "benchmark", "frames/s",
                  "x floor", "x realtime", "goal");
    out << line;
    int missed = 0;
    for (const std::string& name : order) {
        const Result& r = results[name];
        const int block = blockOf(name);
        const bool isFloor = name.rfind("floor/", 0) == 0;
        const double ratio = isFloor ? 1.0 : r.ratio;
        const double goal = goalFor(block);
        char verdict[32] = "";
        if (!isFloor && goal > 0.0 && ratio > 0.0) {
            const bool met = ratio <= goal;
            missed += met ? 0 : 1;
            std::snprintf(verdict, sizeof verdict, "%s <= %.1f", met ? "met" : "MISSED", goal);
        }
        std::snprintf(line, sizeof line, "%-44s %14.0f %9.3f %12.0f  %s\n", name.c_str(),
                      r.framesPerSecond, ratio, r.framesPerSecond / kRealtimeRate, verdict);
        out << line;
    }
    out << missed << (missed == 1 ? " goal" : " goals") << " missed\n";
    out.flush();
}
