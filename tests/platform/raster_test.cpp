// Which pixels Rectangle, Ellipse, Polygon, MoveToEx/LineTo and SetPixel paint on a bitmap,
// checked pixel by pixel on small bitmaps: first pixel in, last pixel out, and the same shapes
// at and beyond every edge and at the 32-bit limits.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <string>
#include <vector>

#include "headless/headless_driver.h"
#include "raster_canvas.h"

namespace {

// Every test starts with a fresh layer.
class LayerTest : public ::testing::Test {
protected:
    kd508::headless::Driver driver_;
};
using RectangleTest = LayerTest;
using EllipseTest = LayerTest;
using PolygonTest = LayerTest;
using LineTest = LayerTest;
using ClippingTest = LayerTest;
using LimitsTest = LayerTest;
using PixelTest = LayerTest;
using WindowDrawingTest = LayerTest;

using kd508::testing::black;
using kd508::testing::blue;
using kd508::testing::RasterCanvas;
using kd508::testing::red;
using kd508::testing::white;

bool painted(const RasterCanvas& canvas, int x, int y) { return GetPixel(canvas.dc(), x, y) != white; }

void line(HDC dc, int x1, int y1, int x2, int y2) {
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
}

// ---- Rectangle ------------------------------------------------------------------------------

TEST_F(RectangleTest, OnePixelPenEdgesTheBoxAndTheBrushFillsInside) {
    RasterCanvas canvas(10, 9);
    canvas.use_pen(PS_SOLID, 1, black);
    canvas.use_brush(red);
    Rectangle(canvas.dc(), 2, 3, 8, 7);
    EXPECT_EQ(canvas.picture(),
              "..........\n"
              "..........\n"
              "..........\n"
              "..######..\n"
              "..#rrrr#..\n"
              "..#rrrr#..\n"
              "..######..\n"
              "..........\n"
              "..........\n");
}

TEST_F(RectangleTest, NullPenFillsOnePixelLessOnTheRightAndBottom) {
    RasterCanvas canvas(10, 9);
    canvas.use_pen(PS_NULL, 1, black);
    canvas.use_brush(red);
    Rectangle(canvas.dc(), 2, 3, 8, 7);
    EXPECT_EQ(canvas.picture(),
              "..........\n"
              "..........\n"
              "..........\n"
              "..rrrrr...\n"
              "..rrrrr...\n"
              "..rrrrr...\n"
              "..........\n"
              "..........\n"
              "..........\n");
}

TEST_F(RectangleTest, ReversedCornersAreOrderedFirst) {
    RasterCanvas ordered(10, 9);
    ordered.use_brush(red);
    Rectangle(ordered.dc(), 2, 3, 8, 7);
    const int corners[][4] = {{8, 7, 2, 3}, {8, 3, 2, 7}, {2, 7, 8, 3}};
    for (const auto& c : corners) {
        RasterCanvas reversed(10, 9);
        reversed.use_brush(red);
        Rectangle(reversed.dc(), c[0], c[1], c[2], c[3]);
        EXPECT_EQ(reversed.picture(), ordered.picture()) << c[0] << "," << c[1] << "," << c[2] << "," << c[3];
    }
}

TEST_F(RectangleTest, HollowBrushLeavesTheInsideAndThinBoxesAreAllEdge) {
    RasterCanvas canvas(8, 6);
    canvas.use_brush(blue);
    Rectangle(canvas.dc(), 0, 0, 8, 6);
    canvas.use_hollow_brush();
    Rectangle(canvas.dc(), 1, 1, 7, 5);
    Rectangle(canvas.dc(), 3, 2, 4, 4);  // one column wide: its edge is the whole of it
    Rectangle(canvas.dc(), 5, 3, 5, 4);  // no column at all
    EXPECT_EQ(canvas.picture(),
              "########\n"
              "########\n"
              "##b#bb##\n"
              "##b#bb##\n"
              "########\n"
              "########\n");
}

// ---- Ellipse --------------------------------------------------------------------------------

TEST_F(EllipseTest, OneByOneBoxPaintsNothingAndThreeByThreeIsAPlus) {
    RasterCanvas canvas(7, 5);
    canvas.use_brush(black);
    Ellipse(canvas.dc(), 1, 1, 2, 2);
    Ellipse(canvas.dc(), 3, 1, 6, 4);
    EXPECT_EQ(canvas.picture(),
              ".......\n"
              "....#..\n"
              "...###.\n"
              "....#..\n"
              ".......\n");
}

// A box one pixel wide has no inside: a thin pen paints it whole in the pen's colour, as it
// would a rectangle's edge, and the brush paints nothing.
TEST_F(EllipseTest, OnePixelWideBoxIsPaintedInThePensColour) {
    RasterCanvas canvas(3, 5);
    canvas.use_pen(PS_SOLID, 1, red);
    canvas.use_brush(blue);
    Ellipse(canvas.dc(), 1, 1, 2, 4);
    EXPECT_EQ(canvas.picture(),
              "...\n"
              ".r.\n"
              ".r.\n"
              ".r.\n"
              "...\n");
}

// The runtime draws a radius-r circle as the ellipse in the (2r + 1)-pixel box around its
// centre pixel, with pen and brush of one colour.
std::string circle_picture(int radius) {
    const int size = 2 * radius + 5;
    const int centre = size / 2;
    RasterCanvas canvas(size, size);
    canvas.use_pen(PS_SOLID, 1, red);
    canvas.use_brush(red);
    Ellipse(canvas.dc(), centre - radius, centre - radius, centre + radius + 1, centre + radius + 1);
    return canvas.picture();
}

TEST_F(EllipseTest, RadiusTwoCircleIsARoundDisc) {
    EXPECT_EQ(circle_picture(2),
              ".........\n"
              ".........\n"
              "...rrr...\n"
              "..rrrrr..\n"
              "..rrrrr..\n"
              "..rrrrr..\n"
              "...rrr...\n"
              ".........\n"
              ".........\n");
}

TEST_F(EllipseTest, CirclesFillTheirSquaresDiscSymmetricallyAndTouchEverySide) {
    for (int radius = 0; radius <= 12; ++radius) {
        SCOPED_TRACE(radius);
        const int size = 2 * radius + 5;
        const int centre = size / 2;
        const std::string picture = circle_picture(radius);
        const auto at = [&](int x, int y) { return picture[static_cast<std::size_t>(y * (size + 1) + x)] == 'r'; };
        int count = 0;
        for (int y = 0; y < size; ++y) {
            int runs = 0;
            for (int x = 0; x < size; ++x) {
                if (!at(x, y)) continue;
                ++count;
                if (x == 0 || !at(x - 1, y)) ++runs;
                EXPECT_LE(std::abs(x - centre), radius) << x << "," << y;
                EXPECT_LE(std::abs(y - centre), radius) << x << "," << y;
                EXPECT_TRUE(at(2 * centre - x, y) && at(x, 2 * centre - y) && at(y, x)) << x << "," << y;
            }
            EXPECT_LE(runs, 1) << "row " << y;
        }
        if (radius == 0) {
            EXPECT_EQ(count, 0);
            continue;
        }
        EXPECT_TRUE(at(centre - radius, centre) && at(centre + radius, centre));
        EXPECT_TRUE(at(centre, centre - radius) && at(centre, centre + radius));
        EXPECT_FALSE(at(centre - radius, centre - radius));
        // Between the inscribed diamond and the square: a disc, not a square, and from radius 2
        // on not a diamond either.
        const int diamond = 2 * radius * (radius + 1) + 1;
        if (radius == 1) EXPECT_EQ(count, diamond);
        else EXPECT_GT(count, diamond);
        EXPECT_LT(count, (2 * radius + 1) * (2 * radius + 1));
    }
}

TEST_F(EllipseTest, OnePixelPenDrawsTheRimOfTheFilledShape) {
    RasterCanvas filled(12, 9);
    filled.use_brush(black);
    Ellipse(filled.dc(), 1, 1, 11, 8);

    RasterCanvas outlined(12, 9);
    outlined.use_hollow_brush();
    Ellipse(outlined.dc(), 1, 1, 11, 8);

    for (int y = 0; y < 9; ++y) {
        for (int x = 0; x < 12; ++x) {
            const bool inside = painted(filled, x, y);
            const bool on_rim = inside && (!painted(filled, x - 1, y) || !painted(filled, x + 1, y) ||
                                           !painted(filled, x, y - 1) || !painted(filled, x, y + 1));
            EXPECT_EQ(painted(outlined, x, y), on_rim) << x << "," << y;
        }
    }
    EXPECT_FALSE(painted(outlined, 6, 4));
}

TEST_F(EllipseTest, PenAndBrushOfOneColourCoverWhatTwoColoursCover) {
    // A rim in the brush's colour is drawn with the fill in one pass; it must cover the same
    // pixels as a rim of another colour around the fill, thin boxes included, which are all rim.
    for (int width = 1; width <= 7; ++width) {
        for (int height = 1; height <= 7; ++height) {
            RasterCanvas one_colour(10, 10), two_colours(10, 10);
            one_colour.use_brush(black);
            two_colours.use_brush(red);
            Ellipse(one_colour.dc(), 1, 1, 1 + width, 1 + height);
            Ellipse(two_colours.dc(), 1, 1, 1 + width, 1 + height);
            for (int y = 0; y < 10; ++y)
                for (int x = 0; x < 10; ++x)
                    ASSERT_EQ(painted(one_colour, x, y), painted(two_colours, x, y)) << width << "x" << height << " at " << x << "," << y;
        }
    }
}

TEST_F(EllipseTest, ReferencePictures) {
    // Measured on the reference: rows of the pen (b) and the brush (r) inside it.
    struct Case {
        int width, height, pen;  // pen width, or -1 for no pen
        bool brush;
        const char* picture;  // the box and one pixel around it
    };
    const Case cases[] = {
        {7, 4, 1, false,
         ".........\n..bbbbb..\n.b.....b.\n.b.....b.\n..bbbbb..\n.........\n"},
        {10, 5, 1, true,
         "............\n...bbbbbb...\n..brrrrrrb..\n.brrrrrrrrb.\n..brrrrrrb..\n...bbbbbb...\n............\n"},
        // The trace ends where it meets the vertical axis: tall thin boxes lose their tips.
        {3, 9, 1, true, ".....\n.....\n..b..\n.brb.\n.brb.\n.brb.\n.brb.\n.brb.\n..b..\n.....\n.....\n"},
        {4, 7, 1, true, "......\n......\n..bb..\n.brrb.\n.brrb.\n.brrb.\n..bb..\n......\n......\n"},
        // Without a pen the same shape, in the brush.
        {7, 4, -1, true, ".........\n..rrrrr..\n.rrrrrrr.\n.rrrrrrr.\n..rrrrr..\n.........\n"},
        // Boxes with no inside are rectangles: the pen's colour with a pen, one pixel smaller
        // on the right and bottom without one; a single pixel paints nothing.
        {2, 3, 1, true, "....\n.bb.\n.bb.\n.bb.\n....\n"},
        {5, 2, -1, true, ".......\n.rrrr..\n.......\n.......\n"},
        {1, 1, 1, true, "...\n...\n...\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " pen " << c.pen);
        RasterCanvas canvas(c.width + 2, c.height + 2);
        canvas.use_pen(c.pen < 0 ? PS_NULL : PS_SOLID, c.pen < 0 ? 1 : c.pen, blue);
        if (c.brush) canvas.use_brush(red);
        else canvas.use_hollow_brush();
        Ellipse(canvas.dc(), 1, 1, 1 + c.width, 1 + c.height);
        EXPECT_EQ(canvas.picture(), c.picture);
    }
}

TEST_F(EllipseTest, ReferenceCircleRowWidths) {
    // Filled circles of radius 5 to 8, measured on the reference: one midpoint-style edge.
    const std::vector<std::vector<int>> widths = {
        {5, 7, 9, 11, 11, 11, 11, 11, 9, 7, 5},
        {5, 7, 9, 11, 13, 13, 13, 13, 13, 11, 9, 7, 5},
        {5, 9, 11, 13, 13, 15, 15, 15, 15, 15, 13, 13, 11, 9, 5},
        {5, 9, 11, 13, 15, 15, 17, 17, 17, 17, 17, 15, 15, 13, 11, 9, 5},
    };
    for (int radius = 5; radius <= 8; ++radius) {
        SCOPED_TRACE(radius);
        const std::string picture = circle_picture(radius);
        const int size = 2 * radius + 5;
        std::vector<int> row_widths;
        for (int y = 0; y < size; ++y) {
            const int count = static_cast<int>(std::count(picture.begin() + y * (size + 1),
                                                           picture.begin() + (y + 1) * (size + 1), 'r'));
            if (count > 0) row_widths.push_back(count);
        }
        EXPECT_EQ(row_widths, widths[static_cast<std::size_t>(radius - 5)]);
    }
}

TEST_F(EllipseTest, WidePenFollowsTheEllipsesEdgePixelsAsTheReferenceDoes) {
    // Measured on the reference: the pen steps along the ellipse's own edge pixels, so the band
    // keeps their stairs, and the uneven rounding of the segments between them makes it thicker
    // on the left than on the right.
    RasterCanvas canvas(22, 17);
    canvas.use_pen(PS_SOLID, 3, blue);
    canvas.use_hollow_brush();
    Ellipse(canvas.dc(), 3, 3, 19, 14);
    EXPECT_EQ(canvas.picture(),
              "......................\n"
              "......................\n"
              "........bbbbbbbb......\n"
              "......bbbbbbbbbbbb....\n"
              "....bbbbbbbbbbbbbbb...\n"
              "...bbbbbbb....bbbbbb..\n"
              "..bbbbbb.......bbbb...\n"
              "..bbbbb.........bbbb..\n"
              "..bbbb...........bbb..\n"
              "..bbbbb.........bbbb..\n"
              "..bbbbbb.......bbbb...\n"
              "...bbbbbbb....bbbbbb..\n"
              "....bbbbbbbbbbbbbbb...\n"
              "......bbbbbbbbbbbb....\n"
              "........bbbbbbbb......\n"
              "......................\n"
              "......................\n");
}

// ---- Polygon --------------------------------------------------------------------------------

TEST_F(PolygonTest, FillLeavesOutTheRightAndBottomEdgesAndThePenStrokesThem) {
    const POINT square[] = {{2, 1}, {6, 1}, {6, 5}, {2, 5}};
    RasterCanvas fill_only(9, 7);
    fill_only.use_pen(PS_NULL, 1, black);
    fill_only.use_brush(red);
    EXPECT_TRUE(Polygon(fill_only.dc(), square, 4));
    EXPECT_EQ(fill_only.picture(),
              ".........\n"
              "..rrrr...\n"
              "..rrrr...\n"
              "..rrrr...\n"
              "..rrrr...\n"
              ".........\n"
              ".........\n");

    RasterCanvas stroked(9, 7);
    stroked.use_brush(red);
    EXPECT_TRUE(Polygon(stroked.dc(), square, 4));
    EXPECT_EQ(stroked.picture(),
              ".........\n"
              "..#####..\n"
              "..#rrr#..\n"
              "..#rrr#..\n"
              "..#rrr#..\n"
              "..#####..\n"
              ".........\n");
}

TEST_F(PolygonTest, SlantedEdgesKeepTheLeftEdgeAndEveryVertexIsStroked) {
    const POINT triangle[] = {{1, 1}, {9, 1}, {1, 9}};
    RasterCanvas fill_only(11, 11);
    fill_only.use_pen(PS_NULL, 1, black);
    fill_only.use_brush(red);
    Polygon(fill_only.dc(), triangle, 3);
    // Row y spans the centres from x = 1 up to the hypotenuse x = 10 - y, which is left out.
    for (int y = 0; y < 11; ++y)
        for (int x = 0; x < 11; ++x)
            EXPECT_EQ(painted(fill_only, x, y), y >= 1 && y < 9 && x >= 1 && x < 10 - y) << x << "," << y;

    RasterCanvas stroked(11, 11);
    stroked.use_hollow_brush();
    Polygon(stroked.dc(), triangle, 3);
    for (const POINT& vertex : triangle) EXPECT_TRUE(painted(stroked, vertex.x, vertex.y));
    EXPECT_FALSE(painted(stroked, 3, 3));
}

TEST_F(PolygonTest, AlternateRuleLeavesEvenCrossingsEmpty) {
    // An outer square and an inner one in one path, joined by an edge that goes there and back.
    const POINT nested[] = {{0, 0}, {12, 0}, {12, 12}, {0, 12}, {0, 0}, {4, 4}, {8, 4}, {8, 8}, {4, 8}, {4, 4}};
    RasterCanvas canvas(13, 13);
    canvas.use_pen(PS_NULL, 1, black);
    canvas.use_brush(red);
    Polygon(canvas.dc(), nested, 10);
    EXPECT_TRUE(painted(canvas, 2, 6));
    EXPECT_TRUE(painted(canvas, 10, 6));
    EXPECT_FALSE(painted(canvas, 6, 6));

    // The same square twice over is crossed twice on every row: nothing is inside.
    const POINT twice[] = {{0, 0}, {8, 0}, {8, 8}, {0, 8}, {0, 0}, {8, 0}, {8, 8}, {0, 8}};
    RasterCanvas again(10, 10);
    again.use_pen(PS_NULL, 1, black);
    again.use_brush(red);
    Polygon(again.dc(), twice, 8);
    EXPECT_EQ(again.painted_count(), 0);
}

TEST_F(PolygonTest, FewerThanTwoPointsAreRefused) {
    RasterCanvas canvas(5, 5);
    const POINT one[] = {{1, 1}};
    EXPECT_FALSE(Polygon(canvas.dc(), one, 1));
    EXPECT_FALSE(Polygon(canvas.dc(), one, 0));
    EXPECT_FALSE(Polygon(canvas.dc(), nullptr, 3));
    EXPECT_EQ(canvas.painted_count(), 0);
}

// ---- MoveToEx / LineTo ----------------------------------------------------------------------

TEST_F(LineTest, OnePixelLinesPaintTheirStartAndNeverTheirEndInEveryDirection) {
    const POINT ends[] = {{6, 0},  {6, 2},   {6, 6},   {2, 6},   {0, 6},   {-2, 6}, {-6, 6}, {-6, 2},
                          {-6, 0}, {-6, -2}, {-6, -6}, {-2, -6}, {0, -6}, {2, -6}, {6, -6}, {6, -2}};
    for (int width : {0, 1}) {
        for (const POINT& end : ends) {
            SCOPED_TRACE(testing::Message() << "width " << width << " to " << end.x << "," << end.y);
            RasterCanvas canvas(21, 21);
            canvas.use_pen(PS_SOLID, width, black);
            line(canvas.dc(), 10, 10, 10 + end.x, 10 + end.y);
            EXPECT_TRUE(painted(canvas, 10, 10));
            EXPECT_FALSE(painted(canvas, 10 + end.x, 10 + end.y));
            EXPECT_EQ(canvas.painted_count(), std::max(std::abs(end.x), std::abs(end.y)));
            // One pixel per step of the major axis, each next to the one before.
            for (int y = 0; y < 21; ++y)
                for (int x = 0; x < 21; ++x)
                    if (painted(canvas, x, y)) {
                        EXPECT_LE(std::abs(x - 10), std::abs(end.x));
                        EXPECT_LE(std::abs(y - 10), std::abs(end.y));
                    }
        }
    }
}

TEST_F(LineTest, MinorCoordinateRoundsToNearestAndHalvesToTheSmaller) {
    RasterCanvas canvas(16, 6);
    line(canvas.dc(), 0, 0, 6, 2);   // exact y 0, 1/3, 2/3, 1, 4/3, 5/3
    line(canvas.dc(), 8, 0, 12, 1);  // 1/2 at x 10 goes to row 0
    line(canvas.dc(), 15, 5, 11, 4); // backwards: 9/2 at x 13 goes to row 4
    EXPECT_EQ(canvas.picture(),
              "##......###.....\n"
              "..###......#....\n"
              ".....#..........\n"
              "................\n"
              "............##..\n"
              "..............##\n");
}

TEST_F(LineTest, LineToMovesTheCurrentPositionEvenWithoutAPen) {
    RasterCanvas canvas(9, 9);
    POINT previous{-1, -1};
    MoveToEx(canvas.dc(), 1, 1, &previous);
    EXPECT_EQ(previous.x, 0);
    EXPECT_EQ(previous.y, 0);
    LineTo(canvas.dc(), 5, 1);
    LineTo(canvas.dc(), 5, 5);
    canvas.use_pen(PS_NULL, 1, black);
    LineTo(canvas.dc(), 1, 5);
    canvas.use_pen(PS_SOLID, 1, red);
    LineTo(canvas.dc(), 1, 1);
    MoveToEx(canvas.dc(), 7, 7, &previous);
    EXPECT_EQ(previous.x, 1);
    EXPECT_EQ(previous.y, 1);
    LineTo(canvas.dc(), 7, 7);  // no length: nothing
    EXPECT_EQ(canvas.picture(),
              ".........\n"
              ".#####...\n"
              ".r...#...\n"
              ".r...#...\n"
              ".r...#...\n"
              ".r.......\n"
              ".........\n"
              ".........\n"
              ".........\n");
}

TEST_F(LineTest, WidthFiveHorizontalLineHasRoundEnds) {
    RasterCanvas canvas(50, 20);
    canvas.use_pen(PS_SOLID, 5, black);
    line(canvas.dc(), 10, 10, 40, 10);
    for (int y = 0; y < 20; ++y) {
        int first = 50, last = -1, count = 0;
        for (int x = 0; x < 50; ++x)
            if (painted(canvas, x, y)) first = std::min(first, x), last = std::max(last, x), ++count;
        SCOPED_TRACE(y);
        if (y >= 9 && y <= 11) {
            EXPECT_EQ(first, 8);
            EXPECT_EQ(last, 42);
        } else if (y == 8 || y == 12) {
            EXPECT_EQ(first, 9);
            EXPECT_EQ(last, 41);
        } else {
            EXPECT_EQ(count, 0);
            continue;
        }
        EXPECT_EQ(count, last - first + 1);
    }
}

TEST_F(LineTest, EvenWidthsCoverExactlyThatManyRowsOrColumns) {
    for (int width : {2, 4, 6}) {
        SCOPED_TRACE(width);
        RasterCanvas canvas(30, 30);
        canvas.use_pen(PS_SOLID, width, black);
        line(canvas.dc(), 10, 5, 20, 5);
        line(canvas.dc(), 5, 12, 5, 22);
        int rows = 0, columns = 0;
        for (int y = 0; y < 10; ++y) rows += painted(canvas, 15, y);
        for (int x = 0; x < 10; ++x) columns += painted(canvas, x, 17);
        EXPECT_EQ(rows, width);
        EXPECT_EQ(columns, width);
    }
}

TEST_F(LineTest, WideLinesJoinRoundly) {
    RasterCanvas canvas(30, 30);
    canvas.use_pen(PS_SOLID, 7, black);
    line(canvas.dc(), 5, 20, 20, 20);
    LineTo(canvas.dc(), 20, 5);
    // Outside the corner, a disc of radius 3.5 about (20, 20).
    for (const auto& [x, y] : std::vector<std::pair<int, int>>{{23, 20}, {23, 21}, {22, 22}, {21, 23}, {20, 23}})
        EXPECT_TRUE(painted(canvas, x, y)) << x << "," << y;
    for (const auto& [x, y] : std::vector<std::pair<int, int>>{{24, 20}, {23, 22}, {22, 23}, {23, 23}, {20, 24}})
        EXPECT_FALSE(painted(canvas, x, y)) << x << "," << y;
    EXPECT_TRUE(painted(canvas, 23, 5));
}

TEST_F(LineTest, WideLinesMatchReferencePictures) {
    // Measured on the reference: a disc the size of the pen at each end, an even pen growing up
    // and left of the path. Each case is a line from (6, 6) three pixels to the right, seen from
    // (6 - margin, 6 - margin).
    struct Case {
        int width, margin;
        const char* picture;
    };
    const Case cases[] = {
        {2, 2, ".......\n.bbbbb.\n.bbbbb.\n.......\n"},
        {3, 2, "........\n..bbbb..\n.bbbbbb.\n..bbbb..\n........\n"},
        {4, 3, ".........\n..bbbbb..\n.bbbbbbb.\n.bbbbbbb.\n..bbbbb..\n.........\n"},
        {6, 4, "...........\n...bbbbb...\n..bbbbbbb..\n.bbbbbbbbb.\n.bbbbbbbbb.\n..bbbbbbb..\n...bbbbb...\n...........\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        RasterCanvas canvas(16, 14);
        canvas.use_pen(PS_SOLID, c.width, blue);
        line(canvas.dc(), 6, 6, 9, 6);
        const std::string expected = c.picture;
        const int columns = static_cast<int>(expected.find('\n'));
        const int rows = static_cast<int>(std::count(expected.begin(), expected.end(), '\n'));
        const int corner = 6 - c.margin;
        EXPECT_EQ(canvas.picture(corner, corner, corner + columns, corner + rows), expected);
    }
}

TEST_F(LineTest, SlantedWideLinesMatchReferencePictures) {
    // Measured on the reference: the body's corners lie a whole pixel beyond the exact offset on
    // the side towards +x and at the nearest pixel on the other, so slanted lines are a pixel
    // fuller on their right (for a shallow line running down to the right, their upper) side.
    // The width-5 line has a 3-4-5 slope, whose exact half-pixel offsets round outwards. Each
    // line starts at (8, 8); the picture is the given box.
    struct Case {
        int width, to_x, to_y;
        RECT box;
        const char* picture;
    };
    const Case cases[] = {
        {2, 20, 13, {6, 6, 22, 15},
         "................\n"
         ".bb.............\n"
         ".bbbbb..........\n"
         "..bbbbbb........\n"
         ".....bbbbbb.....\n"
         ".......bbbbbb...\n"
         "..........bbbbb.\n"
         "............bbb.\n"
         "................\n"},
        {2, 5, 20, {3, 6, 10, 22},
         ".......\n....bb.\n....bb.\n....bb.\n....bb.\n....bb.\n...bbb.\n...bb..\n"
         "...bb..\n...bb..\n..bbb..\n..bb...\n..bb...\n.bbb...\n.bbb...\n.......\n"},
        {3, 20, 13, {6, 6, 23, 16},
         ".................\n"
         "..bbbb...........\n"
         ".bbbbbbb.........\n"
         ".bbbbbbbbbb......\n"
         "....bbbbbbbbb....\n"
         "......bbbbbbbbb..\n"
         ".........bbbbbb..\n"
         "...........bbbbb.\n"
         "..............b..\n"
         ".................\n"},
        {5, 11, 12, {5, 5, 15, 16},
         "..........\n..bbb.....\n.bbbbbb...\n.bbbbbbb..\n.bbbbbbbb.\n.bbbbbbbb.\n"
         "..bbbbbbb.\n...bbbbbb.\n....bbbbb.\n.....bbb..\n..........\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        RasterCanvas canvas(24, 24);
        canvas.use_pen(PS_SOLID, c.width, blue);
        line(canvas.dc(), 8, 8, c.to_x, c.to_y);
        EXPECT_EQ(canvas.picture(c.box.left, c.box.top, c.box.right, c.box.bottom), c.picture);
        // The same segment drawn the other way round covers the same pixels.
        RasterCanvas reversed(24, 24);
        reversed.use_pen(PS_SOLID, c.width, blue);
        line(reversed.dc(), c.to_x, c.to_y, 8, 8);
        EXPECT_EQ(reversed.picture(), canvas.picture());
    }
}

// ---- wide rectangle outlines ----------------------------------------------------------------

TEST_F(RectangleTest, WidthThreeOutlineMatchesTheReference) {
    RasterCanvas canvas(8, 8);
    canvas.use_pen(PS_SOLID, 3, blue);
    canvas.use_hollow_brush();
    Rectangle(canvas.dc(), 2, 2, 6, 6);
    EXPECT_EQ(canvas.picture(),
              "........\n"
              "..bbbb..\n"
              ".bbbbbb.\n"
              ".bbbbbb.\n"
              ".bbbbbb.\n"
              ".bbbbbb.\n"
              "..bbbb..\n"
              "........\n");
}

TEST_F(RectangleTest, WideOutlineIsCentredOnTheEdgeWithRoundOuterCorners) {
    RasterCanvas canvas(40, 36);
    canvas.use_pen(PS_SOLID, 5, black);
    canvas.use_hollow_brush();
    Rectangle(canvas.dc(), 10, 10, 31, 26);  // edge pixels on columns 10 and 30, rows 10 and 25
    // Square inner corners, round outer ones.
    EXPECT_TRUE(painted(canvas, 12, 12));
    EXPECT_FALSE(painted(canvas, 13, 13));
    EXPECT_TRUE(painted(canvas, 10, 8));
    EXPECT_TRUE(painted(canvas, 8, 10));
    EXPECT_TRUE(painted(canvas, 9, 9));
    EXPECT_FALSE(painted(canvas, 8, 8));
    EXPECT_FALSE(painted(canvas, 32, 27));
    EXPECT_TRUE(painted(canvas, 32, 25));
    // The band reaches two pixels either side of each edge.
    EXPECT_FALSE(painted(canvas, 20, 7));
    EXPECT_TRUE(painted(canvas, 20, 8));
    EXPECT_TRUE(painted(canvas, 20, 27));
    EXPECT_FALSE(painted(canvas, 20, 28));
    EXPECT_FALSE(painted(canvas, 7, 18));
    EXPECT_FALSE(painted(canvas, 33, 18));
    EXPECT_FALSE(painted(canvas, 20, 18));
}

// A wide pen in the brush's colour still rounds the outer corners: the figure is not one box.
TEST_F(RectangleTest, WidePenInTheBrushsColourKeepsItsRoundCorners) {
    RasterCanvas canvas(40, 36);
    canvas.use_pen(PS_SOLID, 5, black);
    canvas.use_brush(black);
    Rectangle(canvas.dc(), 10, 10, 31, 26);
    EXPECT_FALSE(painted(canvas, 8, 8));
    EXPECT_TRUE(painted(canvas, 9, 9));
    EXPECT_TRUE(painted(canvas, 20, 18));
}

// ---- edges and limits -----------------------------------------------------------------------

// Draws a shape with its reference point at (x, y) on the device context.
using Drawing = std::function<void(HDC dc, int x, int y)>;

struct NamedDrawing {
    const char* name;
    int pen_width;
    bool hollow;
    Drawing draw;
};

std::vector<NamedDrawing> sample_drawings() {
    return {
        {"rectangle", 1, false, [](HDC dc, int x, int y) { Rectangle(dc, x, y, x + 13, y + 9); }},
        {"wide rectangle", 6, true, [](HDC dc, int x, int y) { Rectangle(dc, x, y, x + 13, y + 9); }},
        {"ellipse", 1, false, [](HDC dc, int x, int y) { Ellipse(dc, x, y, x + 15, y + 11); }},
        {"wide ellipse", 5, true, [](HDC dc, int x, int y) { Ellipse(dc, x, y, x + 15, y + 11); }},
        {"polygon", 1, false,
         [](HDC dc, int x, int y) {
             const POINT points[] = {{x, y}, {x + 14, y + 3}, {x + 5, y + 12}, {x + 9, y + 5}};
             Polygon(dc, points, 4);
         }},
        {"wide polygon", 3, false,
         [](HDC dc, int x, int y) {
             const POINT points[] = {{x, y}, {x + 14, y + 3}, {x + 5, y + 12}};
             Polygon(dc, points, 3);
         }},
        {"line", 1, false, [](HDC dc, int x, int y) { line(dc, x, y, x + 17, y + 7); }},
        {"steep line", 0, false, [](HDC dc, int x, int y) { line(dc, x + 3, y + 12, x, y); }},
        {"wide line", 4, false, [](HDC dc, int x, int y) { line(dc, x, y + 10, x + 15, y); }},
    };
}

TEST_F(ClippingTest, ShapesAtAndBeyondEveryEdgePaintWhatALargerBitmapShowsThere) {
    constexpr int width = 24, height = 20, margin = 40;
    const int places[] = {-30, -12, -5, -1, 0, 3, 12, 19, 23, 24, 40};
    for (const NamedDrawing& drawing : sample_drawings()) {
        for (int x : places) {
            for (int y : places) {
                SCOPED_TRACE(testing::Message() << drawing.name << " at " << x << "," << y);
                RasterCanvas small(width, height);
                RasterCanvas large(width + 2 * margin, height + 2 * margin);
                for (RasterCanvas* canvas : {&small, &large}) {
                    canvas->use_pen(PS_SOLID, drawing.pen_width, black);
                    if (drawing.hollow) canvas->use_hollow_brush();
                    else canvas->use_brush(red);
                }
                drawing.draw(small.dc(), x, y);
                drawing.draw(large.dc(), x + margin, y + margin);
                EXPECT_EQ(small.picture(), large.picture(margin, margin, margin + width, margin + height));
            }
        }
    }
}

TEST_F(LimitsTest, HugeShapesCoveringTheBitmapFillItAndFarOnesPaintNothing) {
    {
        RasterCanvas canvas(12, 10);
        canvas.use_brush(red);
        Rectangle(canvas.dc(), INT_MAX, INT_MAX, INT_MIN, INT_MIN);  // edges far outside
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 12; ++x) EXPECT_EQ(GetPixel(canvas.dc(), x, y), red) << x << "," << y;
    }
    {
        RasterCanvas canvas(12, 10);
        canvas.use_brush(red);
        Ellipse(canvas.dc(), INT_MIN, INT_MIN, INT_MAX, INT_MAX);
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 12; ++x) EXPECT_EQ(GetPixel(canvas.dc(), x, y), red) << x << "," << y;
    }
    {
        RasterCanvas canvas(12, 10);
        canvas.use_brush(red);
        Ellipse(canvas.dc(), INT_MAX - 4, INT_MAX - 4, INT_MAX, INT_MAX);
        Ellipse(canvas.dc(), INT_MIN, INT_MIN, INT_MIN + 5, INT_MIN + 5);
        Rectangle(canvas.dc(), INT_MIN, 0, INT_MIN + 3, 5);
        canvas.use_pen(PS_SOLID, 1000, black);
        line(canvas.dc(), INT_MIN, INT_MIN, INT_MIN + 10, INT_MIN);
        line(canvas.dc(), INT_MAX, 5, INT_MAX - 1, 5);
        EXPECT_EQ(canvas.painted_count(), 0);
    }
}

TEST_F(LimitsTest, LinesAndPolygonsSpanningTheWholeCoordinateRangeStayExact) {
    RasterCanvas canvas(12, 10);
    line(canvas.dc(), INT_MIN, INT_MIN, INT_MAX, INT_MAX);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 12; ++x) EXPECT_EQ(painted(canvas, x, y), x == y) << x << "," << y;

    // Slope (2^32 - 2) / (2^32 - 1): just under the diagonal, so it passes (x, x - 1) here;
    // the products along it need more than 64 bits.
    RasterCanvas shallow(12, 10);
    line(shallow.dc(), INT_MIN, INT_MIN, INT_MAX, INT_MAX - 1);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 12; ++x) EXPECT_EQ(painted(shallow, x, y), y == x - 1) << x << "," << y;

    // A triangle whose slanted edge is the diagonal x == y: centres on it are on its left edge.
    RasterCanvas filled(12, 10);
    filled.use_pen(PS_NULL, 1, black);
    filled.use_brush(red);
    const POINT triangle[] = {{INT_MIN, INT_MIN}, {INT_MAX, INT_MIN}, {INT_MAX, INT_MAX}};
    Polygon(filled.dc(), triangle, 3);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 12; ++x) EXPECT_EQ(painted(filled, x, y), x >= y) << x << "," << y;
}

TEST_F(LimitsTest, PensAsWideAsTheLimitsReachHalfTheirWidth) {
    // Either limit is a pen about 2^31 pixels wide, reaching about 2^30 from its path.
    for (int width : {INT_MAX, INT_MIN}) {
        SCOPED_TRACE(width);
        const POINT near_triangle[] = {{-50, -50}, {-40, -50}, {-50, -40}};
        const std::vector<std::function<void(HDC)>> covering = {
            [](HDC dc) { line(dc, -1000, 3, -999, 3); },
            [](HDC dc) { line(dc, INT_MIN, INT_MIN, INT_MIN, INT_MAX); },  // x of 0 is 2^31 away
            [](HDC dc) { Rectangle(dc, -5, -5, 5, 5); },
            [](HDC dc) { Ellipse(dc, -3, -3, 3, 3); },
            [&](HDC dc) { Polygon(dc, near_triangle, 3); },
        };
        for (std::size_t i = 0; i < covering.size(); ++i) {
            RasterCanvas canvas(12, 10);
            canvas.use_pen(PS_SOLID, width, blue);
            canvas.use_hollow_brush();
            covering[i](canvas.dc());
            EXPECT_EQ(canvas.painted_count(), i == 1 ? 0 : 12 * 10) << "drawing " << i;
        }
        RasterCanvas far(12, 10);
        far.use_pen(PS_SOLID, width, blue);
        far.use_hollow_brush();
        Rectangle(far.dc(), INT_MIN, INT_MIN, INT_MAX, INT_MAX);  // every edge 2^31 away
        EXPECT_EQ(far.painted_count(), 0);
    }
}

// ---- SetPixel / GetPixel --------------------------------------------------------------------

TEST_F(PixelTest, SetPixelReturnsTheColourSetAndOutsideIsInvalid) {
    RasterCanvas canvas(4, 3);
    EXPECT_EQ(SetPixel(canvas.dc(), 3, 2, RGB(12, 34, 56)), RGB(12, 34, 56));
    EXPECT_EQ(GetPixel(canvas.dc(), 3, 2), RGB(12, 34, 56));
    EXPECT_EQ(GetPixel(canvas.dc(), 0, 0), white);
    for (const auto& [x, y] : std::vector<std::pair<int, int>>{{4, 0}, {0, 3}, {-1, 0}, {0, -1}, {INT_MIN, INT_MAX}}) {
        EXPECT_EQ(SetPixel(canvas.dc(), x, y, black), CLR_INVALID) << x << "," << y;
        EXPECT_EQ(GetPixel(canvas.dc(), x, y), CLR_INVALID) << x << "," << y;
    }
    EXPECT_EQ(canvas.painted_count(), 1);
}

TEST_F(PixelTest, StaleDeviceContextsAreRefused) {
    HDC dc = CreateCompatibleDC(nullptr);
    DeleteDC(dc);
    const POINT points[] = {{0, 0}, {1, 1}, {0, 1}};
    EXPECT_FALSE(Rectangle(dc, 0, 0, 1, 1));
    EXPECT_FALSE(Ellipse(dc, 0, 0, 1, 1));
    EXPECT_FALSE(Polygon(dc, points, 3));
    EXPECT_FALSE(MoveToEx(dc, 0, 0, nullptr));
    EXPECT_FALSE(LineTo(dc, 1, 1));
    EXPECT_EQ(SetPixel(dc, 0, 0, black), CLR_INVALID);
    EXPECT_EQ(GetPixel(dc, 0, 0), CLR_INVALID);
}

// ---- drawing on a window ---------------------------------------------------------------------

TEST_F(WindowDrawingTest, ShapesOnAWindowReachThePresenterAndShapesBesideItDoNot) {
    WNDCLASSA description{};
    description.lpfnWndProc = DefWindowProcA;
    description.lpszClassName = "ShapeProbe";
    ASSERT_NE(RegisterClassA(&description), 0);
    HWND window = CreateWindowExA(0, "ShapeProbe", "Shapes", WS_OVERLAPPEDWINDOW, 0, 0, 200, 150, nullptr,
                                  nullptr, nullptr, nullptr);
    ShowWindow(window, SW_SHOWNORMAL);
    HDC dc = GetDC(window);
    HGDIOBJ pen = CreatePen(PS_SOLID, 3, red);
    HGDIOBJ old_pen = SelectObject(dc, pen);
    const POINT triangle[] = {{20, 20}, {30, 20}, {20, 30}};
    const POINT far_triangle[] = {{-90, 20}, {-80, 20}, {-90, 30}};
    const std::vector<std::function<void()>> visible = {
        [&] { Rectangle(dc, 5, 5, 12, 12); },
        [&] { Ellipse(dc, 5, 5, 12, 12); },
        [&] { Polygon(dc, triangle, 3); },
        [&] { line(dc, 5, 40, 50, 40); },
        [&] { SetPixel(dc, 7, 60, blue); },
    };
    const std::vector<std::function<void()>> beside = {
        [&] { Rectangle(dc, -50, 5, -40, 12); },
        [&] { Ellipse(dc, 5, -50, 12, -40); },
        [&] { Polygon(dc, far_triangle, 3); },
        [&] { line(dc, -50, 40, -20, 40); },
        [&] { SetPixel(dc, -1, 60, blue); },
    };
    for (std::size_t i = 0; i < visible.size(); ++i) {
        const auto frames = driver_.frames_shown(window);
        visible[i]();
        EXPECT_GT(driver_.frames_shown(window), frames) << "visible " << i;
        const auto after = driver_.frames_shown(window);
        beside[i]();
        EXPECT_EQ(driver_.frames_shown(window), after) << "beside " << i;
    }
    EXPECT_EQ(driver_.client_pixel(window, 20, 40), 0xFF0000u);
    EXPECT_EQ(driver_.client_pixel(window, 7, 60), 0x0000FFu);
    SelectObject(dc, old_pen);
    DeleteObject(pen);
    ReleaseDC(window, dc);
}

}  // namespace
