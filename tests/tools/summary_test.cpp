// The speed figure of the summary line: two significant digits below 10x, as rounded.

#include "summary.h"

#include <gtest/gtest.h>

namespace {

TEST(Summary, SpeedHasTwoSignificantDigitsBelowTenTimesRealtime) {
    const std::pair<double, const char*> figures[] = {
        {1269.4, "1269x"},  {10.2, "10x"},       {9.96, "10x"},
        {9.94, "9.9x"},     {1.0, "1.0x"},       {0.5, "0.50x"},
        {0.0123, "0.012x"}, {0.00996, "0.010x"}, {0.000994, "0.00099x"}};
    for (const auto& [factor, text] : figures)
        EXPECT_EQ(speed(factor), text) << factor;
}

} // namespace
