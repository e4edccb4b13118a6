// The renderer: one DrawCommand turned into platform drawing calls on the canvas.
//
// Logical coordinates may be anything in the 32-bit range. They are mapped in 64 bits, and a
// figure goes to the platform whole whenever its canvas coordinates fit the 32-bit drawing calls:
// the platform clips every figure to the canvas itself, at a cost bounded by the canvas, so
// anything cut here would only risk moving pixels. A canvas coordinate leaves that range only a
// few hundred pixels beyond the range's end (the origin is added to a 32-bit logical value); such
// a figure is cut there, exactly where the arithmetic allows it. A figure wholly beyond one side
// of the canvas, further than its pen reaches, is not drawn at all.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstddef>
#include <numeric>

#include "draw_command.h"
#include "palette.h"
#include "runtime_state.h"
#include "window_lifecycle.h"

namespace kd508 {

namespace {

struct CanvasPoint {
    std::int64_t x;
    std::int64_t y;
};

// How far beyond its path or box a figure's pen can paint, with a pixel to spare.
std::int64_t pen_reach(std::int32_t pen_width) { return std::int64_t{std::max<std::int32_t>(pen_width, 0)} / 2 + 2; }

bool fits_drawing_call(std::int64_t value) { return value >= INT_MIN && value <= INT_MAX; }

bool fits_drawing_call(const CanvasPoint& p) { return fits_drawing_call(p.x) && fits_drawing_call(p.y); }

// Whether every point lies beyond the same side of the canvas by more than reach, so that the
// figure they span cannot paint on it.
bool wholly_off_canvas(const CanvasPoint* points, std::size_t count, std::int64_t reach) {
    // All points lie beyond a side exactly when the nearest of them to the canvas does.
    CanvasPoint least = points[0], most = points[0];
    for (std::size_t i = 1; i < count; ++i) {
        least = {std::min(least.x, points[i].x), std::min(least.y, points[i].y)};
        most = {std::max(most.x, points[i].x), std::max(most.y, points[i].y)};
    }
    return most.x < -reach || most.y < -reach || least.x >= canvas_width + reach || least.y >= canvas_height + reach;
}

POINT to_point(const CanvasPoint& p) { return {static_cast<LONG>(p.x), static_cast<LONG>(p.y)}; }

// The pixel positions of a one-pixel line, as the platform draws it: every step along the major
// axis, from the first pixel up to but not including the last, and on the other axis the exact
// position rounded to the nearest pixel, an exact half going to the smaller coordinate.
using Wide = __int128;

Wide ceil_div(Wide n, Wide d) {
    Wide q = n / d;
    if ((n % d != 0) && ((n < 0) == (d < 0))) ++q;
    return q;
}

// Draws the part of a one-pixel line that lies on the canvas as the runs of pixels it paints
// there, each run an axis-parallel line whose pixels are exactly those of the long line. Only
// needed when an end lies beyond the 32-bit range and no point of the line with whole
// coordinates lies near that end.
void thin_line_as_runs(HDC canvas, CanvasPoint from, CanvasPoint to) {
    const std::int64_t dx = to.x - from.x, dy = to.y - from.y;
    const bool x_major = std::abs(dx) >= std::abs(dy);
    const std::int64_t d_major = x_major ? dx : dy, d_minor = x_major ? dy : dx;
    const std::int64_t steps = std::abs(d_major);
    if (steps == 0) return;
    const int direction = d_major > 0 ? 1 : -1;
    const std::int64_t major_start = x_major ? from.x : from.y, minor_start = x_major ? from.y : from.x;
    const std::int64_t major_size = x_major ? canvas_width : canvas_height;
    // The steps whose major coordinate lies on the canvas.
    std::int64_t first = direction > 0 ? -major_start : major_start - (major_size - 1);
    std::int64_t last = direction > 0 ? (major_size - 1) - major_start : major_start;
    first = std::max<std::int64_t>(first, 0);
    last = std::min<std::int64_t>(last, steps - 1);
    const auto minor_at = [&](std::int64_t step) {
        const Wide n = static_cast<Wide>(step) * d_minor;
        return static_cast<std::int64_t>(minor_start + ceil_div(2 * n - steps, 2 * static_cast<Wide>(steps)));
    };
    const auto paint_run = [&](std::int64_t run_first, std::int64_t run_last, std::int64_t minor) {
        const std::int64_t a = major_start + run_first * direction, b = major_start + (run_last + 1) * direction;
        if (x_major) {
            MoveToEx(canvas, static_cast<int>(a), static_cast<int>(minor), nullptr);
            LineTo(canvas, static_cast<int>(b), static_cast<int>(minor));
        } else {
            MoveToEx(canvas, static_cast<int>(minor), static_cast<int>(a), nullptr);
            LineTo(canvas, static_cast<int>(minor), static_cast<int>(b));
        }
    };
    for (std::int64_t step = first; step <= last;) {
        const std::int64_t minor = minor_at(step);
        std::int64_t run_last = step;
        while (run_last < last && minor_at(run_last + 1) == minor) ++run_last;
        if (minor >= 0 && minor < (x_major ? canvas_height : canvas_width)) paint_run(step, run_last, minor);
        step = run_last + 1;
    }
}

// Moves an end that lies beyond the 32-bit range back along the line to the nearest point with
// whole coordinates inside it, which leaves every pixel of the line where it was: the slope is
// the same, and the end moves by so little that it stays far beyond the canvas. False when the
// line has no such point.
bool pull_end_into_range(CanvasPoint& end, const CanvasPoint& other, std::int64_t reach) {
    if (fits_drawing_call(end)) return true;
    const std::int64_t dx = other.x - end.x, dy = other.y - end.y;
    const std::int64_t g = std::gcd(dx, dy);
    if (g == 0) return false;
    const std::int64_t step_x = dx / g, step_y = dy / g;
    // The fewest lattice steps towards the other end that bring both coordinates into range.
    const auto steps_needed = [](std::int64_t value, std::int64_t step) -> std::int64_t {
        if (value > INT_MAX) return step < 0 ? (value - INT_MAX + (-step) - 1) / (-step) : -1;
        if (value < INT_MIN) return step > 0 ? (INT_MIN - value + step - 1) / step : -1;
        return 0;
    };
    const std::int64_t kx = steps_needed(end.x, step_x), ky = steps_needed(end.y, step_y);
    if (kx < 0 || ky < 0) return false;
    const std::int64_t k = std::max(kx, ky);
    if (k >= g) return false;
    const CanvasPoint moved{end.x + k * step_x, end.y + k * step_y};
    if (!fits_drawing_call(moved)) return false;
    // The moved end must stay beyond the canvas by more than the pen reaches.
    const CanvasPoint single[] = {moved};
    if (!wholly_off_canvas(single, 1, reach)) return false;
    end = moved;
    return true;
}

void line_on_canvas(HDC canvas, const DrawCommand& command) {
    const std::int64_t reach = pen_reach(command.width);
    CanvasPoint ends[] = {{canvas_x(command.x1), canvas_y(command.y1)}, {canvas_x(command.x2), canvas_y(command.y2)}};
    if (wholly_off_canvas(ends, 2, reach)) return;
    CanvasPoint& from = ends[0];
    CanvasPoint& to = ends[1];
    if (!fits_drawing_call(from) || !fits_drawing_call(to)) {
        const CanvasPoint original_from = from;
        const bool pulled = pull_end_into_range(from, to, reach) && pull_end_into_range(to, original_from, reach);
        if (!pulled) {
            // A one-pixel line is drawn as its runs on the canvas. A wider pen has no such
            // form; its end is held at the range's end, which moves its slope by less than a
            // part in ten million, and only for ends within a few hundred pixels of the
            // 32-bit limit.
            if (command.width <= 1) {
                thin_line_as_runs(canvas, {canvas_x(command.x1), canvas_y(command.y1)},
                                  {canvas_x(command.x2), canvas_y(command.y2)});
                return;
            }
            for (CanvasPoint& end : ends) {
                end.x = std::clamp<std::int64_t>(end.x, INT_MIN, INT_MAX);
                end.y = std::clamp<std::int64_t>(end.y, INT_MIN, INT_MAX);
            }
        }
    }
    MoveToEx(canvas, static_cast<int>(from.x), static_cast<int>(from.y), nullptr);
    LineTo(canvas, static_cast<int>(to.x), static_cast<int>(to.y));
}

// Cuts a convex polygon at one side of the box |value| <= limit (x when x_axis, else y; the
// side sign * value <= limit), keeping the part inside.
struct RealPoint {
    double x;
    double y;
};

std::size_t cut_polygon(const RealPoint* in, std::size_t count, RealPoint* out, bool x_axis, double sign, double limit) {
    auto value = [&](const RealPoint& p) { return sign * (x_axis ? p.x : p.y); };
    std::size_t kept = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const RealPoint& a = in[i];
        const RealPoint& b = in[(i + 1) % count];
        const bool a_in = value(a) <= limit;
        const bool b_in = value(b) <= limit;
        if (a_in) out[kept++] = a;
        if (a_in != b_in) {
            const double t = (limit - value(a)) / (value(b) - value(a));
            out[kept++] = {a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)};
        }
    }
    return kept;
}

// Up to 3 + 4 vertices come out of cutting a triangle at four sides.
constexpr std::size_t max_cut_vertices = 8;

void polygon_on_canvas(HDC canvas, const DrawCommand& command) {
    const CanvasPoint corners[] = {{canvas_x(command.x1), canvas_y(command.y1)},
                                   {canvas_x(command.x2), canvas_y(command.y2)},
                                   {canvas_x(command.x3), canvas_y(command.y3)}};
    if (wholly_off_canvas(corners, 3, pen_reach(command.width))) return;
    POINT points[max_cut_vertices];
    std::size_t count = 3;
    if (std::all_of(corners, corners + 3, [](const CanvasPoint& p) { return fits_drawing_call(p); })) {
        for (std::size_t i = 0; i < count; ++i) points[i] = to_point(corners[i]);
    } else {
        // A corner within a few hundred pixels beyond the 32-bit limit: the triangle is cut at
        // the limit, where the cut edges lie far beyond the canvas and the pen's reach of it.
        RealPoint cut[max_cut_vertices], scratch[max_cut_vertices];
        for (std::size_t i = 0; i < count; ++i) cut[i] = {static_cast<double>(corners[i].x), static_cast<double>(corners[i].y)};
        const double limit = INT_MAX;
        count = cut_polygon(cut, count, scratch, true, 1, limit);
        count = cut_polygon(scratch, count, cut, false, 1, limit);
        for (std::size_t i = 0; i < count; ++i)
            points[i] = {static_cast<LONG>(std::floor(cut[i].x)), static_cast<LONG>(std::floor(cut[i].y))};
    }
    if (count >= 3) Polygon(canvas, points, static_cast<int>(count));
}

// Kinds 1 and 2: the box covers columns px(x1)..px(x2) and rows py(y1)..py(y2), both ends
// included, so its right and bottom bounds are one past them. Only the right and bottom bounds
// can pass the 32-bit limit, by a few hundred pixels; they are held there, which leaves a
// rectangle's pixels on the canvas as they were and moves an ellipse's by far less than its
// size of more than two billion pixels.
void box_on_canvas(HDC canvas, const DrawCommand& command) {
    const CanvasPoint corners[] = {{canvas_x(command.x1), canvas_y(command.y1)},
                                   {canvas_x(command.x2) + 1, canvas_y(command.y2) + 1}};
    if (wholly_off_canvas(corners, 2, pen_reach(command.width))) return;
    const auto held = [](std::int64_t value) { return static_cast<int>(std::clamp<std::int64_t>(value, INT_MIN, INT_MAX)); };
    const int left = held(corners[0].x), top = held(corners[0].y), right = held(corners[1].x), bottom = held(corners[1].y);
    if (command.kind == draw_rectangle) Rectangle(canvas, left, top, right, bottom);
    else Ellipse(canvas, left, top, right, bottom);
}

// Width 0 fills a figure with its own colour; any other width leaves the inside untouched.
HBRUSH brush_for(const DrawCommand& command, COLORREF rgb) {
    if (command.width != 0) return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    return CreateSolidBrush(rgb);
}

}  // namespace

std::int32_t clamp_canvas(std::int64_t canvas_coordinate) {
    return static_cast<std::int32_t>(std::clamp(canvas_coordinate, -canvas_safe_limit, canvas_safe_limit));
}

std::int64_t canvas_x(std::int32_t logical_x) {
    return std::int64_t{runtime_state().origin_x} + logical_x;
}

std::int64_t canvas_y(std::int32_t logical_y) {
    return std::int64_t{runtime_state().origin_y} - logical_y;
}

void render_command(const DrawCommand& command) {
    RuntimeState& state = runtime_state();
    HDC canvas = state.canvas_surface;

    switch (command.kind) {
    case draw_triangle:
    case draw_rectangle:
    case draw_ellipse: {
        // The figure is edged with its pen and filled with its brush; both are put back and
        // deleted before the next command.
        const COLORREF rgb = palette_colour(command.colour);
        HPEN pen = CreatePen(PS_SOLID, command.width, rgb);
        HBRUSH brush = brush_for(command, rgb);
        HGDIOBJ previous_pen = SelectObject(canvas, pen);
        HGDIOBJ previous_brush = SelectObject(canvas, brush);
        if (command.kind == draw_triangle) polygon_on_canvas(canvas, command);
        else box_on_canvas(canvas, command);
        SelectObject(canvas, previous_pen);
        SelectObject(canvas, previous_brush);
        DeleteObject(pen);
        DeleteObject(brush);
        break;
    }
    case draw_line: {
        HPEN pen = CreatePen(PS_SOLID, command.width, palette_colour(command.colour));
        HGDIOBJ previous_pen = SelectObject(canvas, pen);
        line_on_canvas(canvas, command);
        SelectObject(canvas, previous_pen);
        DeleteObject(pen);
        break;
    }
    case draw_pixel:
        SetPixel(canvas, clamp_canvas(canvas_x(command.x1)), clamp_canvas(canvas_y(command.y1)),
                 palette_colour(command.colour));
        break;
    case draw_text:
        render_text_command(command);
        break;
    default:
        // An unknown kind draws nothing, but the canvas still counts as changed.
        break;
    }
    state.canvas_dirty = 1;
}

}  // namespace kd508
