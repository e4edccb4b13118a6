// The arithmetic under the kernels, where a wrong sign or an overflow would move pixels only for
// far-away shapes, which the drawing tests reach only through a few cases.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "raster/ellipse.h"
#include "raster/polygon_fill.h"
#include "raster/span.h"
#include "raster/wide_ellipse.h"
#include "raster/wide_stroke.h"

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

// The rows of boxes a surface can show are decided in 64-bit integers and kept in tables per box
// size; boxes too large for that are decided in 128 bits. Both must agree on every row, or a
// bug's body would change shape by a pixel depending on which path drew it.
bool same_row(const std::optional<kd508::raster::EllipseRow>& a, const std::optional<kd508::raster::EllipseRow>& b) {
    return a.has_value() == b.has_value() && (!a || (a->first == b->first && a->last == b->last));
}

TEST(EllipseKernelTest, FastRowsMatchTheWideArithmeticForEveryBoxUpToSixtyFourAndRandomLargeOnes) {
    using kd508::raster::Box;
    for (std::int64_t width = 0; width <= 64; ++width) {
        for (std::int64_t height = 0; height <= 64; ++height) {
            const Box box{-5, 7, -5 + width, 7 + height};
            for (std::int64_t y = box.top - 1; y <= box.bottom; ++y)
                ASSERT_TRUE(same_row(kd508::raster::ellipse_row(box, y), kd508::raster::ellipse_row_using(kd508::raster::EllipseArithmetic::wide, box, y)))
                    << width << "x" << height << " row " << y;
        }
    }
    // Up to the largest box decided in 64 bits, on both sides of the table's height limit.
    std::uint64_t seed = 0x2545F4914F6CDD1Dull;
    const auto next = [&](std::int64_t bound) {
        seed ^= seed << 13, seed ^= seed >> 7, seed ^= seed << 17;
        return static_cast<std::int64_t>(seed % static_cast<std::uint64_t>(bound));
    };
    for (int i = 0; i < 400; ++i) {
        const std::int64_t left = next(2'000'000) - 1'000'000, top = next(2'000'000) - 1'000'000;
        const Box box{left, top, left + 3 + next(1 << 15), top + 3 + next(i % 2 ? 1 << 15 : 1100)};
        for (int k = 0; k < 200; ++k) {
            const std::int64_t y = box.top + next(box.height());
            ASSERT_TRUE(same_row(kd508::raster::ellipse_row(box, y), kd508::raster::ellipse_row_using(kd508::raster::EllipseArithmetic::wide, box, y)))
                << box.width() << "x" << box.height() << " row " << y - box.top;
        }
    }
}

TEST(EllipseKernelTest, UnsignedRowsMatchTheSignedOnesWhereBothHold) {
    // Boxes of a drawing call reach 2^32 pixels across, decided in unsigned 128-bit integers;
    // below 2^30 the signed ones decide them too, and the two must agree on every row.
    using kd508::raster::Box;
    using kd508::raster::EllipseArithmetic;
    std::uint64_t seed = 0x94D049BB133111EBull;
    const auto next = [&](std::int64_t bound) {
        seed ^= seed << 13, seed ^= seed >> 7, seed ^= seed << 17;
        return static_cast<std::int64_t>(seed % static_cast<std::uint64_t>(bound));
    };
    for (int i = 0; i < 3000; ++i) {
        const std::int64_t limit = i % 3 == 0 ? 40 : (i % 3 == 1 ? 1 << 16 : std::int64_t{1} << 30);
        const Box box{-next(limit), -next(limit), 3 + next(limit), 3 + next(limit)};
        for (int k = 0; k < 50; ++k) {
            const std::int64_t y = box.top + next(box.height());
            ASSERT_TRUE(same_row(kd508::raster::ellipse_row_using(EllipseArithmetic::unsigned_wide, box, y),
                                 kd508::raster::ellipse_row_using(EllipseArithmetic::wide, box, y)))
                << box.width() << "x" << box.height() << " row " << y - box.top;
        }
    }
    // The widest box of all: its middle row spans it, its end rows hold a few pixels.
    const Box widest{INT_MIN, INT_MIN, INT_MAX, INT_MAX};
    const auto middle = kd508::raster::ellipse_row(widest, -1);
    ASSERT_TRUE(middle.has_value());
    EXPECT_EQ(middle->first, INT_MIN);
    EXPECT_EQ(middle->last, INT_MAX - 1);
    for (std::int64_t y : {std::int64_t{0}, std::int64_t{1'000'000}}) {
        const auto row = kd508::raster::ellipse_row(widest, y);
        ASSERT_TRUE(row.has_value()) << y;
        EXPECT_LT(row->first, std::int64_t{INT_MIN} + (1 << 20)) << y;
        EXPECT_EQ(row->first + row->last, std::int64_t{INT_MIN} + INT_MAX - 1) << y;
    }
    const auto top = kd508::raster::ellipse_row(widest, INT_MIN);
    ASSERT_TRUE(top.has_value());
    EXPECT_LT(top->last - top->first, 1 << 18);
}

TEST(EllipseKernelTest, FilledAndOutlinedEllipsesPaintTheirRowsWhereverTheyAreCut) {
    // fill_ellipse and outline_ellipse walk only the rows on the surface, with the rows above
    // and below carried along; boxes cut at every side must still paint exactly their rows.
    using kd508::raster::Box;
    constexpr int size = 24;
    constexpr kd508::raster::Pixel fill = 1, rim = 2;
    const auto row = [](const Box& box, std::int64_t y) { return kd508::raster::ellipse_row_using(kd508::raster::EllipseArithmetic::wide, box, y); };
    for (int width = 1; width <= 40; width += 3) {
        for (int height = 1; height <= 40; height += 2) {
            for (int shift : {-17, -3, 0, 9}) {
                const Box box{shift, shift / 2, shift + width, shift / 2 + height};
                std::vector<kd508::raster::Pixel> pixels(size * size, 0);
                const kd508::raster::Surface surface{pixels.data(), size, size, size};
                kd508::raster::fill_ellipse(surface, box, fill);
                kd508::raster::outline_ellipse(surface, box, rim);
                for (int y = 0; y < size; ++y) {
                    const auto span = row(box, y), above = row(box, y - 1), below = row(box, y + 1);
                    for (int x = 0; x < size; ++x) {
                        const auto covers = [x](const auto& r) { return r && r->first <= x && x <= r->last; };
                        const bool in = covers(span);
                        const bool inner = in && covers(above) && covers(below) &&
                                           span->first < x && x < span->last;
                        const kd508::raster::Pixel expected = !in ? 0 : inner ? fill : rim;
                        ASSERT_EQ(pixels[static_cast<std::size_t>(y * size + x)], expected)
                            << width << "x" << height << " shifted " << shift << " at " << x << "," << y;
                    }
                }
            }
        }
    }
}

TEST(SpanKernelTest, UnlikeScansFindTheFirstAndLastOtherPixelAcrossVectorBounds) {
    using kd508::raster::first_unlike;
    using kd508::raster::last_unlike;
    constexpr kd508::raster::Pixel sky = 0x000080;
    std::vector<kd508::raster::Pixel> run(21, sky);
    EXPECT_EQ(first_unlike(run.data(), run.size(), sky), 21u);
    EXPECT_EQ(last_unlike(run.data(), run.size(), sky), 21u);
    EXPECT_EQ(first_unlike(run.data(), 0, sky), 0u);
    // One pixel in the second vector's worth, one in the tail past the last whole vector.
    run[9] = 0xFF0000;
    run[19] = 0x00FF00;
    EXPECT_EQ(first_unlike(run.data(), run.size(), sky), 9u);
    EXPECT_EQ(last_unlike(run.data(), run.size(), sky), 19u);
    EXPECT_EQ(first_unlike(run.data() + 10, 11, sky), 9u);
    EXPECT_EQ(last_unlike(run.data(), 19, sky), 9u);
    run[0] = 0;
    run[20] = 0;
    EXPECT_EQ(first_unlike(run.data(), run.size(), sky), 0u);
    EXPECT_EQ(last_unlike(run.data(), run.size(), sky), 20u);
}

// Every length up to three rounds of vectors and past them, with changed pixels at every pair of
// places: each scan goes by rounds, then vectors, then pixels, and any of those steps may stop
// one early or read one too far.
TEST(SpanKernelTest, ScansAndFillsAgreeWithAPixelByPixelReadingAtEveryLengthAndPlace) {
    using kd508::raster::Pixel;
    constexpr Pixel sky = 0x000080;
    constexpr Pixel sun = 0xFFFF00;
    constexpr std::size_t longest = 100;
    std::vector<Pixel> picture(longest, sky);
    const std::vector<Pixel> clear(longest, sky);
    for (std::size_t count = 0; count <= longest; ++count) {
        for (std::size_t first = 0; first < count; ++first) {
            for (std::size_t last : {first, (first + count) / 2, count - 1}) {
                if (last < first) continue;
                std::fill(picture.begin(), picture.end(), sky);
                picture[first] = sun;
                picture[last] = sun;
                if (count < longest) picture[count] = sun;  // just past the end: never to be seen
                ASSERT_EQ(kd508::raster::first_unlike(picture.data(), count, sky), first) << count;
                ASSERT_EQ(kd508::raster::last_unlike(picture.data(), count, sky), last) << count;
                ASSERT_EQ(kd508::raster::first_mismatch(picture.data(), clear.data(), count), first) << count;
                ASSERT_EQ(kd508::raster::last_mismatch(clear.data(), picture.data(), count), last) << count;
                const kd508::raster::RunChange change = kd508::raster::fill_unlike(picture.data(), count, sky);
                ASSERT_EQ(change.begin, first) << count;
                ASSERT_EQ(change.end, last + 1) << count;
                ASSERT_TRUE(std::equal(picture.begin(), picture.begin() + static_cast<std::ptrdiff_t>(count), clear.begin()));
                if (count < longest) {
                    ASSERT_EQ(picture[count], sun) << count;
                }
            }
        }
        std::fill(picture.begin(), picture.end(), sky);
        if (count < longest) picture[count] = sun;
        EXPECT_EQ(kd508::raster::first_mismatch(picture.data(), clear.data(), count), count);
        EXPECT_EQ(kd508::raster::last_mismatch(picture.data(), clear.data(), count), count);
        EXPECT_TRUE(kd508::raster::fill_unlike(picture.data(), count, sky).empty());
    }
}

// The stores finish with a vector that overlaps the pixels before it: at no length may they reach
// a pixel before the run or past its end, in a row or in a box of rows.
TEST(SpanKernelTest, FillsWriteEveryPixelOfTheRunAndNoOther) {
    using kd508::raster::Pixel;
    constexpr Pixel sky = 0x000080;
    constexpr Pixel sun = 0xFFFF00;
    constexpr int longest = 100;
    for (int count = 0; count <= longest; ++count) {
        std::vector<Pixel> row(longest + 2, sky);
        kd508::raster::fill_run(row.data() + 1, static_cast<std::size_t>(count), sun);
        EXPECT_EQ(row[0], sky) << count;
        EXPECT_EQ(std::count(row.begin(), row.end(), sun), count) << count;
        EXPECT_EQ(row[static_cast<std::size_t>(count) + 1], sky) << count;
        // The same run as a span of a row, short ones written in place.
        std::fill(row.begin(), row.end(), sky);
        const kd508::raster::Surface line{row.data(), longest + 2, 1, longest + 2};
        kd508::raster::fill_span(line, 0, 1, count + 1, sun);
        EXPECT_EQ(row[0], sky) << count;
        EXPECT_EQ(std::count(row.begin(), row.end(), sun), count) << count;
        EXPECT_EQ(row[static_cast<std::size_t>(count) + 1], sky) << count;
    }
    // Boxes from nothing to wider than a row of sixteen vector stores, which is written by a loop.
    constexpr int size = 160;
    for (int width = 0; width <= 150; ++width) {
        std::vector<Pixel> pixels(size * size, sky);
        const kd508::raster::Surface surface{pixels.data(), size, size, size};
        kd508::raster::fill_box(surface, kd508::raster::Box{3, 5, 3 + width, 9}, sun);
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
                ASSERT_EQ(pixels[static_cast<std::size_t>(y * size + x)], x >= 3 && x < 3 + width && y >= 5 && y < 9 ? sun : sky)
                    << width << " wide, at " << x << "," << y;
    }
}

// A copy passes over matching rows in one call: the row found is the first with a difference
// inside the columns asked for, whatever lies beyond them in the row.
TEST(SpanKernelTest, FirstMismatchingRowLooksOnlyAtTheColumnsAskedFor) {
    using kd508::raster::Pixel;
    constexpr std::ptrdiff_t stride = 80;
    constexpr std::size_t rows = 3;
    for (std::size_t count : {0u, 1u, 7u, 8u, 9u, 31u, 32u, 33u, 70u}) {
        std::vector<Pixel> a(stride * rows, 5), b(stride * rows, 5);
        // Differences just past the columns, on every row, are never seen.
        for (std::size_t row = 0; row < rows; ++row) a[row * stride + count] = 6;
        EXPECT_EQ(kd508::raster::first_mismatching_row(a.data(), stride, b.data(), stride, count, rows), rows) << count;
        for (std::size_t column = 0; column < count; ++column) {
            a[stride + column] = 7;
            ASSERT_EQ(kd508::raster::first_mismatching_row(a.data(), stride, b.data(), stride, count, rows), 1u)
                << count << " wide, column " << column;
            a[stride + column] = 5;
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

TEST(ExactDivisionTest, SixtyFourBitPathAgreesWithTheWideOneUpToItsLimit) {
    // Kernels take the 64-bit path when both factors are below narrow_factor_limit; at the
    // limit itself, doubling the product must not overflow.
    const std::int64_t largest = kd508::raster::narrow_factor_limit - 1;
    for (std::int64_t step : {std::int64_t{0}, std::int64_t{1}, largest / 3, largest - 1, largest}) {
        for (std::int64_t minor : {-largest, -largest / 2 - 1, std::int64_t{-1}, std::int64_t{0}, largest / 7, largest}) {
            for (std::int64_t major : {std::int64_t{1}, std::int64_t{2}, largest / 5 + 1, largest}) {
                const std::int64_t n = step * minor;
                EXPECT_EQ(Wide{round_half_down<std::int64_t>(n, major)}, round_half_down<Wide>(n, major)) << n << "/" << major;
                EXPECT_EQ(Wide{ceil_div<std::int64_t>(n, major)}, ceil_div<Wide>(n, major)) << n << "/" << major;
            }
        }
    }
}

using kd508::raster::Box;
using kd508::raster::Pixel;
using kd508::raster::Point;
using kd508::raster::Surface;

// A small surface to stroke on, white where nothing is painted.
struct Bitmap {
    static constexpr Pixel white = 0xffffff;
    static constexpr Pixel pen = 0x0000ff;
    int width;
    int height;
    std::vector<Pixel> pixels;
    Bitmap(int w, int h) : width(w), height(h), pixels(static_cast<std::size_t>(w * h), white) {}
    Surface surface() { return Surface{pixels.data(), width, height, width}; }
    bool painted(std::int64_t x, std::int64_t y) const {
        return x >= 0 && y >= 0 && x < width && y < height && pixels[static_cast<std::size_t>(y * width + x)] == pen;
    }
    int painted_count() const { return static_cast<int>(std::count(pixels.begin(), pixels.end(), pen)); }
};

TEST(EllipseKernelTest, BoxesTooThinForAnInsideAreFilledWhole) {
    // A wide pen's round end of width one or two, and a brush inside a wide pen's thin ellipse,
    // fill boxes less than three pixels across: all of the box, tips included.
    for (int width = 1; width <= 9; ++width) {
        for (int height = 1; height <= 9; ++height) {
            if (width >= 3 && height >= 3) continue;
            Bitmap filled(12, 12);
            kd508::raster::fill_ellipse(filled.surface(), Box{1, 1, 1 + width, 1 + height}, Bitmap::pen);
            EXPECT_EQ(filled.painted_count(), width * height) << width << "x" << height;
            EXPECT_TRUE(filled.painted(1, 1) && filled.painted(width, height)) << width << "x" << height;
        }
    }
}

TEST(WideEllipseTest, BandCoversTheEllipsesEdgeAndStaysWithinThePensReachOfTheBox) {
    // Every edge pixel is on the pen's path, so a missed row or a chain step that skips a pixel
    // would leave one out; a step to a wrong row would paint beyond the box's reach.
    constexpr int size = 48, origin = 12;
    for (int width = 1; width <= 22; ++width) {
        for (int height = 1; height <= 22; height += (height < 5 ? 1 : 3)) {
            for (int pen = 2; pen <= 9; pen += 3) {
                SCOPED_TRACE(testing::Message() << width << "x" << height << " pen " << pen);
                const Box box{origin, origin, origin + width, origin + height};
                Bitmap edge(size, size), band(size, size);
                kd508::raster::outline_ellipse(edge.surface(), box, Bitmap::pen);
                kd508::raster::stroke_wide_ellipse(band.surface(), box, pen, Bitmap::pen);
                const int reach = pen / 2 + 1;
                for (int y = 0; y < size; ++y) {
                    for (int x = 0; x < size; ++x) {
                        const bool near_box = x >= box.left - reach && x < box.right + reach &&
                                              y >= box.top - reach && y < box.bottom + reach;
                        if (edge.painted(x, y)) {
                            ASSERT_TRUE(band.painted(x, y)) << x << "," << y;
                        }
                        if (!near_box) {
                            ASSERT_FALSE(band.painted(x, y)) << x << "," << y;
                        }
                    }
                }
            }
        }
    }
}

TEST(WideEllipseTest, PensFarWiderThanTheSurfaceCostNoMoreThanItsSize) {
    // The widest pens on the widest ellipse: rows within the pen's reach of the surface number
    // about 2^31, so a kernel that visited each of them would never finish. The edge is about
    // 2^31 away and the pen reaches 2^30, so nothing is painted.
    Bitmap far(12, 10);
    kd508::raster::stroke_wide_ellipse(far.surface(), Box{INT_MIN, INT_MIN, INT_MAX, INT_MAX}, INT_MAX, Bitmap::pen);
    EXPECT_EQ(far.painted_count(), 0);

    // An edge passing through the surface, with a pen that reaches far past it on both sides:
    // however the rows are thinned, the whole surface lies within the band.
    Bitmap covered(12, 10);
    kd508::raster::stroke_wide_ellipse(covered.surface(), Box{-2000000, -1000000, 5, 1000000}, 4000000, Bitmap::pen);
    EXPECT_EQ(covered.painted_count(), 12 * 10);

    // Just beyond the reach of a thinned band: an edge 3000 pixels left of the surface, along
    // rows far taller than it, with a pen reaching 2001 pixels.
    Bitmap beside(12, 10);
    kd508::raster::stroke_wide_ellipse(beside.surface(), Box{-3000, -100000000, 3000, 100000000}, 4000, Bitmap::pen);
    EXPECT_EQ(beside.painted_count(), 0);
}

TEST(WideStrokeTest, ACutOutOfTheSurfacePaintsWhatTheWholeSurfaceShowsThere) {
    // Wide pens skip segments that cannot reach the surface and fill it at once when one end
    // covers it; both decisions depend on the surface, so a window into a larger one, with the
    // shape moved by the window's offset, must paint exactly the pixels the larger one shows.
    constexpr int whole_size = 96, part_width = 13, part_height = 9, part_x = 40, part_y = 50;
    std::uint64_t seed = 0x9E3779B97F4A7C15ull;
    const auto next = [&](std::int64_t bound) {
        seed ^= seed << 13, seed ^= seed >> 7, seed ^= seed << 17;
        return static_cast<std::int64_t>(seed % static_cast<std::uint64_t>(bound));
    };
    for (int i = 0; i < 600; ++i) {
        const std::int64_t pen = 2 + next(i % 2 ? 40 : 90);
        const auto coordinate = [&] { return part_x - pen + next(2 * pen + part_width); };
        const Point a{coordinate(), coordinate()}, b{coordinate(), coordinate()};
        Bitmap whole(whole_size, whole_size);
        std::vector<Pixel> part(part_width * part_height, Bitmap::white);
        const Surface window{part.data(), part_width, part_height, part_width};
        const Point a_in_window{a.x - part_x, a.y - part_y}, b_in_window{b.x - part_x, b.y - part_y};
        if (i % 3 == 0) {
            const Box box{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x) + 1, std::max(a.y, b.y) + 1};
            kd508::raster::stroke_wide_ellipse(whole.surface(), box, pen, Bitmap::pen);
            kd508::raster::stroke_wide_ellipse(window, Box{box.left - part_x, box.top - part_y, box.right - part_x, box.bottom - part_y},
                                               pen, Bitmap::pen);
        } else {
            kd508::raster::stroke_wide_segment(whole.surface(), a, b, pen, Bitmap::pen);
            kd508::raster::stroke_wide_segment(window, a_in_window, b_in_window, pen, Bitmap::pen);
        }
        for (int y = 0; y < part_height; ++y)
            for (int x = 0; x < part_width; ++x)
                ASSERT_EQ(part[static_cast<std::size_t>(y * part_width + x)] == Bitmap::pen, whole.painted(part_x + x, part_y + y))
                    << "case " << i << " pen " << pen << " at " << x << "," << y;
    }
}

TEST(WideEllipseTest, APenWhoseEndCoversTheSurfacePaintsAllOfIt) {
    // The widest pen around a box just larger than the surface: every end covers the surface.
    Bitmap covered(12, 10);
    kd508::raster::stroke_wide_ellipse(covered.surface(), Box{-1000, -1000, 1000, 1000}, INT_MAX, Bitmap::pen);
    EXPECT_EQ(covered.painted_count(), 12 * 10);
    // An end just too small to cover it leaves the far corner to the rest of the band.
    EXPECT_FALSE(kd508::raster::pen_end_covers_surface(covered.surface(), Point{0, 0}, 2 * 15 + 1));
    EXPECT_TRUE(kd508::raster::pen_end_covers_surface(covered.surface(), Point{0, 0}, 2 * 19 + 1));
}

TEST(PolygonFillTest, SteppedEdgesMatchEachPixelsOwnCrossingCount) {
    // The fill steps each edge's crossing from row to row; here every pixel counts, exactly and
    // on its own, the crossings at or left of its centre, for polygons of every size up to the
    // whole 32-bit range and beyond it.
    constexpr int size = 24;
    std::uint64_t seed = 0xD1B54A32D192ED03ull;
    const auto next = [&](std::int64_t bound) {
        seed ^= seed << 13, seed ^= seed >> 7, seed ^= seed << 17;
        return static_cast<std::int64_t>(seed % static_cast<std::uint64_t>(bound));
    };
    // Coordinates just either side of 2^30, where the fill leaves 64-bit arithmetic for 128-bit.
    constexpr std::int64_t narrow_edge = std::int64_t{1} << 30;
    const auto near_narrow_edge = [&] { return (next(2) ? 1 : -1) * (narrow_edge - 1 + next(3)) + next(5) - 2; };
    for (int i = 0; i < 4000; ++i) {
        const std::int64_t reach = i % 4 == 0 ? 30 : (i % 4 == 1 ? 5000 : std::int64_t{3} << 31);
        std::vector<Point> vertices(static_cast<std::size_t>(3 + next(5)));
        for (Point& p : vertices) p = Point{next(2 * reach + 1) - reach + size / 2, next(2 * reach + 1) - reach + size / 2};
        if (i % 4 == 3)
            for (Point& p : vertices) p = next(3) ? Point{near_narrow_edge(), near_narrow_edge()} : Point{next(size), next(size)};
        Bitmap filled(size, size), wide(size, size);
        kd508::raster::fill_polygon_alternate(filled.surface(), vertices, Bitmap::pen);
        kd508::raster::fill_polygon_alternate_using(kd508::raster::PolygonArithmetic::wide, wide.surface(), vertices, Bitmap::pen);
        ASSERT_EQ(filled.pixels, wide.pixels) << "polygon " << i;
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                int crossings = 0;
                for (std::size_t k = 0; k < vertices.size(); ++k) {
                    Point a = vertices[k], b = vertices[(k + 1) % vertices.size()];
                    if (a.y == b.y) continue;
                    if (a.y > b.y) std::swap(a, b);
                    if (y < a.y || y >= b.y) continue;
                    const Wide first = a.x + ceil_div<Wide>(static_cast<Wide>(y - a.y) * (b.x - a.x), b.y - a.y);
                    crossings += first <= x;
                }
                ASSERT_EQ(filled.painted(x, y), crossings % 2 == 1) << "polygon " << i << " at " << x << "," << y;
            }
        }
    }
}

TEST(WideStrokeTest, RecordedShapesPaintExactlyWhatDrawingThemDirectlyPaints) {
    // A segment drawn from its shape's recorded runs must paint the pixels that drawing it anew
    // paints: moved anywhere on, across or beside the surface, far away, in the colours the
    // recording itself uses, after the shape was pushed out of its set by others, and for shapes
    // too wide or too long to be kept.
    using kd508::raster::StrokeMethod;
    constexpr int width = 40, height = 30;
    std::uint64_t seed = 0xBF58476D1CE4E5B9ull;
    const auto next = [&](std::int64_t bound) {
        seed ^= seed << 13, seed ^= seed >> 7, seed ^= seed << 17;
        return static_cast<std::int64_t>(seed % static_cast<std::uint64_t>(bound));
    };
    struct Shape {
        std::int64_t dx, dy, pen;
    };
    const auto random_shape = [&]() -> Shape {
        switch (next(6)) {
            case 0: return {next(61) - 30, next(7) - 3, 2 + next(9)};   // flat
            case 1: return {next(7) - 3, next(61) - 30, 2 + next(9)};   // steep
            case 2: return {next(3) - 1, next(3) - 1, 1 + next(70)};    // a point or one step, pens past the kept widths
            case 3: return {next(2) ? next(41) - 20 : 0, next(2) ? 0 : next(41) - 20, 2 + next(20)};  // along an axis
            case 4: return {next(601) - 300, next(601) - 300, 2 + next(4)};  // past the kept lengths
            default: return {next(25) - 12, next(25) - 12, 2 + next(64)};
        }
    };
    std::vector<Shape> repeated(6);
    for (Shape& shape : repeated) shape = random_shape();
    Bitmap recorded(width, height), direct(width, height);
    for (int i = 0; i < 6000; ++i) {
        const Shape shape = next(2) ? repeated[static_cast<std::size_t>(next(6))] : random_shape();
        const std::int64_t far = i % 50 == 0 ? (next(2) ? INT_MAX : INT_MIN) : 0;
        const Point a{far + next(width + 60) - 30, next(height + 60) - 30};
        const Point b{a.x + shape.dx, a.y + shape.dy};
        const Pixel colour = i % 4 == 0 ? 0 : (i % 4 == 1 ? 1 : static_cast<Pixel>(next(0x1000000)));
        kd508::raster::stroke_wide_segment_using(StrokeMethod::recorded, recorded.surface(), a, b, shape.pen, colour);
        kd508::raster::stroke_wide_segment_using(StrokeMethod::direct, direct.surface(), a, b, shape.pen, colour);
        ASSERT_EQ(recorded.pixels, direct.pixels) << "segment " << i << " from " << a.x << "," << a.y << " by "
                                                  << shape.dx << "," << shape.dy << " pen " << shape.pen;
    }
}

}  // namespace
