// Shapes as values. Rectangle, Ellipse, Polygon and LineTo take the selected pen and brush into a
// ShapeCall, which is drawn at once or kept in the bitmap's journal and drawn later, a tile at a
// time (kept_drawing.h): the same call must draw the same pixels either way.
#pragma once

#include <algorithm>
#include <cstdint>
#include <span>

#include "core/platform_state.h"
#include "device_context.h"
#include "raster/geometry.h"
#include "raster/surface.h"

namespace kd508::platform {

namespace shape_rules {

// An ellipse box of this many pixels across or fewer has no inside.
inline constexpr std::int64_t thinnest_box_with_inside = 2;

inline bool thin_box(const raster::Box& box) {
    return box.width() <= thinnest_box_with_inside || box.height() <= thinnest_box_with_inside;
}

// The bounding box of points, right and bottom exclusive.
inline raster::Box device_bounds(std::span<const raster::Point> points) {
    if (points.empty()) return {};
    raster::Box box{points[0].x, points[0].y, points[0].x + 1, points[0].y + 1};
    for (const raster::Point& point : points.subspan(1)) {
        box.left = std::min(box.left, point.x);
        box.top = std::min(box.top, point.y);
        box.right = std::max(box.right, point.x + 1);
        box.bottom = std::max(box.bottom, point.y + 1);
    }
    return box;
}

}  // namespace shape_rules

// The next few are inline: every shape goes through them, and most shapes are small.

// The call with the device context's pen and brush; its place is the caller's to fill in.
inline ShapeCall shape_call(const DeviceContext& dc, DrawingCall call) {
    ShapeCall shape;
    shape.call = call;
    shape.pen = dc.selected_pen;
    if (const BrushObject& brush = dc.selected_brush; !brush.hollow) {
        shape.brush_fills = true;
        shape.brush_colour = pixel_from_colorref(brush.colour);
    }
    return shape;
}

// Whether the call leaves every pixel as it was: an ellipse with neither pen nor brush, or a
// single pixel with a thin pen.
inline bool draws_nothing(const ShapeCall& call) {
    if (call.call != DrawingCall::ellipse) return false;
    if (call.pen.stroker == PenStroker::none) return !call.brush_fills;
    const raster::Box& box = call.device_box;
    return call.pen.stroker == PenStroker::thin_line && box.width() == 1 && box.height() == 1;
}

// Every pixel the call may draw, in device coordinates, beside the rounding at its edges
// (drawing_overreach). points are a polygon's.
inline raster::Box device_reach(const ShapeCall& call, std::span<const raster::Point> points) {
    switch (call.call) {
        case DrawingCall::polygon:
            return shape_rules::device_bounds(points).grown(call.pen.reach());
        case DrawingCall::line: {
            const raster::Point ends[]{call.from, call.to};
            return shape_rules::device_bounds(ends).grown(call.pen.reach());
        }
        default:
            return call.device_box.grown(call.pen.reach());
    }
}

// The call's fingerprint for a bitmap's journal (drawing_journal.h).
DrawingFingerprint fingerprint_of(const ShapeCall& call, std::span<const raster::Point> points);

// Draws the call on surface, whose first pixel is the device pixel at origin. With
// pending_bitmap, the solid boxes of a rectangle are kept pending on that bitmap instead
// (pending_fills.h), and surface must be its own, at origin 0, 0.
void draw_shape(const raster::Surface& surface, const raster::Point& origin, const ShapeCall& call,
                std::span<const raster::Point> points, BitmapObject* pending_bitmap = nullptr);

}  // namespace kd508::platform
