// The GDI rules of which pixels a shape covers, on top of the raster kernels.
//
// Coordinates are device pixels of the target. Everything is computed in 64 bits, so that any
// 32-bit argument (right - 1 of INT_MIN, a pen as wide as INT_MIN) is safe, and the kernels clip
// to the target before they loop, so a shape costs no more than the pixels it can touch. The
// kernels draw the same pixels on any part of a surface as on the whole, moved by the part's
// origin, so that a call kept and drawn a tile at a time draws what it would have drawn at once.
#include "shape_call.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "device_context.h"
#include "drawing_journal.h"
#include "pending_fills.h"
#include "raster/ellipse.h"
#include "raster/polygon_fill.h"
#include "raster/span.h"
#include "raster/thin_line.h"
#include "raster/wide_ellipse.h"
#include "raster/wide_stroke.h"

namespace kd508::platform {
namespace {

// The outline of a closed path through the points with the pen.
void stroke_closed_path(const raster::Surface& surface, std::span<const raster::Point> path, const PenObject& pen) {
    switch (pen.stroker) {
        case PenStroker::none:
            break;
        case PenStroker::thin_line:
            // Each one-pixel line leaves out its end point, which the next line starts on, so
            // every vertex is painted once.
            for (std::size_t i = 0; i < path.size(); ++i)
                raster::draw_thin_line(surface, path[i], path[(i + 1) % path.size()], pen.pixel);
            break;
        case PenStroker::wide_stroke:
            raster::stroke_wide_path(surface, path, true, pen.width(), pen.pixel);
            break;
    }
}

template <class FillBox>
void draw_rectangle(const raster::Surface& surface, const ShapeCall& call, const raster::Box& box, FillBox&& fill_box) {
    // The brush covers the box less its last column and row. With a pen that is all the
    // interior: the one-pixel edge lies on the box's first and last columns and rows. Without
    // one, the figure ends one pixel short of the box on the right and at the bottom, as GDI
    // draws it. A one-pixel edge in the brush's colour makes the whole box one colour, written
    // as one box rather than five.
    const PenObject& pen = call.pen;
    const bool one_colour = call.brush_fills && pen.stroker == PenStroker::thin_line && pen.pixel == call.brush_colour;
    if (one_colour) {
        fill_box(box, call.brush_colour);
        return;
    }
    if (call.brush_fills) fill_box(raster::Box{box.left, box.top, box.right - 1, box.bottom - 1}, call.brush_colour);
    if (box.empty()) return;
    const std::int64_t last_x = box.right - 1;
    const std::int64_t last_y = box.bottom - 1;
    switch (pen.stroker) {
        case PenStroker::none:
            break;
        case PenStroker::thin_line:
            fill_box(raster::Box{box.left, box.top, box.right, box.top + 1}, pen.pixel);
            fill_box(raster::Box{box.left, last_y, box.right, box.bottom}, pen.pixel);
            fill_box(raster::Box{box.left, box.top, box.left + 1, box.bottom}, pen.pixel);
            fill_box(raster::Box{last_x, box.top, box.right, box.bottom}, pen.pixel);
            break;
        case PenStroker::wide_stroke: {
            // A wide pen is centred on the path through the edge pixels; its round ends make
            // the outer corners round.
            const raster::Point path[]{{box.left, box.top}, {last_x, box.top}, {last_x, last_y}, {box.left, last_y}};
            raster::stroke_wide_path(surface, path, true, pen.width(), pen.pixel);
            break;
        }
    }
}

void draw_ellipse(const raster::Surface& surface, const ShapeCall& call, const raster::Box& box) {
    // Boxes this thin have no inside: GDI draws them as rectangles, in the pen's colour with a
    // pen and one pixel smaller on the right and bottom without one, as Rectangle does.
    const PenObject& pen = call.pen;
    switch (pen.stroker) {
        case PenStroker::none:
            if (shape_rules::thin_box(box))
                raster::fill_box(surface, raster::Box{box.left, box.top, box.right - 1, box.bottom - 1},
                                 call.brush_colour);
            else
                raster::fill_ellipse(surface, box, call.brush_colour);
            break;
        case PenStroker::thin_line: {
            // The rim lies within the filled shape, so a rim in the brush's colour changes
            // nothing the fill has painted: the figure is one colour, drawn in one pass, as
            // Rectangle does.
            const bool one_colour = call.brush_fills && pen.pixel == call.brush_colour;
            if (call.brush_fills && !shape_rules::thin_box(box)) raster::fill_ellipse(surface, box, call.brush_colour);
            if (!one_colour || shape_rules::thin_box(box)) raster::outline_ellipse(surface, box, pen.pixel);
            break;
        }
        case PenStroker::wide_stroke:
            if (call.brush_fills) raster::fill_ellipse(surface, box, call.brush_colour);
            // Beside tall boxes three or four pixels wide, GDI also spills a few brush pixels
            // outside the band, away from the box; that is a fault rather than a rule, and is
            // left out.
            raster::stroke_wide_ellipse(surface, box, pen.width(), pen.pixel);
            break;
    }
}

}  // namespace

DrawingFingerprint fingerprint_of(const ShapeCall& call, std::span<const raster::Point> points) {
    CallFingerprint fingerprint(call.call);
    fingerprint.add(static_cast<std::int64_t>(call.pen.stroker)).add(call.pen.size).add(call.pen.pixel);
    switch (call.call) {
        case DrawingCall::line:
            // The brush draws nothing of a line.
            return fingerprint.add(call.from.x).add(call.from.y).add(call.to.x).add(call.to.y).value();
        case DrawingCall::polygon:
            fingerprint.add(call.brush_fills).add(call.brush_colour).add(static_cast<std::int64_t>(points.size()));
            for (const raster::Point& point : points) fingerprint.add(point.x).add(point.y);
            return fingerprint.value();
        default:
            fingerprint.add(call.brush_fills).add(call.brush_colour);
            const raster::Box& box = call.device_box;
            return fingerprint.add(box.left).add(box.top).add(box.right).add(box.bottom).value();
    }
}

void draw_shape(const raster::Surface& surface, const raster::Point& origin, const ShapeCall& call,
                std::span<const raster::Point> points, BitmapObject* pending_bitmap) {
    // Kept calls are drawn a tile at a time; all others at the origin, where nothing moves.
    const bool moves = origin.x != 0 || origin.y != 0;
    const raster::Box box = moves ? call.device_box.moved(-origin.x, -origin.y) : call.device_box;
    switch (call.call) {
        case DrawingCall::rectangle:
            // On a bitmap, a rectangle without a wide pen is boxes of one colour each, kept
            // pending; a wide pen's corners are round.
            if (pending_bitmap && call.pen.stroker != PenStroker::wide_stroke) {
                draw_rectangle(surface, call, box, [&](const raster::Box& part, raster::Pixel colour) {
                    defer_solid_box(*pending_bitmap, part, colour);
                });
            } else {
                draw_rectangle(surface, call, box, [&](const raster::Box& part, raster::Pixel colour) {
                    raster::fill_box(surface, part, colour);
                });
            }
            break;
        case DrawingCall::ellipse:
            if (!draws_nothing(call)) draw_ellipse(surface, call, box);
            break;
        case DrawingCall::polygon: {
            // Kept from call to call, so that drawing allocates nothing once it has held the
            // largest polygon drawn.
            thread_local std::vector<raster::Point> moved;
            std::span<const raster::Point> path = points;
            if (moves) {
                moved.clear();
                for (const raster::Point& point : points) moved.push_back({point.x - origin.x, point.y - origin.y});
                path = moved;
            }
            if (call.brush_fills) raster::fill_polygon_alternate(surface, path, call.brush_colour);
            stroke_closed_path(surface, path, call.pen);
            break;
        }
        case DrawingCall::line: {
            const raster::Point from{call.from.x - origin.x, call.from.y - origin.y};
            const raster::Point to{call.to.x - origin.x, call.to.y - origin.y};
            if (call.pen.stroker == PenStroker::thin_line)
                raster::draw_thin_line(surface, from, to, call.pen.pixel);
            else if (call.pen.stroker == PenStroker::wide_stroke)
                raster::stroke_wide_segment(surface, from, to, call.pen.width(), call.pen.pixel);
            break;
        }
        default:
            break;
    }
}

}  // namespace kd508::platform
