#include "parameters.h"

#include "valuetext.h"

#include <cmath>
#include <cstring>

namespace clapparam {

namespace {

// The VST edition's display writes eight characters; the unit follows after a space.
constexpr VstInt32 kNumberLength = 8;
constexpr std::size_t kTextSize = 16; // number, unit and the zero
const char kInGainUnit[] = "dB";
const char kPitchUnit[] = "Hz";
const char kSilence[] = "-oo"; // the display of gain 0

// The number of a value as the VST edition's display shows it, without the unit.
void displayNumber(std::uint32_t id, double value, char (&number)[kTextSize]) {
    if (id == kInGainId)
        decibelText(deltamod::gainForDecibelControl(value) * deltamod::kGainScale, number,
                    kNumberLength);
    else
        floatText(
            deltamod::kRatesHz[static_cast<std::size_t>(deltamod::rateIndexForPlainPitch(value))],
            number, kNumberLength);
}

bool isSpace(char c) { return c == ' ' || c == '\t'; }
char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// A decimal number as the display writes it: [sign] digits [. digits], at least one digit. Read
// without the C library, whose decimal point follows the host's locale. `end` is left behind it.
struct Number {
    double value = 0.0;
    int fractionDigits = 0;
    const char* begin = nullptr;
    const char* end = nullptr;
};

bool readNumber(const char* at, Number& number) {
    // Digits beyond double's precision only scale the number.
    constexpr double kPreciseDigits = 1e17;
    number.begin = at;
    const bool negative = *at == '-';
    if (*at == '-' || *at == '+') ++at;
    double mantissa = 0.0;
    double scale = 1.0; // powers of ten are exact up to 10^22, so short texts read exactly
    int digits = 0;
    for (; *at >= '0' && *at <= '9'; ++at, ++digits) {
        if (mantissa < kPreciseDigits)
            mantissa = mantissa * 10.0 + (*at - '0');
        else
            scale /= 10.0;
    }
    if (*at == '.')
        for (++at; *at >= '0' && *at <= '9'; ++at, ++digits, ++number.fractionDigits)
            if (mantissa < kPreciseDigits) {
                mantissa = mantissa * 10.0 + (*at - '0');
                scale *= 10.0;
            }
    number.end = at;
    number.value = (negative ? -mantissa : mantissa) / scale;
    return digits > 0 && std::isfinite(number.value);
}

// Accepts what may follow a number: spaces, the unit (any case) and spaces, or nothing.
bool onlyUnitFollows(const char* at, const char* unit) {
    while (isSpace(*at))
        ++at;
    if (lower(*at) == lower(unit[0])) {
        for (; *unit != 0; ++at, ++unit)
            if (lower(*at) != lower(*unit)) return false;
        while (isSpace(*at))
            ++at;
    }
    return *at == 0;
}

bool sameText(const char* a, const char* aEnd, const char* b) {
    const std::size_t length = static_cast<std::size_t>(aEnd - a);
    return std::strlen(b) == length && std::memcmp(a, b, length) == 0;
}

// The display truncates the level, and near the end of its digits float rounding moves it by
// about one last digit either way, so the value a display text names may show another text. The
// nearest value, in steps of a quarter of the last digit and first within the digit away from
// zero, that shows the text is what it reads back as; a text the display never writes (a plain
// number) keeps the value it names.
double inGainForText(const Number& number) {
    constexpr int kQuarterSteps[] = {0, 2, 1, 3, -1, 4, 5, -2, 6, 7, -3, -4, 8};
    const double quarter =
        (*number.begin == '-' ? -0.25 : 0.25) / std::pow(10.0, number.fractionDigits);
    for (const int steps : kQuarterSteps) {
        const double candidate = clamped(kInGainId, number.value + steps * quarter);
        char shown[kTextSize];
        displayNumber(kInGainId, candidate, shown);
        if (sameText(number.begin, number.end, shown)) return candidate;
    }
    return clamped(kInGainId, number.value);
}

} // namespace

bool describe(std::uint32_t index, clap_param_info* info) {
    if (info == nullptr || index >= kCount) return false;
    std::memset(info, 0, sizeof(*info));
    info->id = index;
    if (index == kInGainId) {
        info->flags = CLAP_PARAM_IS_AUTOMATABLE;
        copyText(info->name, "InGain", CLAP_NAME_SIZE - 1);
        info->min_value = kInGainMin;
        info->max_value = kInGainMax;
        info->default_value = kInGainDefault;
    } else {
        info->flags = CLAP_PARAM_IS_STEPPED | CLAP_PARAM_IS_ENUM | CLAP_PARAM_IS_AUTOMATABLE;
        copyText(info->name, "Pitch", CLAP_NAME_SIZE - 1);
        info->min_value = kPitchMin;
        info->max_value = kPitchMax;
        info->default_value = kPitchDefault;
    }
    return true;
}

double clamped(std::uint32_t id, double value) {
    const double min = id == kInGainId ? kInGainMin : kPitchMin;
    const double max = id == kInGainId ? kInGainMax : kPitchMax;
    if (!(value > min)) return min; // NaN included
    return value < max ? value : max;
}

bool valueToText(std::uint32_t id, double value, char* text, std::uint32_t capacity) {
    if (!isKnown(id) || text == nullptr || capacity == 0) return false;
    char full[kTextSize];
    displayNumber(id, value, full);
    appendText(full, " ", kTextSize - 1);
    appendText(full, id == kInGainId ? kInGainUnit : kPitchUnit, kTextSize - 1);
    // A text cut short would show another number, so a short buffer answers false; it still
    // gets what fits, terminated, and never a byte past its capacity.
    const std::size_t length = std::strlen(full);
    const std::size_t kept = length < capacity ? length : capacity - 1;
    std::memcpy(text, full, kept);
    text[kept] = 0;
    return kept == length;
}

bool textToValue(std::uint32_t id, const char* text, double* value) {
    if (!isKnown(id) || text == nullptr || value == nullptr) return false;
    while (isSpace(*text))
        ++text;
    const char* unit = id == kInGainId ? kInGainUnit : kPitchUnit;
    if (id == kInGainId && std::strncmp(text, kSilence, sizeof(kSilence) - 1) == 0) {
        if (!onlyUnitFollows(text + sizeof(kSilence) - 1, unit)) return false;
        *value = kInGainMin;
        return true;
    }
    Number number;
    if (!readNumber(text, number) || !onlyUnitFollows(number.end, unit)) return false;
    if (id == kInGainId) {
        *value = inGainForText(number);
        return true;
    }
    if (!(number.value > 0.0)) return false; // no rate is zero or negative
    *value = deltamod::nearestRateIndex(number.value);
    return true;
}

} // namespace clapparam
