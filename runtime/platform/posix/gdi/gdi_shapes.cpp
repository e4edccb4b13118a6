// Rectangle, Ellipse, Polygon, MoveToEx/LineTo, SetPixel and GetPixel: the GDI rules of which
// pixels a shape covers, on top of the raster kernels.
//
// Coordinates are device pixels of the target. Everything is computed in 64 bits, so that any
// 32-bit argument (right - 1 of INT_MIN, a pen as wide as INT_MIN) is safe, and the kernels clip
// to the target before they loop, so a shape costs no more than the pixels it can touch.

#include <algorithm>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include "device_context.h"
#include "gdi_objects.h"
#include "pending_fills.h"
#include "raster/ellipse.h"
#include "raster/polygon_fill.h"
#include "raster/span.h"
#include "raster/thin_line.h"
#include "raster/wide_ellipse.h"
#include "raster/wide_stroke.h"

using kd508::platform::BitmapObject;
using kd508::platform::BrushObject;
using kd508::platform::CallFingerprint;
using kd508::platform::DeviceContext;
using kd508::platform::DrawingCall;
using kd508::platform::PenObject;
using kd508::platform::PenStroker;
namespace raster = kd508::raster;

namespace {

// An ellipse box of this many pixels across or fewer has no inside.
constexpr std::int64_t thinnest_box_with_inside = 2;

// What the selected pen and brush ask for, read once per call. The pen's stroker was chosen
// when the pen was made.
struct Paint {
    const PenObject& pen;
    bool brush_fills = false;
    raster::Pixel brush_colour = 0;
};

Paint paint_of(const DeviceContext& dc) {
    Paint paint{dc.selected_pen};
    if (const BrushObject& brush = dc.selected_brush; !brush.hollow) {
        paint.brush_fills = true;
        paint.brush_colour = kd508::platform::pixel_from_colorref(brush.colour);
    }
    return paint;
}

// The box with its corners in order, as GDI takes reversed rectangles.
raster::Box ordered_device_box(int left, int top, int right, int bottom) {
    raster::Box box{left, top, right, bottom};
    if (box.left > box.right) std::swap(box.left, box.right);
    if (box.top > box.bottom) std::swap(box.top, box.bottom);
    return box;
}

// The surface, with the pending boxes under the area a shape reports written first.
raster::Surface surface_for_shape(DeviceContext& dc, const raster::Box& device_area) {
    return kd508::platform::target_surface_for(dc, device_area.grown(kd508::platform::drawing_overreach));
}

// The start of a shape's fingerprint for a bitmap's journal (drawing_journal.h): the call and
// the pen, then the brush for shapes that have an inside.
CallFingerprint pen_fingerprint(DrawingCall call, const PenObject& pen) {
    CallFingerprint fingerprint(call);
    fingerprint.add(static_cast<std::int64_t>(pen.stroker)).add(pen.size).add(pen.pixel);
    return fingerprint;
}

CallFingerprint paint_fingerprint(DrawingCall call, const Paint& paint) {
    CallFingerprint fingerprint = pen_fingerprint(call, paint.pen);
    fingerprint.add(paint.brush_fills).add(paint.brush_colour);
    return fingerprint;
}

CallFingerprint box_fingerprint(DrawingCall call, const Paint& paint, const raster::Box& device_box) {
    CallFingerprint fingerprint = paint_fingerprint(call, paint);
    fingerprint.add(device_box.left).add(device_box.top).add(device_box.right).add(device_box.bottom);
    return fingerprint;
}

// Tells the device context's owner which pixels may have changed, and by which call: every shape
// sets the pixels it covers to the pen's or the brush's colour, whatever they held.
template <class MakeFingerprint>
void report_drawn(DeviceContext& dc, const raster::Surface& surface, const raster::Box& device_area,
                  MakeFingerprint&& make_fingerprint) {
    const raster::Box clipped = device_area.intersected(raster::bounds_of(surface));
    if (clipped.empty()) return;
    kd508::platform::note_drawn_by(dc, clipped, make_fingerprint);
}

// The bounding box of points, right and bottom exclusive.
raster::Box device_bounds(std::span<const raster::Point> points) {
    raster::Box box{points[0].x, points[0].y, points[0].x + 1, points[0].y + 1};
    for (const raster::Point& point : points) {
        box.left = std::min(box.left, point.x);
        box.top = std::min(box.top, point.y);
        box.right = std::max(box.right, point.x + 1);
        box.bottom = std::max(box.bottom, point.y + 1);
    }
    return box;
}

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

}  // namespace

BOOL WINAPI Rectangle(HDC dc_handle, int left, int top, int right, int bottom) {
    DeviceContext* dc = kd508::platform::find_device_context(dc_handle);
    if (!dc) return FALSE;
    const Paint paint = paint_of(*dc);
    const raster::Box device_box = ordered_device_box(left, top, right, bottom);
    // On a bitmap, a rectangle without a wide pen is boxes of one colour each, kept pending;
    // a wide pen's corners are round.
    BitmapObject* bitmap = kd508::platform::target_bitmap(*dc);
    const bool pending = bitmap != nullptr && paint.pen.stroker != PenStroker::wide_stroke;
    const raster::Surface surface =
        pending ? bitmap->bits.surface() : surface_for_shape(*dc, device_box.grown(paint.pen.reach()));
    const auto fill_box = [&](const raster::Box& box, raster::Pixel colour) {
        if (pending) kd508::platform::defer_solid_box(*bitmap, box, colour);
        else raster::fill_box(surface, box, colour);
    };

    // The brush covers the box less its last column and row. With a pen that is all the
    // interior: the one-pixel edge lies on the box's first and last columns and rows. Without
    // one, the figure ends one pixel short of the box on the right and at the bottom, as GDI
    // draws it. A one-pixel edge in the brush's colour makes the whole box one colour, written
    // as one box rather than five.
    const bool one_colour =
        paint.brush_fills && paint.pen.stroker == PenStroker::thin_line && paint.pen.pixel == paint.brush_colour;
    if (one_colour) {
        fill_box(device_box, paint.brush_colour);
    } else if (paint.brush_fills) {
        fill_box(raster::Box{device_box.left, device_box.top, device_box.right - 1, device_box.bottom - 1},
                 paint.brush_colour);
    }

    if (!device_box.empty() && !one_colour) {
        const std::int64_t last_x = device_box.right - 1;
        const std::int64_t last_y = device_box.bottom - 1;
        const PenObject& pen = paint.pen;
        switch (pen.stroker) {
            case PenStroker::none:
                break;
            case PenStroker::thin_line:
                fill_box(raster::Box{device_box.left, device_box.top, device_box.right, device_box.top + 1}, pen.pixel);
                fill_box(raster::Box{device_box.left, last_y, device_box.right, device_box.bottom}, pen.pixel);
                fill_box(raster::Box{device_box.left, device_box.top, device_box.left + 1, device_box.bottom}, pen.pixel);
                fill_box(raster::Box{last_x, device_box.top, device_box.right, device_box.bottom}, pen.pixel);
                break;
            case PenStroker::wide_stroke: {
                // A wide pen is centred on the path through the edge pixels; its round ends make
                // the outer corners round.
                const raster::Point path[]{{device_box.left, device_box.top},
                                           {last_x, device_box.top},
                                           {last_x, last_y},
                                           {device_box.left, last_y}};
                raster::stroke_wide_path(surface, path, true, pen.width(), pen.pixel);
                break;
            }
        }
    }
    report_drawn(*dc, surface, device_box.grown(paint.pen.reach()),
                 [&] { return box_fingerprint(DrawingCall::rectangle, paint, device_box).value(); });
    return TRUE;
}

BOOL WINAPI Ellipse(HDC dc_handle, int left, int top, int right, int bottom) {
    DeviceContext* dc = kd508::platform::find_device_context(dc_handle);
    if (!dc) return FALSE;
    const Paint paint = paint_of(*dc);
    const raster::Box device_box = ordered_device_box(left, top, right, bottom);
    const raster::Surface surface = surface_for_shape(*dc, device_box.grown(paint.pen.reach()));
    // Boxes this thin have no inside: GDI draws them as rectangles, in the pen's colour with a
    // pen and one pixel smaller on the right and bottom without one, as Rectangle does. A box of
    // a single pixel paints nothing at all.
    const bool thin_box = device_box.width() <= thinnest_box_with_inside || device_box.height() <= thinnest_box_with_inside;
    const bool single_pixel = device_box.width() == 1 && device_box.height() == 1;

    const PenObject& pen = paint.pen;
    switch (pen.stroker) {
        case PenStroker::none:
            if (!paint.brush_fills) return TRUE;
            if (thin_box)
                raster::fill_box(surface,
                                 raster::Box{device_box.left, device_box.top, device_box.right - 1, device_box.bottom - 1},
                                 paint.brush_colour);
            else
                raster::fill_ellipse(surface, device_box, paint.brush_colour);
            break;
        case PenStroker::thin_line: {
            if (single_pixel) return TRUE;
            // The rim lies within the filled shape, so a rim in the brush's colour changes
            // nothing the fill has painted: the figure is one colour, drawn in one pass, as
            // Rectangle does.
            const bool one_colour = paint.brush_fills && pen.pixel == paint.brush_colour;
            if (paint.brush_fills && !thin_box) raster::fill_ellipse(surface, device_box, paint.brush_colour);
            if (!one_colour || thin_box) raster::outline_ellipse(surface, device_box, pen.pixel);
            break;
        }
        case PenStroker::wide_stroke:
            if (paint.brush_fills) raster::fill_ellipse(surface, device_box, paint.brush_colour);
            // Beside tall boxes three or four pixels wide, GDI also spills a few brush pixels
            // outside the band, away from the box; that is a fault rather than a rule, and is
            // left out.
            raster::stroke_wide_ellipse(surface, device_box, pen.width(), pen.pixel);
            break;
    }
    report_drawn(*dc, surface, device_box.grown(paint.pen.reach()),
                 [&] { return box_fingerprint(DrawingCall::ellipse, paint, device_box).value(); });
    return TRUE;
}

BOOL WINAPI Polygon(HDC dc_handle, const POINT* points, int count) {
    DeviceContext* dc = kd508::platform::find_device_context(dc_handle);
    // GDI refuses a polygon of fewer than two points.
    if (!dc || !points || count < 2) return FALSE;
    const Paint paint = paint_of(*dc);

    // Kept from call to call, so that drawing allocates nothing once it has held the largest
    // polygon drawn.
    thread_local std::vector<raster::Point> device_points;
    device_points.clear();
    for (int i = 0; i < count; ++i) device_points.push_back(raster::Point{points[i].x, points[i].y});
    const raster::Box device_area = device_bounds(device_points).grown(paint.pen.reach());
    const raster::Surface surface = surface_for_shape(*dc, device_area);

    if (paint.brush_fills) raster::fill_polygon_alternate(surface, device_points, paint.brush_colour);
    stroke_closed_path(surface, device_points, paint.pen);
    report_drawn(*dc, surface, device_area, [&] {
        CallFingerprint fingerprint = paint_fingerprint(DrawingCall::polygon, paint);
        fingerprint.add(static_cast<std::int64_t>(device_points.size()));
        for (const raster::Point& point : device_points) fingerprint.add(point.x).add(point.y);
        return fingerprint.value();
    });
    return TRUE;
}

BOOL WINAPI MoveToEx(HDC dc_handle, int x, int y, LPPOINT previous) {
    DeviceContext* dc = kd508::platform::find_device_context(dc_handle);
    if (!dc) return FALSE;
    if (previous) *previous = dc->position;
    dc->position = POINT{x, y};
    return TRUE;
}

BOOL WINAPI LineTo(HDC dc_handle, int x, int y) {
    DeviceContext* dc = kd508::platform::find_device_context(dc_handle);
    if (!dc) return FALSE;
    const Paint paint = paint_of(*dc);
    const PenObject& pen = paint.pen;
    const raster::Point from{dc->position.x, dc->position.y};
    const raster::Point to{x, y};
    dc->position = POINT{x, y};

    if (pen.stroker == PenStroker::none) return TRUE;
    const raster::Point ends[]{from, to};
    const raster::Box device_area = device_bounds(ends).grown(paint.pen.reach());
    const raster::Surface surface = surface_for_shape(*dc, device_area);
    if (pen.stroker == PenStroker::thin_line)
        raster::draw_thin_line(surface, from, to, pen.pixel);
    else
        raster::stroke_wide_segment(surface, from, to, pen.width(), pen.pixel);
    report_drawn(*dc, surface, device_area, [&] {
        // The brush draws nothing of a line.
        return pen_fingerprint(DrawingCall::line, pen).add(from.x).add(from.y).add(to.x).add(to.y).value();
    });
    return TRUE;
}

COLORREF WINAPI SetPixel(HDC dc_handle, int x, int y, COLORREF colour) {
    DeviceContext* dc = kd508::platform::find_device_context(dc_handle);
    if (!dc) return CLR_INVALID;
    const raster::Surface surface =
        kd508::platform::target_surface_for(*dc, raster::Box{x, y, std::int64_t{x} + 1, std::int64_t{y} + 1});
    if (!surface.contains(x, y)) return CLR_INVALID;
    const raster::Pixel pixel = kd508::platform::pixel_from_colorref(colour);
    surface.row(y)[x] = pixel;
    report_drawn(*dc, surface, raster::Box{x, y, std::int64_t{x} + 1, std::int64_t{y} + 1},
                 [&] { return CallFingerprint(DrawingCall::pixel).add(x).add(y).add(pixel).value(); });
    // The colour actually set: on a 32-bit target, the colour asked for without its flag byte.
    return kd508::platform::colorref_from_pixel(pixel);
}

COLORREF WINAPI GetPixel(HDC dc_handle, int x, int y) {
    DeviceContext* dc = kd508::platform::find_device_context(dc_handle);
    if (!dc) return CLR_INVALID;
    // A read takes a pending colour as it is, without writing the box it lies in.
    if (BitmapObject* bitmap = kd508::platform::target_bitmap(*dc)) {
        const raster::Surface surface = bitmap->bits.surface();
        if (!surface.contains(x, y)) return CLR_INVALID;
        const auto pending = kd508::platform::pending_colour_at(*bitmap, x, y);
        return kd508::platform::colorref_from_pixel(pending ? *pending : surface.row(y)[x]);
    }
    const raster::Surface surface = kd508::platform::target_surface(*dc);
    if (!surface.contains(x, y)) return CLR_INVALID;
    return kd508::platform::colorref_from_pixel(surface.row(y)[x]);
}
