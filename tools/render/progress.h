// A progress bar on stderr for renders long enough to wait for. It draws only on a terminal,
// so logs and pipes never see it, fits the terminal's width, and erases itself when done.
#pragma once

#include <chrono>
#include <cstdint>

class Progress {
public:
    // totalFrames may be -1 when unknown; then the bar shows the time rendered so far.
    Progress(bool wanted, std::int64_t totalFrames, int sampleRate);
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    void update(std::int64_t framesDone);

private:
    using Clock = std::chrono::steady_clock;

    bool active;
    std::int64_t total;
    int rate;
    Clock::time_point started = Clock::now();
    Clock::time_point lastDrawn;
    bool drawn = false;
};
