// Colour checks, shape corrections and their messages, and what the shapes leave on the canvas.
#include <climits>
#include <string>
#include <vector>

#include "drawing_fixture.h"
#include "draw_command.h"
#include "palette.h"

namespace kd508::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class Shapes : public OpenRuntime {
protected:
    Shapes() {
        KD508_clear();
        empty_ring();
    }
};

TEST_F(Shapes, ColoursInsideThePalettePassSilentlyAndOthersBecomeRed) {
    EXPECT_EQ(check_colour(0), 0);
    EXPECT_EQ(check_colour(23), 23);
    EXPECT_THAT(ring_lines(), IsEmpty());
    EXPECT_EQ(check_colour(24), palette_red);
    EXPECT_EQ(check_colour(-1), palette_red);
    EXPECT_EQ(check_colour(INT_MIN), palette_red);
    EXPECT_THAT(ring_lines(), ElementsAre("Illegal color 24; using RED.\n",
                                          "Illegal color -1; using RED.\n",
                                          "Illegal color -2147483648; using RED.\n"));
}

// The palette written out by hand, so that no colour or name can change unnoticed: each is drawn
// through the public call and read back from the canvas and the log.
TEST_F(Shapes, EveryPaletteColourIsDrawnWithItsOwnValueAndName) {
    struct Named {
        COLORREF colour;
        const char* name;
    };
    const Named palette[] = {
        {RGB(0, 0, 0), "black"},          {RGB(255, 255, 255), "white"},    {RGB(255, 0, 0), "red"},
        {RGB(0, 255, 0), "green"},        {RGB(0, 0, 255), "blue"},         {RGB(255, 255, 0), "yellow"},
        {RGB(255, 0, 255), "magenta"},    {RGB(0, 255, 255), "cyan"},       {RGB(153, 0, 204), "purple"},
        {RGB(0, 51, 153), "navy blue"},   {RGB(153, 102, 153), "dusty plum"}, {RGB(153, 255, 255), "ice blue"},
        {RGB(153, 255, 204), "turquoise"}, {RGB(255, 102, 0), "orange"},    {RGB(153, 102, 51), "brown"},
        {RGB(255, 153, 204), "pink"},     {RGB(255, 255, 153), "chalk"},    {RGB(204, 153, 51), "gold"},
        {RGB(255, 153, 102), "peach"},    {RGB(0, 102, 51), "forest green"}, {RGB(51, 204, 153), "sea green"},
        {RGB(153, 153, 51), "olive"},     {RGB(128, 128, 128), "50% gray"}, {RGB(204, 204, 204), "20% gray"},
    };
    ASSERT_EQ(std::size(palette), static_cast<std::size_t>(palette_size));
    for (int index = 0; index < palette_size; ++index) {
        empty_ring();
        KD508_circle(index, 0, 0, 2);
        EXPECT_EQ(logical_pixel(0, 0), palette[index].colour) << "colour " << index;
        EXPECT_THAT(ring_lines(), ElementsAre(std::string(palette[index].name) + " circle at (0,0), radius 2\n"))
            << "colour " << index;
    }
}

TEST_F(Shapes, ClearLeavesAWhiteCanvasInABlackFrame) {
    KD508_circle(KD508_BLUE, 0, 0, 50);
    runtime_state().canvas_dirty = 0;
    EXPECT_EQ(KD508_clear(), 1);
    EXPECT_EQ(runtime_state().canvas_dirty, 1);
    EXPECT_EQ(GetPixel(canvas(), 0, 0), black);
    EXPECT_EQ(GetPixel(canvas(), 600, 539), black);
    EXPECT_EQ(GetPixel(canvas(), 600, 0), black);
    EXPECT_EQ(GetPixel(canvas(), 1, 1), white);
    EXPECT_EQ(GetPixel(canvas(), 599, 538), white);
    EXPECT_EQ(logical_pixel(0, 0), white);
    EXPECT_THAT(ring_lines(), ElementsAre("blue circle at (0,0), radius 50\n",
                                          "Clearing the graphics window\n"));
}

TEST_F(Shapes, CircleChecksColourThenRadiusAndFillsItsSquareBox) {
    EXPECT_EQ(KD508_circle(99, 10, 20, -5), 1);
    EXPECT_THAT(ring_lines(), ElementsAre("Illegal color 99; using RED.\n",
                                          "Radius of -5 not possible, using radius 5\n",
                                          "red circle at (10,20), radius 5\n"));
    // The box is 11 pixels a side around the centre pixel; the ellipse touches all four sides.
    EXPECT_EQ(logical_pixel(10, 20), red);
    EXPECT_EQ(logical_pixel(15, 20), red);
    EXPECT_EQ(logical_pixel(5, 20), red);
    EXPECT_EQ(logical_pixel(10, 25), red);
    EXPECT_EQ(logical_pixel(10, 15), red);
    EXPECT_EQ(logical_pixel(16, 20), white);
    EXPECT_EQ(logical_pixel(10, 26), white);
    EXPECT_EQ(logical_pixel(15, 25), white) << "the corner of the box is outside the circle";
}

TEST_F(Shapes, RectangleOrdersItsCornersBeforeLoggingAndDrawing) {
    KD508_rectangle(KD508_BLUE, 10, -10, -10, 10, 0);
    const std::vector<COLORREF> reversed = canvas_pixels();
    KD508_clear();
    KD508_rectangle(KD508_BLUE, -10, 10, 10, -10, 0);
    EXPECT_EQ(canvas_pixels(), reversed);
    EXPECT_THAT(ring_lines(),
                ElementsAre("blue rectangle with bounding box (-10,10) to (10,-10), filled\n",
                            "Clearing the graphics window\n",
                            "blue rectangle with bounding box (-10,10) to (10,-10), filled\n"));
    // Both ends are included: columns -10..10 and rows 10..-10.
    EXPECT_EQ(logical_pixel(-10, 10), blue);
    EXPECT_EQ(logical_pixel(10, -10), blue);
    EXPECT_EQ(logical_pixel(0, 0), blue);
    EXPECT_EQ(logical_pixel(11, 0), white);
    EXPECT_EQ(logical_pixel(0, -11), white);
}

TEST_F(Shapes, OutlinedRectangleChecksColourThenWidthAndLeavesItsInside) {
    KD508_rectangle(-1, -20, 20, 20, -20, -3);
    EXPECT_THAT(ring_lines(),
                ElementsAre("Illegal color -1; using RED.\n",
                            "Width of -3 not possible, using width 3\n",
                            "red rectangle with bounding box (-20,20) to (20,-20) with line width 3\n"));
    EXPECT_EQ(logical_pixel(-20, 0), red);
    EXPECT_EQ(logical_pixel(20, 0), red);
    EXPECT_EQ(logical_pixel(0, 0), white);
    EXPECT_EQ(logical_pixel(-10, 10), white);
}

TEST_F(Shapes, TriangleChecksColourThenWidthAndNeverLogsTheWidth) {
    KD508_triangle(30, -30, -20, 30, -20, 0, 30, -2);
    EXPECT_THAT(ring_lines(), ElementsAre("Illegal color 30; using RED.\n",
                                          "Width of -2 not possible, using width 2\n",
                                          "red triangle at (-30,-20), (30,-20), (0,30)\n"));
    EXPECT_EQ(logical_pixel(0, 0), white) << "an outlined triangle filled its inside";
    EXPECT_EQ(logical_pixel(0, -20), red);

    KD508_triangle(KD508_BLUE, -30, -20, 30, -20, 0, 30, 0);
    EXPECT_EQ(logical_pixel(0, 0), blue) << "a triangle of width 0 was not filled";
    EXPECT_EQ(ring_lines().back(), "blue triangle at (-30,-20), (30,-20), (0,30)\n");
}

TEST_F(Shapes, LineChecksWidthBeforeColourAndLeavesOutItsEndPixel) {
    KD508_line(24, 0, 0, 10, 0, -4);
    EXPECT_THAT(ring_lines(), ElementsAre("Width of -4 not possible, using width 4\n",
                                          "Illegal color 24; using RED.\n",
                                          "red line from (0,0) to (10,0), width 4\n"));
    KD508_clear();
    empty_ring();

    KD508_line(KD508_BLUE, 0, 5, 10, 5, 0);
    EXPECT_EQ(ring_lines().front(), "blue line from (0,5) to (10,5), width 0\n");
    EXPECT_EQ(logical_pixel(0, 5), blue);
    EXPECT_EQ(logical_pixel(9, 5), blue);
    EXPECT_EQ(logical_pixel(10, 5), white) << "the end pixel was painted";
    EXPECT_EQ(logical_pixel(5, 6), white) << "a width-0 line was drawn wider than one pixel";
    EXPECT_EQ(logical_pixel(5, 4), white);
}

TEST_F(Shapes, WithLoggingOffOnlyCorrectionsAreWritten) {
    KD508_logging(0);
    empty_ring();
    KD508_clear();
    KD508_circle(KD508_RED, 0, 0, 3);
    KD508_triangle(KD508_RED, 0, 0, 5, 0, 0, 5, 0);
    KD508_rectangle(KD508_RED, 0, 0, 5, 5, 1);
    KD508_line(KD508_RED, 0, 0, 5, 5, 1);
    EXPECT_THAT(ring_lines(), IsEmpty());
    KD508_circle(KD508_RED, 0, 0, -3);
    KD508_line(50, 0, 0, 5, 5, 1);
    EXPECT_THAT(ring_lines(), ElementsAre("Radius of -3 not possible, using radius 3\n",
                                          "Illegal color 50; using RED.\n"));
}

TEST_F(Shapes, TheLogNamesColoursWithTheirPercentSigns) {
    KD508_circle(KD508_GRAY_50, 1, 2, 3);
    EXPECT_THAT(ring_lines(), ElementsAre("50% gray circle at (1,2), radius 3\n"));
    EXPECT_EQ(logical_pixel(1, 2), RGB(128, 128, 128));
}

TEST_F(Shapes, RendererDrawsPixelsAndIgnoresUnknownKinds) {
    DrawCommand pixel;
    pixel.kind = draw_pixel;
    pixel.colour = KD508_BLUE;
    pixel.x1 = 3;
    pixel.y1 = -4;
    render_command(pixel);
    EXPECT_EQ(logical_pixel(3, -4), blue);
    EXPECT_EQ(logical_pixel(4, -4), white);

    const std::vector<COLORREF> before = canvas_pixels();
    for (int kind : {7, -1, INT_MIN}) {
        runtime_state().canvas_dirty = 0;
        DrawCommand unknown;
        unknown.kind = kind;
        unknown.colour = KD508_BLUE;
        render_command(unknown);
        EXPECT_EQ(runtime_state().canvas_dirty, 1) << "kind " << kind;
    }
    EXPECT_EQ(canvas_pixels(), before);
}

TEST_F(Shapes, TheCanvasKeepsItsPenAndBrushThroughEveryShape) {
    const HGDIOBJ pen = SelectObject(canvas(), GetStockObject(BLACK_PEN));
    SelectObject(canvas(), pen);
    const HGDIOBJ brush = SelectObject(canvas(), GetStockObject(WHITE_BRUSH));
    SelectObject(canvas(), brush);

    KD508_circle(KD508_RED, 0, 0, 4);
    KD508_triangle(KD508_RED, 0, 0, 5, 0, 0, 5, 2);
    KD508_rectangle(KD508_RED, 0, 0, 5, 5, 0);
    KD508_line(KD508_RED, 0, 0, 5, 5, 3);
    KD508_clear();

    EXPECT_EQ(SelectObject(canvas(), pen), pen);
    EXPECT_EQ(SelectObject(canvas(), brush), brush);
}

// Coordinates, radii and widths anywhere in the 32-bit range draw what falls on the canvas.
TEST_F(Shapes, ExtremeArgumentsDrawWhatFallsOnTheCanvas) {
    KD508_circle(KD508_BLUE, 0, 0, INT_MIN);
    EXPECT_EQ(ring_lines()[0], "Radius of -2147483648 not possible, using radius 2147483647\n");
    EXPECT_EQ(GetPixel(canvas(), 1, 1), blue);
    EXPECT_EQ(GetPixel(canvas(), 599, 538), blue);

    KD508_clear();
    KD508_line(KD508_RED, INT_MIN, 0, INT_MAX, 0, 0);
    for (int column : {0, 1, 300, 599, 600}) {
        EXPECT_EQ(GetPixel(canvas(), column, origin_y()), red) << "column " << column;
    }
    EXPECT_EQ(logical_pixel(0, 1), white);

    // A steep line cut far outside the canvas keeps its slope, x = y / 2, where it crosses it.
    KD508_clear();
    KD508_line(KD508_RED, -(1 << 30), INT_MIN, (1 << 30), INT_MAX, 0);
    EXPECT_EQ(logical_pixel(0, 0), red);
    EXPECT_EQ(logical_pixel(100, 200), red);
    EXPECT_EQ(logical_pixel(-100, -200), red);
    EXPECT_EQ(logical_pixel(0, 200), white);

    KD508_clear();
    KD508_triangle(KD508_RED, INT_MIN, INT_MIN, INT_MAX, INT_MIN, 0, INT_MAX, 0);
    EXPECT_EQ(GetPixel(canvas(), 1, 1), red);
    EXPECT_EQ(GetPixel(canvas(), 599, 538), red);

    KD508_clear();
    KD508_rectangle(KD508_RED, INT_MIN, INT_MAX, INT_MAX, INT_MIN, INT_MIN);
    EXPECT_EQ(ring_lines().back(),
              "red rectangle with bounding box (-2147483648,2147483647) to "
              "(2147483647,-2147483648) with line width 2147483647\n");
    EXPECT_EQ(logical_pixel(0, 0), white) << "an outline far off the canvas reached its middle";

    KD508_rectangle(KD508_RED, INT_MIN, INT_MAX, INT_MAX, INT_MIN, 0);
    EXPECT_EQ(GetPixel(canvas(), 0, 0), red);
    EXPECT_EQ(GetPixel(canvas(), 600, 539), red);
}

// A shape cut far off the canvas paints there what the whole shape would: the cut keeps each
// axis and each end where it belongs.
TEST_F(Shapes, ShapesCutFarOffTheCanvasKeepTheirSideAndLength) {
    // Beyond the 32-bit range on the canvas only to the right: a wedge from x = 0 rightwards.
    KD508_triangle(KD508_RED, INT_MAX, 0, 0, 100, 0, -100, 0);
    for (const auto& [x, y] : {std::pair{0, 0}, {290, 0}, {290, 98}, {290, -98}, {150, 50}}) {
        EXPECT_EQ(logical_pixel(x, y), red) << x << "," << y;
    }
    EXPECT_EQ(logical_pixel(-1, 0), white);
    EXPECT_EQ(logical_pixel(-290, 0), white);

    // A line that comes from a billion pixels away ends where it ends, its last pixel left out.
    KD508_clear();
    KD508_line(KD508_RED, -1'000'000'000, 10, 100, 10, 0);
    EXPECT_EQ(logical_pixel(-290, 10), red);
    EXPECT_EQ(logical_pixel(99, 10), red);
    EXPECT_EQ(logical_pixel(100, 10), white);
    EXPECT_EQ(logical_pixel(290, 10), white);
}

}  // namespace
}  // namespace kd508::testing
