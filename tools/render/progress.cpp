#include "progress.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

// Short renders finish before a bar would help; after that, a few redraws a second suffice.
constexpr std::chrono::milliseconds kFirstDraw{300};
constexpr std::chrono::milliseconds kRedraw{100};
constexpr size_t kBarWidth = 30;

} // namespace

Progress::Progress(bool wanted, std::int64_t totalFrames, int sampleRate)
    : active(wanted && isatty(STDERR_FILENO) != 0), total(totalFrames), rate(sampleRate) {}

Progress::~Progress() {
    if (drawn) std::fputs("\r\033[K", stderr);
}

void Progress::update(std::int64_t framesDone) {
    if (!active) return;
    const auto now = Clock::now();
    if (now - started < kFirstDraw || (drawn && now - lastDrawn < kRedraw)) return;
    lastDrawn = now;
    drawn = true;
    const double seconds = static_cast<double>(framesDone) / rate;
    if (total <= 0) {
        std::fprintf(stderr, "\rrendering  %.1f s\033[K", seconds);
    } else {
        // A file's frame count is its header's word; never draw past the end on its account.
        const double done =
            std::min(static_cast<double>(framesDone) / static_cast<double>(total), 1.0);
        const auto filled = static_cast<size_t>(done * kBarWidth);
        const std::string bar = std::string(filled, '#') + std::string(kBarWidth - filled, '.');
        std::fprintf(stderr, "\rrendering [%s] %3d%%  %.1f of %.1f s\033[K", bar.c_str(),
                     static_cast<int>(done * 100), seconds, static_cast<double>(total) / rate);
    }
    std::fflush(stderr);
}
