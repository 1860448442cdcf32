#include "summary.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

std::string dbfs(float peak) {
    if (peak <= 0.0f) return "-inf dBFS";
    char text[32];
    std::snprintf(text, sizeof(text), "%.1f dBFS", 20.0 * std::log10(static_cast<double>(peak)));
    return text;
}

} // namespace

std::string frameCount(std::int64_t frames) {
    return std::to_string(frames) + (frames == 1 ? " frame" : " frames");
}

std::string speed(double factor) {
    int decimals = 0;
    if (factor > 0.0 && factor < 10.0) {
        // The places follow the figure as rounded: 0.00996 reads "0.010", not "0.0100".
        const double unit = std::pow(10.0, std::floor(std::log10(factor)) - 1.0);
        const double rounded = std::round(factor / unit) * unit;
        decimals = std::min(12, 1 - static_cast<int>(std::floor(std::log10(rounded))));
    }
    char text[32];
    std::snprintf(text, sizeof(text), "%.*fx", decimals, factor);
    return text;
}

std::string summary(std::int64_t frames, int sampleRate, double seconds, float peak) {
    const double duration = static_cast<double>(frames) / sampleRate;
    char text[64];
    std::snprintf(text, sizeof(text), "%.3f s at %d Hz", duration, sampleRate);
    std::string line = frameCount(frames) + ", " + text;
    if (frames > 0) line += ", " + speed(duration / std::max(seconds, 1e-6)) + " realtime";
    return line + ", peak " + dbfs(peak);
}
