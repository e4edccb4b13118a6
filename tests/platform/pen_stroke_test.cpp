// A pen's stroke is chosen once, when the pen is made, from its style and width: every shape
// then draws with that choice, so a wrong choice here is a wrong outline everywhere.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

#include "gdi/pen_stroker.h"
#include "headless/headless_driver.h"
#include "raster_canvas.h"

namespace {

using kd508::platform::make_pen;
using kd508::platform::PenObject;
using kd508::platform::PenStroker;
using kd508::testing::RasterCanvas;
using kd508::testing::red;

TEST(PenStroker, StyleAndWidthChooseTheStrokerWidthAndReach) {
    struct Case {
        int style;
        int width;
        PenStroker stroker;
        std::int64_t drawn_width;
        std::int64_t reach;
    };
    const Case cases[]{
        {PS_SOLID, 0, PenStroker::thin_line, 1, 1},
        {PS_SOLID, 1, PenStroker::thin_line, 1, 1},
        {PS_SOLID, 2, PenStroker::wide_stroke, 2, 2},
        {PS_SOLID, 5, PenStroker::wide_stroke, 5, 3},
        {PS_SOLID, -1, PenStroker::thin_line, 1, 1},
        {PS_SOLID, -3, PenStroker::wide_stroke, 3, 2},
        {PS_SOLID, INT_MIN, PenStroker::wide_stroke, std::int64_t{1} << 31, (std::int64_t{1} << 30) + 1},
        {PS_NULL, 5, PenStroker::none, 0, 0},
    };
    for (const Case& c : cases) {
        const PenObject stroke = make_pen(c.style, c.width, RGB(0x12, 0x34, 0x56));
        EXPECT_EQ(stroke.stroker, c.stroker) << c.style << " " << c.width;
        EXPECT_EQ(stroke.width(), c.drawn_width) << c.style << " " << c.width;
        EXPECT_EQ(stroke.reach(), c.reach) << c.style << " " << c.width;
        EXPECT_EQ(stroke.pixel, c.stroker == PenStroker::none ? 0u : 0x123456u);
    }
}

// A COLORREF's flag byte (palette-relative colours set it) never reaches a pixel.
TEST(PenStroker, ThePixelTakesTheChannelsInReverseAndDropsTheFlagByte) {
    EXPECT_EQ(make_pen(PS_SOLID, 1, 0x02123456).pixel, 0x563412u);
    EXPECT_EQ(make_pen(PS_SOLID, 4, 0xFF0000FF).pixel, 0xFF0000u);
    EXPECT_EQ(kd508::platform::pixel_from_colorref(0x00FFFFFF), 0xFFFFFFu);
    EXPECT_EQ(kd508::platform::pixel_from_colorref(0x01000000), 0u);
}

// Through the GDI calls: a negative width draws the band of its size, and a context keeps the
// stroke of the pen it selected after that pen is deleted.
TEST(PenStroker, ANegativeWidthDrawsAsItsSizeAndADeletedSelectedPenStillDraws) {
    kd508::headless::Driver driver;
    RasterCanvas negative(7, 5), positive(7, 5);
    negative.use_pen(PS_SOLID, -3, red);
    positive.use_pen(PS_SOLID, 3, red);
    for (RasterCanvas* canvas : {&negative, &positive}) {
        MoveToEx(canvas->dc(), 1, 2, nullptr);
        LineTo(canvas->dc(), 6, 2);
    }
    EXPECT_EQ(negative.picture(), positive.picture());
    EXPECT_EQ(positive.picture(),
              ".......\n"
              ".rrrrrr\n"
              "rrrrrrr\n"
              ".rrrrrr\n"
              ".......\n");

    RasterCanvas canvas(5, 3);
    HPEN pen = CreatePen(PS_SOLID, 1, red);
    HGDIOBJ previous = SelectObject(canvas.dc(), pen);
    EXPECT_TRUE(DeleteObject(pen));
    MoveToEx(canvas.dc(), 0, 1, nullptr);
    LineTo(canvas.dc(), 5, 1);
    SelectObject(canvas.dc(), previous);
    EXPECT_EQ(canvas.picture(), ".....\nrrrrr\n.....\n");
}

}  // namespace
