// The bounded text helpers every text is written with. Each call writes into a sentinel-filled
// buffer larger than the text, which proves the text, the zeros behind it and that nothing beyond
// was touched.

#include "numbertext.h"
#include "sentinel.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using Buffer = SentinelBuffer<24>;

} // namespace

TEST(BoundedText, CopyReadsAtMostNCharactersOfTheSource) {
    // A source of exactly n characters without a terminator: reading one more would leave the
    // allocation, which the sanitizer build reports.
    const std::vector<char> source(8, 'x');
    Buffer buffer;
    numbertext::copyText(buffer.data(), source.data(), 8);
    EXPECT_EQ(buffer.text(), "xxxxxxxx");
    EXPECT_EQ(buffer.touched(), 9u);

    Buffer empty;
    numbertext::copyText(empty.data(), nullptr, 4);
    EXPECT_EQ(empty.text(), "");
    EXPECT_EQ(empty.touched(), 5u);
    EXPECT_TRUE(empty.zeroFrom(0, 5));
}

TEST(BoundedText, AppendKeepsTheFirstNCharactersAndStaysInside) {
    Buffer buffer;
    numbertext::copyText(buffer.data(), "abc", 4);
    numbertext::appendText(buffer.data(), "xyz", 4);
    EXPECT_EQ(buffer.text(), "abcx");
    EXPECT_EQ(buffer.touched(), 5u);

    // An old text already longer than n: it is cut at n, and the bytes behind stay as they were.
    Buffer full;
    std::memcpy(full.data(), "abcdefgh", 9);
    numbertext::appendText(full.data(), "xyz", 4);
    EXPECT_EQ(full.text(), "abcd");
    EXPECT_EQ(std::string(full.data() + 5, 3), "fgh");

    Buffer unchanged;
    numbertext::copyText(unchanged.data(), "ab", 8);
    numbertext::appendText(unchanged.data(), nullptr, 8);
    numbertext::appendText(unchanged.data(), "", 8);
    EXPECT_EQ(unchanged.text(), "ab");
    EXPECT_TRUE(unchanged.zeroFrom(2, 9));
}
