// What a shape costs on the program's 601 x 540 canvas, ordinary arguments beside ones at the
// 32-bit limits. The shapes are paired so that each pair touches about the same pixels on the
// canvas: a huge coordinate or width must cost about what its visible pixels cost, never time
// proportional to its size.
#include <benchmark/benchmark.h>

#include <climits>
#include <functional>

#include "headless/headless_driver.h"
#include "win32_subset.h"

namespace {

constexpr int canvas_width = 601;
constexpr int canvas_height = 540;

// A fresh layer with a canvas-sized bitmap, a pen of the given width and a solid brush.
class BenchCanvas {
public:
    explicit BenchCanvas(int pen_width) {
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateCompatibleBitmap(dc_, canvas_width, canvas_height);
        pen_ = CreatePen(PS_SOLID, pen_width, RGB(0, 0, 0));
        brush_ = CreateSolidBrush(RGB(255, 0, 0));
        old_bitmap_ = SelectObject(dc_, bitmap_);
        old_pen_ = SelectObject(dc_, pen_);
        old_brush_ = SelectObject(dc_, brush_);
    }
    ~BenchCanvas() {
        SelectObject(dc_, old_bitmap_);
        SelectObject(dc_, old_pen_);
        SelectObject(dc_, old_brush_);
        DeleteObject(bitmap_);
        DeleteObject(pen_);
        DeleteObject(brush_);
        DeleteDC(dc_);
    }
    HDC dc() const { return dc_; }

private:
    kd508::headless::Driver driver_;
    HDC dc_ = nullptr;
    HGDIOBJ bitmap_ = nullptr, pen_ = nullptr, brush_ = nullptr;
    HGDIOBJ old_bitmap_ = nullptr, old_pen_ = nullptr, old_brush_ = nullptr;
};

void run(benchmark::State& state, int pen_width, const std::function<void(HDC)>& draw) {
    BenchCanvas canvas(pen_width);
    for (auto _ : state) {
        draw(canvas.dc());
        benchmark::ClobberMemory();
    }
}

void line(HDC dc, int x1, int y1, int x2, int y2) {
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
}

// One-pixel lines across the canvas.
void BM_ThinLine_AcrossCanvas(benchmark::State& state) {
    run(state, 1, [](HDC dc) { line(dc, 0, 0, canvas_width, canvas_height); });
}
void BM_ThinLine_LimitToLimit(benchmark::State& state) {
    run(state, 1, [](HDC dc) { line(dc, INT_MIN, INT_MIN, INT_MAX, INT_MAX); });
}

// Wide lines covering the canvas.
void BM_WideLine_CanvasHigh(benchmark::State& state) {
    run(state, 2 * canvas_height, [](HDC dc) { line(dc, 0, canvas_height / 2, canvas_width, canvas_height / 2); });
}
void BM_WideLine_WidestPen(benchmark::State& state) {
    run(state, INT_MAX, [](HDC dc) { line(dc, INT_MIN, 0, INT_MAX, 0); });
}

// Filled shapes covering the canvas.
void BM_Rectangle_Canvas(benchmark::State& state) {
    run(state, 1, [](HDC dc) { Rectangle(dc, -1, -1, canvas_width + 1, canvas_height + 1); });
}
void BM_Rectangle_LimitToLimit(benchmark::State& state) {
    run(state, 1, [](HDC dc) { Rectangle(dc, INT_MIN, INT_MIN, INT_MAX, INT_MAX); });
}
void BM_Ellipse_AroundCanvas(benchmark::State& state) {
    run(state, 1, [](HDC dc) { Ellipse(dc, -300, -300, canvas_width + 300, canvas_height + 300); });
}
void BM_Ellipse_LimitToLimit(benchmark::State& state) {
    run(state, 1, [](HDC dc) { Ellipse(dc, INT_MIN, INT_MIN, INT_MAX, INT_MAX); });
}
void BM_Polygon_AroundCanvas(benchmark::State& state) {
    run(state, 1, [](HDC dc) {
        const POINT square[] = {{-10, -10}, {canvas_width + 10, -10}, {canvas_width + 10, canvas_height + 10},
                                {-10, canvas_height + 10}};
        Polygon(dc, square, 4);
    });
}
void BM_Polygon_LimitToLimit(benchmark::State& state) {
    run(state, 1, [](HDC dc) {
        const POINT square[] = {{INT_MIN, INT_MIN}, {INT_MAX, INT_MIN}, {INT_MAX, INT_MAX}, {INT_MIN, INT_MAX}};
        Polygon(dc, square, 4);
    });
}

// Shapes entirely off the canvas should cost next to nothing, however large.
void BM_OffCanvas_Ordinary(benchmark::State& state) {
    run(state, 5, [](HDC dc) {
        Ellipse(dc, -200, -200, -100, -100);
        line(dc, -500, 10, -100, 400);
    });
}
void BM_OffCanvas_Huge(benchmark::State& state) {
    run(state, 5, [](HDC dc) {
        Ellipse(dc, INT_MIN, INT_MIN, -1000, -1000);
        line(dc, INT_MIN, INT_MAX, INT_MAX, INT_MAX);
    });
}

BENCHMARK(BM_ThinLine_AcrossCanvas);
BENCHMARK(BM_ThinLine_LimitToLimit);
BENCHMARK(BM_WideLine_CanvasHigh);
BENCHMARK(BM_WideLine_WidestPen);
BENCHMARK(BM_Rectangle_Canvas);
BENCHMARK(BM_Rectangle_LimitToLimit);
BENCHMARK(BM_Ellipse_AroundCanvas);
BENCHMARK(BM_Ellipse_LimitToLimit);
BENCHMARK(BM_Polygon_AroundCanvas);
BENCHMARK(BM_Polygon_LimitToLimit);
BENCHMARK(BM_OffCanvas_Ordinary);
BENCHMARK(BM_OffCanvas_Huge);

}  // namespace
