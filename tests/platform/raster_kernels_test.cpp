// The arithmetic under the kernels, where a wrong sign or an overflow would move pixels only for
// far-away shapes, which the drawing tests reach only through a few cases.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <map>
#include <vector>

#include "raster/ellipse.h"
#include "raster/ellipse_path.h"

#include "raster/exact_division.h"

namespace {

using kd508::raster::ceil_div;
using kd508::raster::floor_div;
using kd508::raster::round_half_down;
using kd508::raster::Wide;

// The reference's ellipse as a step-by-step trace of one quarter, in doubled offsets from the
// centre; the kernel computes each row in closed form instead, and must paint the same pixels.
std::map<std::int64_t, std::int64_t> traced_row_extents(std::int64_t width, std::int64_t height) {
    const std::int64_t a = width - 1, b = height - 1;
    const auto f = [&](std::int64_t x, std::int64_t y) { return b * b * x * x + a * a * y * y - a * a * b * b; };
    std::map<std::int64_t, std::int64_t> extents;
    for (std::int64_t x = a, y = b % 2; x >= 0 && y <= b;) {
        extents.emplace(y, x);  // the first x on a row is its largest
        const bool left = f(x - 2, y + 2) + f(x, y + 2) >= 0;
        const bool up = f(x - 2, y + 2) + f(x - 2, y) <= 0;
        if (left) x -= 2;
        if (up) y += 2;
    }
    return extents;
}

TEST(EllipseKernelTest, RowsInClosedFormMatchTheStepByStepTraceForEveryBoxUpToFortyPixels) {
    constexpr int size = 40;
    for (int width = 3; width <= size; ++width) {
        for (int height = 3; height <= size; ++height) {
            std::vector<kd508::raster::Pixel> pixels(size * size, 0);
            const kd508::raster::Surface surface{pixels.data(), size, size, size};
            kd508::raster::fill_ellipse(surface, kd508::raster::Box{0, 0, width, height}, 1);
            const auto extents = traced_row_extents(width, height);
            for (int y = 0; y < size; ++y) {
                for (int x = 0; x < size; ++x) {
                    const auto row = extents.find(std::abs(2 * y - (height - 1)));
                    const bool inside = x < width && y < height && row != extents.end() &&
                                        std::abs(2 * x - (width - 1)) <= row->second;
                    ASSERT_EQ(pixels[static_cast<std::size_t>(y * size + x)] == 1, inside)
                        << width << "x" << height << " at " << x << "," << y;
                }
            }
        }
    }
}

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

TEST(EllipsePathTest, VerticesStayOnTheBoxEdgesAndInsideItForAnyBox) {
    using kd508::raster::Box;
    // The widest box, one far out and one pixel wide: a wrong conversion or an overflow in the
    // curve would throw vertices off the box or wrap them round.
    const Box boxes[] = {{INT_MIN, INT_MIN, INT_MAX, INT_MAX}, {INT_MAX - 9, INT_MIN, INT_MAX, INT_MIN + 4}, {5, 5, 6, 6}, {0, 0, 21, 12}};
    for (const Box& box : boxes) {
        const std::vector<kd508::raster::Point> path = kd508::raster::ellipse_path(box);
        ASSERT_FALSE(path.empty());
        EXPECT_LE(path.size(), 32u);
        std::int64_t left = INT64_MAX, top = INT64_MAX, right = INT64_MIN, bottom = INT64_MIN;
        for (const auto& vertex : path) {
            left = std::min(left, vertex.x);
            top = std::min(top, vertex.y);
            right = std::max(right, vertex.x);
            bottom = std::max(bottom, vertex.y);
        }
        // The polygon runs through the centres of the box's first and last columns and rows.
        EXPECT_EQ(left, box.left);
        EXPECT_EQ(top, box.top);
        EXPECT_EQ(right, box.right - 1);
        EXPECT_EQ(bottom, box.bottom - 1);
    }
}

}  // namespace
