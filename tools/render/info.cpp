#include "info.h"

#include "settings.h"

#include <array>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <iomanip>
#include <string>

namespace {

// The shortest text that reads back as the same float.
std::string shortest(float value) {
    std::array<char, 32> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return std::string(buffer.data(), result.ptr);
}

std::string hex(VstInt32 value, int digits) {
    char text[16];
    std::snprintf(text, sizeof(text), "0x%0*X", digits, static_cast<unsigned>(value));
    return text;
}

// A four-character code as its characters, with anything unprintable escaped.
std::string fourCharacters(VstInt32 code) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const auto c = static_cast<unsigned char>(static_cast<std::uint32_t>(code) >> shift);
        if (std::isprint(c) != 0) {
            text += static_cast<char>(c);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof(escaped), "\\x%02X", c);
            text += escaped;
        }
    }
    return text;
}

std::string flagNames(VstInt32 flags) {
    static const std::pair<VstInt32, const char*> kNames[] = {
        {effFlagsHasEditor, "hasEditor"},
        {effFlagsHasClip, "hasClip"},
        {effFlagsHasVu, "hasVu"},
        {effFlagsCanMono, "canMono"},
        {effFlagsCanReplacing, "canReplacing"},
        {effFlagsProgramChunks, "programChunks"},
        {effFlagsIsSynth, "isSynth"},
        {effFlagsNoSoundInStop, "noSoundInStop"},
        {effFlagsExtIsAsync, "extIsAsync"},
        {effFlagsExtHasBuffer, "extHasBuffer"},
        {effFlagsCanDoubleReplacing, "canDoubleReplacing"},
    };
    std::string names;
    for (const auto& [bit, name] : kNames)
        if ((flags & bit) != 0) names += std::string(" ") + name;
    return names;
}

void line(std::ostream& out, const std::string& key, const std::string& value) {
    out << std::left << std::setw(17) << key + ":" << value << '\n';
}

std::string quoted(const std::string& text) { return '"' + text + '"'; }

} // namespace

void printInfo(const PluginHost& plugin, std::ostream& out) {
    const AEffect& record = plugin.record();
    line(out, "plug-in", plugin.path());
    line(out, "name", plugin.text(effGetEffectName));
    line(out, "vendor", plugin.text(effGetVendorString));
    line(out, "product", plugin.text(effGetProductString));
    line(out, "vendor version", std::to_string(plugin.dispatch(effGetVendorVersion)));
    line(out, "effect version", std::to_string(record.version));
    line(out, "VST version", std::to_string(plugin.dispatch(effGetVstVersion)));
    line(out, "unique ID",
         "'" + fourCharacters(record.uniqueID) + "' (" + hex(record.uniqueID, 8) + ")");
    line(out, "inputs", std::to_string(record.numInputs));
    line(out, "outputs", std::to_string(record.numOutputs));
    line(out, "flags", hex(record.flags, 4) + flagNames(record.flags));
    line(out, "initial delay", std::to_string(record.initialDelay) + " frames");
    line(out, "programs",
         std::to_string(record.numPrograms) + ", current " +
             quoted(plugin.text(effGetProgramName)));
    line(out, "parameters", std::to_string(record.numParams));
    for (VstInt32 i = 0; i < record.numParams; ++i)
        line(out, "parameter " + std::to_string(i),
             "name " + quoted(plugin.text(effGetParamName, i)) + ", value " +
                 shortest(plugin.parameter(i)) + ", display " +
                 quoted(plugin.text(effGetParamDisplay, i)) + ", label " +
                 quoted(plugin.text(effGetParamLabel, i)));
    if (isSlopeCrush(plugin)) line(out, "rates", rateScaling());
}
