#include "settings.h"

#include "identity.h"
#include "parametertable.h"

#include <cmath>
#include <cstdio>

namespace {

// Enough for a summary line; --info lists every parameter.
constexpr int kMaxNamedParameters = 8;

std::string decibels(float gain) {
    if (!(gain > 0.0f)) return "-inf dB";
    char text[32];
    std::snprintf(text, sizeof(text), "%+.2f dB",
                  20.0 * std::log10(static_cast<double>(gain) * deltamod::kGainScale));
    return text;
}

// Displays are often padded to their field.
std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string hertz(double rate) {
    char text[32];
    std::snprintf(text, sizeof(text), "%.1f Hz", rate);
    return text;
}

} // namespace

bool isSlopeCrush(const PluginHost& plugin) {
    return plugin.record().uniqueID == fourCharCode(deltamod::kUniqueId) &&
           plugin.record().numParams >= deltamod::kNumParameters;
}

std::string rateText(int index) {
    char text[32];
    std::snprintf(text, sizeof(text), "%g",
                  static_cast<double>(deltamod::kRatesHz[static_cast<size_t>(index)]));
    return text;
}

std::string rateScaling() {
    const std::string reference = std::to_string(static_cast<int>(deltamod::kReferenceRate));
    return "exact at " + reference + " Hz; at a sample rate fs each runs at rate x fs/" + reference;
}

std::string describeSettings(const PluginHost& plugin, int sampleRate) {
    if (isSlopeCrush(plugin)) {
        const int index = deltamod::rateIndexFor(plugin.parameter(deltamod::kPitch));
        const std::string reference =
            std::to_string(static_cast<int>(deltamod::kReferenceRate)) + " Hz";
        const double inEffect =
            static_cast<double>(deltamod::kRatesHz[static_cast<size_t>(index)]) * sampleRate /
            deltamod::kReferenceRate;
        std::string rate = "rate " + rateText(index) + " Hz (index " + std::to_string(index) + ")";
        if (sampleRate != static_cast<int>(deltamod::kReferenceRate))
            rate = "rate " + hertz(inEffect) + " at " + std::to_string(sampleRate) + " Hz (index " +
                   std::to_string(index) + ": " + rateText(index) + " Hz at " + reference + ")";
        return rate + ", gain " + decibels(plugin.parameter(deltamod::kInGain));
    }
    std::string named;
    const int count = plugin.record().numParams;
    for (int i = 0; i < count && i < kMaxNamedParameters; ++i) {
        const std::string label = trimmed(plugin.text(effGetParamLabel, i));
        named += (i > 0 ? ", " : "") + trimmed(plugin.text(effGetParamName, i)) + " " +
                 trimmed(plugin.text(effGetParamDisplay, i)) + (label.empty() ? "" : " " + label);
    }
    if (count > kMaxNamedParameters)
        named += " and " + std::to_string(count - kMaxNamedParameters) + " more (see --info)";
    return named;
}
