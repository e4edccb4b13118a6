// The arithmetic under the kernels, where a wrong sign or an overflow would move pixels only for
// far-away shapes, which the drawing tests reach only through a few cases.
#include <gtest/gtest.h>

#include <cstdint>

#include "raster/exact_division.h"

namespace {

using kd508::raster::ceil_div;
using kd508::raster::floor_div;
using kd508::raster::round_half_down;
using kd508::raster::Wide;

TEST(ExactDivisionTest, FloorAndCeilingForEverySignCombination) {
    struct Case {
        int n, d, floor, ceil;
    };
    const Case cases[] = {
        {7, 2, 3, 4}, {-7, 2, -4, -3}, {7, -2, -4, -3}, {-7, -2, 3, 4},
        {6, 2, 3, 3}, {-6, 2, -3, -3}, {0, 5, 0, 0},    {0, -5, 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(floor_div(c.n, c.d), c.floor) << c.n << "/" << c.d;
        EXPECT_EQ(ceil_div(c.n, c.d), c.ceil) << c.n << "/" << c.d;
    }
}

TEST(ExactDivisionTest, HalvesRoundTowardTheSmallerInteger) {
    EXPECT_EQ(round_half_down(1, 2), 0);
    EXPECT_EQ(round_half_down(-1, 2), -1);
    EXPECT_EQ(round_half_down(3, 2), 1);
    EXPECT_EQ(round_half_down(5, 4), 1);   // 1.25
    EXPECT_EQ(round_half_down(7, 4), 2);   // 1.75
    EXPECT_EQ(round_half_down(-5, 4), -1);
    EXPECT_EQ(round_half_down(-7, 4), -2);
}

TEST(ExactDivisionTest, ProductsBeyondSixtyFourBitsStayExact) {
    // The products of two 33-bit coordinate differences, as a line from one 32-bit limit to the
    // other forms them.
    const Wide span = (Wide{1} << 32) - 1;
    const Wide n = span * (span - 1);
    EXPECT_EQ(floor_div(n, span), span - 1);
    EXPECT_EQ(ceil_div(n + 1, span), span);
    EXPECT_EQ(round_half_down(-n, span), -(span - 1));
    EXPECT_EQ(round_half_down(Wide{1} << 63, Wide{1} << 64), 0);  // exactly one half
}

}  // namespace
