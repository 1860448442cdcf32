// A console reporter that, once every benchmark has run, adds a summary: each converter run's
// frames per second, its cost relative to the floor (the counter each converter benchmark
// measures against the floor at its own block size), how many instances one core could run in
// real time at 44.1 kHz, and whether the goal for that block size holds. With repetitions it
// uses the medians.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

class FloorRatioReporter : public benchmark::ConsoleReporter {
public:
    // The counter holding a run's time over the floor's.
    static constexpr const char* kRatioCounter = "x_floor";

    void ReportRuns(const std::vector<Run>& runs) override;
    void Finalize() override;

    // The name of the floor benchmark for a block size; converter names end in "/block:N" too.
    static std::string floorName(int block);

    // The largest allowed ratio to the floor at a block size, or 0 where there is no goal.
    static double goalFor(int block);

private:
    struct Result {
        double framesPerSecond = 0.0;
        bool median = false;
        double ratio = 0.0; // 0 where the run measured none
    };
    std::vector<std::string> order; // names as they first ran
    std::map<std::string, Result> results;
};
