// Figures reaching far beyond the canvas paint on it exactly what the whole figure paints there.
// Each is compared, pixel for pixel, with the same figure drawn uncut: through the same drawing
// calls on a bitmap of the canvas's size where its coordinates fit them, and through the pixel
// kernels themselves where they do not.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <vector>

#include "gdi/device_context.h"
#include "drawing_fixture.h"
#include "raster/thin_line.h"
#include "raster/wide_stroke.h"
#include "palette.h"

namespace kd508::testing {
namespace {

using raster::Pixel;

class FarShapes : public OpenRuntime {
protected:
    FarShapes() {
        KD508_logging(0);
        reference_dc = CreateCompatibleDC(canvas());
        reference_bitmap = CreateCompatibleBitmap(canvas(), canvas_width, canvas_height);
        previous_bitmap = SelectObject(reference_dc, reference_bitmap);
    }
    ~FarShapes() override {
        SelectObject(reference_dc, previous_bitmap);
        DeleteObject(reference_bitmap);
        DeleteDC(reference_dc);
    }

    static std::vector<Pixel> pixels_of(HDC dc) {
        const raster::Surface surface = platform::target_surface(*platform::find_device_context(dc));
        std::vector<Pixel> pixels;
        for (int y = 0; y < surface.height; ++y) pixels.insert(pixels.end(), surface.row(y), surface.row(y) + surface.width);
        return pixels;
    }
    static raster::Surface reference_surface(HDC dc) { return platform::target_surface(*platform::find_device_context(dc)); }

    // Clears both bitmaps, the reference as the runtime clears the canvas (white, in a black
    // frame), and selects into the reference the pen and brush the runtime uses.
    void start(int colour, int width, bool filled) {
        KD508_clear();
        SelectObject(reference_dc, GetStockObject(WHITE_BRUSH));
        SelectObject(reference_dc, GetStockObject(BLACK_PEN));
        Rectangle(reference_dc, 0, 0, canvas_width, canvas_height);
        pen = CreatePen(PS_SOLID, width, palette_colour(colour));
        brush = filled ? CreateSolidBrush(palette_colour(colour)) : static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
        SelectObject(reference_dc, pen);
        SelectObject(reference_dc, brush);
    }
    void finish() {
        SelectObject(reference_dc, GetStockObject(BLACK_PEN));
        SelectObject(reference_dc, GetStockObject(WHITE_BRUSH));
        DeleteObject(pen);
        DeleteObject(brush);
    }
    // The number of pixels where the canvas and the reference differ.
    int differences() const {
        const std::vector<Pixel> drawn = pixels_of(canvas()), expected = pixels_of(reference_dc);
        int count = 0;
        for (std::size_t i = 0; i < drawn.size(); ++i) count += drawn[i] != expected[i];
        return count;
    }

    HDC reference_dc = nullptr;
    HBITMAP reference_bitmap = nullptr;
    HGDIOBJ previous_bitmap = nullptr;
    HPEN pen = nullptr;
    HBRUSH brush = nullptr;
};

struct Random {
    std::uint64_t state = 0x853C49E6748FEA9Bull;
    std::int64_t below(std::int64_t bound) {
        state ^= state << 13, state ^= state >> 7, state ^= state << 17;
        return static_cast<std::int64_t>(state % static_cast<std::uint64_t>(bound));
    }
    int between(std::int64_t low, std::int64_t high) { return static_cast<int>(low + below(high - low + 1)); }
};

TEST_F(FarShapes, LinesWithAnEndABillionPixelsAwayPaintWhatTheUncutLinePaints) {
    Random random;
    for (int i = 0; i < 400; ++i) {
        // One end about a billion pixels away in any direction, the other on or near the canvas,
        // or, for every third line, as far away on the other side, so that the line crosses the
        // canvas between two far ends.
        int near_x = random.between(-400, 400), near_y = random.between(-350, 350);
        const int far_x = random.between(-1'200'000'000, 1'200'000'000);
        const int far_y = i % 2 ? random.between(-1'200'000'000, 1'200'000'000) : near_y + random.between(-3000, 3000);
        if (i % 3 == 0) {
            near_x = static_cast<int>(2 * std::int64_t{near_x} - far_x + random.between(-5000, 5000));
            near_y = static_cast<int>(2 * std::int64_t{near_y} - far_y + random.between(-5000, 5000));
        }
        const int width = i % 4 == 3 ? random.between(2, 9) : 1;
        start(KD508_RED, width, false);
        KD508_line(KD508_RED, near_x, near_y, far_x, far_y, width);
        MoveToEx(reference_dc, origin_x() + near_x, origin_y() - near_y, nullptr);
        LineTo(reference_dc, origin_x() + far_x, origin_y() - far_y);
        finish();
        ASSERT_EQ(differences(), 0) << "line " << i << " from (" << near_x << "," << near_y << ") to (" << far_x << ","
                                    << far_y << ") width " << width;
    }
}

TEST_F(FarShapes, LinesEndingBeyondTheThirtyTwoBitRangePaintWhatTheUncutLinePaints) {
    // Canvas coordinates pass INT_MAX when a logical x lies within the origin of INT_MAX, or a
    // logical y within it of INT_MIN. The uncut line is drawn by the kernels in 64 bits.
    Random random;
    for (int i = 0; i < 120; ++i) {
        const int near_x = random.between(-350, 350), near_y = random.between(-300, 300);
        const bool beyond_x = i % 2 == 0;
        const int far_x = beyond_x ? INT_MAX - random.between(0, 290) : random.between(-2'000'000'000, 2'000'000'000);
        const int far_y = beyond_x ? random.between(-2'000'000'000, 2'000'000'000) : INT_MIN + random.between(0, 240);
        // Thin pens in any direction; wide ones along directions with points of whole
        // coordinates near their ends.
        const int width = i % 3 == 2 ? 5 : 1;
        const int aligned_y = width == 1 ? far_y : near_y;
        start(KD508_BLUE, width, false);
        KD508_line(KD508_BLUE, near_x, near_y, far_x, aligned_y, width);
        const raster::Point from{std::int64_t{origin_x()} + near_x, std::int64_t{origin_y()} - near_y};
        const raster::Point to{std::int64_t{origin_x()} + far_x, std::int64_t{origin_y()} - aligned_y};
        const Pixel blue_pixel = 0x0000FF;
        if (width == 1) raster::draw_thin_line(reference_surface(reference_dc), from, to, blue_pixel);
        else raster::stroke_wide_segment(reference_surface(reference_dc), from, to, width, blue_pixel);
        finish();
        ASSERT_EQ(differences(), 0) << "line " << i << " to (" << far_x << "," << aligned_y << ") width " << width;
    }
}

TEST_F(FarShapes, TrianglesWithCornersABillionPixelsAwayPaintWhatTheUncutTrianglePaints) {
    Random random;
    for (int i = 0; i < 150; ++i) {
        const int x1 = random.between(-300, 300), y1 = random.between(-250, 250);
        const int x2 = random.between(-1'500'000'000, 1'500'000'000), y2 = random.between(-1'500'000'000, 1'500'000'000);
        int x3 = random.between(-1'500'000'000, 1'500'000'000), y3 = random.between(-1'500'000'000, 1'500'000'000);
        if (i % 2 == 0) {
            // The far corners on opposite sides of a canvas point: the edge between them
            // crosses the canvas.
            x3 = static_cast<int>(2 * std::int64_t{random.between(-300, 300)} - x2 + random.between(-5000, 5000));
            y3 = static_cast<int>(2 * std::int64_t{random.between(-250, 250)} - y2 + random.between(-5000, 5000));
        }
        const int width = i % 3 == 0 ? 0 : (i % 3 == 1 ? 1 : 6);
        start(KD508_GREEN, width, width == 0);
        KD508_triangle(KD508_GREEN, x1, y1, x2, y2, x3, y3, width);
        const POINT corners[] = {{origin_x() + x1, origin_y() - y1}, {origin_x() + x2, origin_y() - y2},
                                 {origin_x() + x3, origin_y() - y3}};
        Polygon(reference_dc, corners, 3);
        finish();
        ASSERT_EQ(differences(), 0) << "triangle " << i << " width " << width;
    }
}

TEST_F(FarShapes, ACircleLargerThanTwoBillionPixelsKeepsItsShape) {
    // Its box reaches about two billion pixels off the canvas; only a part of its edge crosses it.
    const int centre = -759'250'125, radius = 1'073'741'824;
    start(KD508_YELLOW, 0, true);
    KD508_circle(KD508_YELLOW, centre, centre, radius);
    Ellipse(reference_dc, origin_x() + centre - radius, origin_y() - (centre + radius), origin_x() + centre + radius + 1,
            origin_y() - (centre - radius) + 1);
    finish();
    EXPECT_EQ(differences(), 0);
    const std::vector<Pixel> drawn = pixels_of(canvas());
    const auto painted = std::count(drawn.begin(), drawn.end(), Pixel{0xFFFF00});
    // The pixels of the exact ellipse that lie on the canvas.
    EXPECT_EQ(painted, 173'070);
}

}  // namespace
}  // namespace kd508::testing
