// The renderer: one DrawCommand turned into platform drawing calls on the canvas.
//
// Logical coordinates may be anything in the 32-bit range. They are mapped in 64 bits and kept
// within a box far outside the canvas before the platform sees them: boxes are clamped to it,
// lines and triangles are cut at it, so that what falls on the canvas is drawn exactly as the
// whole figure would be, and no figure costs more than the pixels it can touch.
#include <algorithm>
#include <cmath>
#include <cstddef>

#include "draw_command.h"
#include "palette.h"
#include "runtime_state.h"

namespace kd508 {

namespace {

// The box is widened by half the pen width, so that no part of a wide pen's stroke along a cut
// edge can reach the canvas. Even for the widest pen it stays inside the 32-bit range.
std::int64_t safe_limit(std::int32_t pen_width) {
    return canvas_safe_limit + std::max<std::int32_t>(pen_width, 0) / 2 + 1;
}

std::int32_t clamp_to(std::int64_t value, std::int64_t limit) {
    return static_cast<std::int32_t>(std::clamp(value, -limit, limit));
}

bool inside(std::int64_t value, std::int64_t limit) { return value >= -limit && value <= limit; }

struct CanvasPoint {
    double x;
    double y;
};

// Cuts a convex polygon at one side of the safe box (x <= limit when sign is 1 on the x axis,
// and so on), keeping the part inside.
std::size_t cut_polygon(const CanvasPoint* in, std::size_t count, CanvasPoint* out, bool x_axis,
                        double sign, double limit) {
    auto value = [&](const CanvasPoint& p) { return sign * (x_axis ? p.x : p.y); };
    std::size_t kept = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const CanvasPoint& a = in[i];
        const CanvasPoint& b = in[(i + 1) % count];
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

std::size_t cut_to_box(CanvasPoint* points, std::size_t count, double limit) {
    CanvasPoint scratch[max_cut_vertices];
    count = cut_polygon(points, count, scratch, true, 1, limit);
    count = cut_polygon(scratch, count, points, true, -1, limit);
    count = cut_polygon(points, count, scratch, false, 1, limit);
    count = cut_polygon(scratch, count, points, false, -1, limit);
    return count;
}

POINT to_point(const CanvasPoint& p) {
    return {static_cast<LONG>(std::llround(p.x)), static_cast<LONG>(std::llround(p.y))};
}

void polygon_on_canvas(HDC canvas, const DrawCommand& command) {
    const std::int64_t limit = safe_limit(command.width);
    CanvasPoint corners[max_cut_vertices] = {
        {static_cast<double>(canvas_x(command.x1)), static_cast<double>(canvas_y(command.y1))},
        {static_cast<double>(canvas_x(command.x2)), static_cast<double>(canvas_y(command.y2))},
        {static_cast<double>(canvas_x(command.x3)), static_cast<double>(canvas_y(command.y3))},
    };
    std::size_t count = 3;
    POINT points[max_cut_vertices];
    const bool all_inside = std::all_of(corners, corners + 3, [&](const CanvasPoint& p) {
        return inside(static_cast<std::int64_t>(p.x), limit) &&
               inside(static_cast<std::int64_t>(p.y), limit);
    });
    if (!all_inside) count = cut_to_box(corners, count, static_cast<double>(limit));
    for (std::size_t i = 0; i < count; ++i) points[i] = to_point(corners[i]);
    if (count >= 3) Polygon(canvas, points, static_cast<int>(count));
}

void line_on_canvas(HDC canvas, const DrawCommand& command) {
    const std::int64_t limit = safe_limit(command.width);
    double x1 = static_cast<double>(canvas_x(command.x1));
    double y1 = static_cast<double>(canvas_y(command.y1));
    double x2 = static_cast<double>(canvas_x(command.x2));
    double y2 = static_cast<double>(canvas_y(command.y2));
    const bool all_inside = inside(canvas_x(command.x1), limit) &&
                            inside(canvas_y(command.y1), limit) &&
                            inside(canvas_x(command.x2), limit) && inside(canvas_y(command.y2), limit);
    if (!all_inside) {
        // Liang-Barsky: the part of the segment, as parameters t0..t1, that lies in the box.
        const double dx = x2 - x1;
        const double dy = y2 - y1;
        const double box = static_cast<double>(limit);
        double t0 = 0;
        double t1 = 1;
        const double p[4] = {-dx, dx, -dy, dy};
        const double q[4] = {x1 + box, box - x1, y1 + box, box - y1};
        for (int i = 0; i < 4; ++i) {
            if (p[i] == 0) {
                if (q[i] < 0) return;
                continue;
            }
            const double t = q[i] / p[i];
            if (p[i] < 0) t0 = std::max(t0, t);
            else t1 = std::min(t1, t);
        }
        if (t0 > t1) return;
        const double start_x = x1 + t0 * dx;
        const double start_y = y1 + t0 * dy;
        x2 = x1 + t1 * dx;
        y2 = y1 + t1 * dy;
        x1 = start_x;
        y1 = start_y;
    }
    const POINT start = to_point({x1, y1});
    const POINT end = to_point({x2, y2});
    MoveToEx(canvas, start.x, start.y, nullptr);
    LineTo(canvas, end.x, end.y);
}

// Kinds 1 and 2: the box covers columns px(x1)..px(x2) and rows py(y1)..py(y2), both ends
// included, so its right and bottom bounds are one past them.
void box_on_canvas(HDC canvas, const DrawCommand& command) {
    const std::int64_t limit = safe_limit(command.width);
    const int left = clamp_to(canvas_x(command.x1), limit);
    const int top = clamp_to(canvas_y(command.y1), limit);
    const int right = clamp_to(canvas_x(command.x2) + 1, limit);
    const int bottom = clamp_to(canvas_y(command.y2) + 1, limit);
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
    return clamp_to(canvas_coordinate, canvas_safe_limit);
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
