#include "progress.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Short renders finish before a bar would help; after that, a few redraws a second suffice.
constexpr std::chrono::milliseconds kFirstDraw{300};
constexpr std::chrono::milliseconds kRedraw{100};
constexpr std::size_t kBarWidth = 30;
constexpr std::size_t kNarrowestBar = 10; // narrower says nothing the percentage does not

// Asked at every redraw: the window may change size meanwhile.
std::size_t terminalColumns() {
    winsize size{};
    if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
    return 80;
}

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
    // The line never reaches the last column: writing there makes some terminals wrap, and the
    // next redraw would start on a new line. Narrower terminals get fewer words, not cut ones.
    const std::size_t room = terminalColumns() - 1;
    char text[64];
    std::vector<std::string> lines; // the most telling first
    if (total <= 0) {
        std::snprintf(text, sizeof(text), "%.1f s", seconds);
        lines = {"rendering  " + std::string(text), text};
    } else {
        // A file's frame count is its header's word; never draw past the end on its account.
        const double done =
            std::min(static_cast<double>(framesDone) / static_cast<double>(total), 1.0);
        std::snprintf(text, sizeof(text), "%3d%%", static_cast<int>(done * 100));
        const std::string percent = text;
        std::snprintf(text, sizeof(text), "%s  %.1f of %.1f s", percent.c_str(), seconds,
                      static_cast<double>(total) / rate);
        const std::string full = text;
        const std::size_t barRoom = room - std::min(room, full.size() + 13); // "rendering [] "
        if (barRoom >= kNarrowestBar) {
            const std::size_t width = std::min(kBarWidth, barRoom);
            const auto filled = static_cast<std::size_t>(done * static_cast<double>(width));
            lines.push_back("rendering [" + std::string(filled, '#') +
                            std::string(width - filled, '.') + "] " + full);
        }
        lines.insert(lines.end(), {"rendering " + full, full, percent});
    }
    std::string line;
    for (const std::string& candidate : lines)
        if (line.empty() && candidate.size() <= room) line = candidate;
    std::fprintf(stderr, "\r%s\033[K", line.c_str());
    std::fflush(stderr);
}
