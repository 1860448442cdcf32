// The parameters' texts both ways, as every edition shows and reads them: what the display writes
// and plain numbers read back, nonsense refused, short buffers never overrun.

#include "parametertable.h"
#include "sentinel.h"

#include <gtest/gtest.h>

#include <string>

namespace deltamod {
namespace {

TEST(ParameterText, ReadsPlainNumbersAndRefusesNonsense) {
    const auto read = [&](int index, const char* text) {
        double v = -999.0;
        return plainValueFromText(index, text, &v) ? v : -999.0;
    };
    EXPECT_EQ(read(kInGain, "-6"), -6.0);
    EXPECT_EQ(read(kInGain, " -6.5 db "), -6.5);
    EXPECT_EQ(read(kInGain, "+40"), 12.0412);
    EXPECT_EQ(read(kInGain, "-oo"), -60.0);
    EXPECT_EQ(read(kInGain, "-inf"), -60.0);
    EXPECT_EQ(read(kInGain, "-INF dB"), -60.0);
    EXPECT_EQ(read(kInGain, "-6 DB"), -6.0);
    // A display text reads back as the value nearest to its number that shows it.
    EXPECT_EQ(read(kInGain, "0.000000 dB"), 0.0);
    EXPECT_EQ(read(kPitch, "8000"), 6.0) << "the nearest rate, 7919.35 Hz";
    EXPECT_EQ(read(kPitch, "8363.419 hz"), 7.0);
    EXPECT_EQ(read(kPitch, "100000000000000000000 Hz"), 15.0);
    EXPECT_EQ(read(kPitch, "1000000000000000000000 Hz"), 15.0);
    EXPECT_EQ(read(kPitch, "1e9 Hz"), -999.0);
    for (const char* nonsense : {"", " ", "abc", "dB", "-", ".", "1..2", "1 2", "nan", "inf",
                                 "12 kg", "12 dBx", "5 Hz", "-oo Hz"})
        EXPECT_EQ(read(kInGain, nonsense), -999.0) << '"' << nonsense << '"';
    for (const char* nonsense : {"", "0", "-8000 Hz", "8000 dB", "-oo"})
        EXPECT_EQ(read(kPitch, nonsense), -999.0) << '"' << nonsense << '"';
    EXPECT_EQ(read(2, "1"), -999.0);
    EXPECT_EQ(read(kInGain, nullptr), -999.0);

    // Short buffers get what fits, terminated, and never a byte more.
    for (std::uint32_t capacity : {0u, 1u, 2u, 6u, 7u}) {
        SentinelBuffer<16> buffer;
        const bool whole = plainValueText(kInGain, -60.0, buffer.data(), capacity);
        EXPECT_EQ(whole, capacity >= 7) << capacity;
        EXPECT_EQ(buffer.touched(), capacity) << capacity;
        if (capacity > 0) {
            EXPECT_EQ(buffer.text(), std::string("-oo dB").substr(0, capacity - 1));
        }
    }
}

} // namespace
} // namespace deltamod
