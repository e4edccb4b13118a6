// What the kernels expect of their callers is checked in Debug builds and in the sanitizer build:
// a call that breaks it stops there, naming the condition, instead of writing past a row. In the
// other builds the checks are compiled out and these tests skip themselves.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "raster/exact_division.h"
#include "raster/span.h"

namespace {

using kd508::raster::Pixel;
using kd508::raster::Surface;

constexpr Pixel paper = 0xFFFFFF;
constexpr Pixel ink = 0x000000;

class RasterPreconditionDeathTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!kd508::raster::preconditions_checked) GTEST_SKIP() << "precondition checks are compiled out in this build";
        // The child re-runs the test from the start rather than forking a copy of this process
        // as it is: other suites of this program leave threads behind.
        GTEST_FLAG_SET(death_test_style, "threadsafe");
    }

    std::vector<Pixel> pixels_ = std::vector<Pixel>(4 * 3, paper);
    Surface surface_{pixels_.data(), 4, 3, 4};
};

TEST_F(RasterPreconditionDeathTest, ASpanOffTheSurfaceStopsAndNamesWhatItBroke) {
    EXPECT_DEATH(kd508::raster::fill_span(surface_, 3, 0, 2, ink),
                 "precondition failed: 0 <= y && y < surface.height, in fill_span at .*span.h:[0-9]+");
    EXPECT_DEATH(kd508::raster::fill_span(surface_, -1, 0, 2, ink), "y < surface.height");
    EXPECT_DEATH(kd508::raster::fill_span(surface_, 0, 2, 5, ink), "x_end <= surface.width, in fill_span");
    EXPECT_DEATH(kd508::raster::fill_span(surface_, 0, -1, 2, ink), "0 <= x_begin");
    EXPECT_DEATH(kd508::raster::fill_span(surface_, 0, 3, 2, ink), "x_begin <= x_end");
}

TEST_F(RasterPreconditionDeathTest, RunsOfALengthTheWritersWereNotMadeForStop) {
    EXPECT_DEATH(kd508::raster::fill_pixels(pixels_.data(), -1, ink), "count >= 0, in fill_pixels");
    std::vector<Pixel> long_row(kd508::raster::short_run, paper);
    EXPECT_DEATH(kd508::raster::fill_short_run(long_row.data(), kd508::raster::short_run, ink),
                 "count < short_run, in fill_short_run");
}

TEST_F(RasterPreconditionDeathTest, DivisionByZeroStopsWithItsNameRatherThanATrap) {
    volatile std::int64_t zero = 0;
    EXPECT_DEATH(kd508::raster::floor_div<std::int64_t>(7, zero), "d != 0, in floor_div");
    EXPECT_DEATH(kd508::raster::ceil_div<std::int64_t>(7, zero), "d != 0, in ceil_div");
    EXPECT_DEATH(kd508::raster::round_half_down<std::int64_t>(7, -2), "d > 0, in round_half_down");
}

// The checks must let every call at the very edges through, or they would stop real drawing.
TEST_F(RasterPreconditionDeathTest, SpansAtTheEdgesOfTheSurfacePass) {
    kd508::raster::fill_span(surface_, 2, 1, 4, ink);  // last row, up to the right edge
    kd508::raster::fill_span(surface_, 0, 0, 1, ink);  // first row and column
    kd508::raster::fill_span(surface_, 1, 4, 4, ink);  // empty, at the right edge
    kd508::raster::fill_short_run(pixels_.data() + 4, 0, ink);
    const std::vector<Pixel> expected{ink,   paper, paper, paper,  //
                                      paper, paper, paper, paper,  //
                                      paper, ink,   ink,   ink};
    EXPECT_EQ(pixels_, expected);
    EXPECT_EQ(kd508::raster::floor_div<std::int64_t>(-7, 2), -4);
}

}  // namespace
