// The parameters' texts both ways. The display keeps the VST edition's eight characters, so every
// edition shows the same figures; reading a text back accepts what the display writes.
#include "parametertable.h"

#include "numbertext.h"

#include <cmath>
#include <cstring>

namespace deltamod {

namespace {

// The display writes eight characters; the unit follows after a space.
constexpr std::int32_t kNumberLength = 8;
constexpr std::size_t kTextSize = 16; // number, unit and the zero

// The number of a plain value as the display shows it, without the unit.
void displayNumber(int index, double value, char (&number)[kTextSize]) {
    if (index == kInGain)
        gainDisplay(gainForDecibelControl(value), number, kNumberLength);
    else
        rateDisplay(rateIndexForPlainPitch(value), number, kNumberLength);
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

// What follows prefix at the start of text, in any case; null when text does not start with it.
const char* startsWith(const char* text, const char* prefix) {
    for (; *prefix != 0; ++text, ++prefix)
        if (lower(*text) != lower(*prefix)) return nullptr;
    return text;
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
        const double candidate = clampedPlainValue(kInGain, number.value + steps * quarter);
        char shown[kTextSize];
        displayNumber(kInGain, candidate, shown);
        if (sameText(number.begin, number.end, shown)) return candidate;
    }
    return clampedPlainValue(kInGain, number.value);
}

} // namespace

void gainDisplay(float converterGain, char* text, std::int32_t maxLen) {
    numbertext::decibelText(converterGain * kGainScale, text, maxLen);
}

void rateDisplay(int rateIndex, char* text, std::int32_t maxLen) {
    numbertext::floatText(kRatesHz[static_cast<std::size_t>(rateIndexForPlainPitch(rateIndex))],
                          text, maxLen);
}

bool plainValueText(int index, double value, char* text, std::size_t capacity) {
    if (!isParameter(index) || text == nullptr || capacity == 0) return false;
    char full[kTextSize];
    displayNumber(index, value, full);
    numbertext::appendText(full, " ", kTextSize - 1);
    numbertext::appendText(full, kParameters[index].unit, kTextSize - 1);
    // A text cut short would show another number, so a short buffer answers false; it still
    // gets what fits, terminated, and never a byte past its capacity.
    const std::size_t length = std::strlen(full);
    const std::size_t kept = length < capacity ? length : capacity - 1;
    std::memcpy(text, full, kept);
    text[kept] = 0;
    return kept == length;
}

bool plainValueFromText(int index, const char* text, double* value) {
    if (!isParameter(index) || text == nullptr || value == nullptr) return false;
    while (isSpace(*text))
        ++text;
    const char* unit = kParameters[index].unit;
    // Silence, as the display writes it or as minus infinity (which the renderer takes too).
    if (index == kInGain) {
        for (const char* silence : {numbertext::kNoLevel, "-inf"}) {
            const char* after = startsWith(text, silence);
            if (after == nullptr) continue;
            if (!onlyUnitFollows(after, unit)) return false;
            *value = kParameters[kInGain].minimum;
            return true;
        }
    }
    Number number;
    if (!readNumber(text, number) || !onlyUnitFollows(number.end, unit)) return false;
    if (index == kInGain) {
        *value = inGainForText(number);
        return true;
    }
    if (!(number.value > 0.0)) return false; // no rate is zero or negative
    *value = nearestRateIndex(number.value);
    return true;
}

} // namespace deltamod
