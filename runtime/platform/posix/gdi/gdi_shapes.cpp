// Rectangle, Ellipse, Polygon, MoveToEx/LineTo, SetPixel and GetPixel: each call is taken into a
// value (shape_call.h), which a journaled bitmap may keep for later (kept_drawing.h) and which is
// otherwise drawn at once.

#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include "device_context.h"
#include "kept_drawing.h"
#include "pending_fills.h"
#include "shape_call.h"

using kd508::platform::BitmapObject;
using kd508::platform::DeviceContext;
using kd508::platform::DrawingCall;
using kd508::platform::ShapeCall;
namespace raster = kd508::raster;

namespace {

// The box with its corners in order, as GDI takes reversed rectangles.
raster::Box ordered_device_box(int left, int top, int right, int bottom) {
    raster::Box box{left, top, right, bottom};
    if (box.left > box.right) std::swap(box.left, box.right);
    if (box.top > box.bottom) std::swap(box.top, box.bottom);
    return box;
}

// Draws the call, or keeps it in the journal of the bitmap it is drawn on, and tells the device
// context's owner which pixels may have changed, and by which call: every shape sets the pixels
// it covers to the pen's or the brush's colour, whatever they held.
[[gnu::always_inline]] inline void draw(DeviceContext& dc, const ShapeCall& call,
                                        std::span<const raster::Point> points = {}) {
    if (kd508::platform::draws_nothing(call)) return;
    const raster::Box device_area = kd508::platform::device_reach(call, points);
    if (kd508::platform::keep_shape(dc, call, points, device_area)) return;
    // A rectangle on a bitmap is kept as pending boxes, which need nothing written first but
    // the calls kept under them.
    BitmapObject* bitmap = kd508::platform::target_bitmap(dc);
    BitmapObject* pending_bitmap =
        call.call == DrawingCall::rectangle && call.pen.stroker != kd508::platform::PenStroker::wide_stroke ? bitmap
                                                                                                          : nullptr;
    const raster::Box drawn_area = device_area.grown(kd508::platform::drawing_overreach);
    if (pending_bitmap) kd508::platform::draw_kept_calls(dc, drawn_area);
    const raster::Surface surface =
        pending_bitmap ? pending_bitmap->bits.surface() : kd508::platform::target_surface_for(dc, drawn_area);
    kd508::platform::draw_shape(surface, {0, 0}, call, points, pending_bitmap);
    const raster::Box clipped = device_area.intersected(raster::bounds_of(surface));
    if (clipped.empty()) return;
    kd508::platform::note_drawn_by(dc, clipped, [&] { return kd508::platform::fingerprint_of(call, points); });
}

}  // namespace

BOOL WINAPI Rectangle(HDC dc_handle, int left, int top, int right, int bottom) {
    DeviceContext* dc = kd508::platform::find_device_context(dc_handle);
    if (!dc) return FALSE;
    ShapeCall call = kd508::platform::shape_call(*dc, DrawingCall::rectangle);
    call.device_box = ordered_device_box(left, top, right, bottom);
    draw(*dc, call);
    return TRUE;
}

BOOL WINAPI Ellipse(HDC dc_handle, int left, int top, int right, int bottom) {
    DeviceContext* dc = kd508::platform::find_device_context(dc_handle);
    if (!dc) return FALSE;
    ShapeCall call = kd508::platform::shape_call(*dc, DrawingCall::ellipse);
    call.device_box = ordered_device_box(left, top, right, bottom);
    draw(*dc, call);
    return TRUE;
}

BOOL WINAPI Polygon(HDC dc_handle, const POINT* points, int count) {
    DeviceContext* dc = kd508::platform::find_device_context(dc_handle);
    // GDI refuses a polygon of fewer than two points.
    if (!dc || !points || count < 2) return FALSE;
    // Kept from call to call, so that drawing allocates nothing once it has held the largest
    // polygon drawn.
    thread_local std::vector<raster::Point> device_points;
    device_points.clear();
    for (int i = 0; i < count; ++i) device_points.push_back(raster::Point{points[i].x, points[i].y});
    draw(*dc, kd508::platform::shape_call(*dc, DrawingCall::polygon), device_points);
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
    ShapeCall call = kd508::platform::shape_call(*dc, DrawingCall::line);
    call.from = raster::Point{dc->position.x, dc->position.y};
    call.to = raster::Point{x, y};
    dc->position = POINT{x, y};
    if (call.pen.stroker == kd508::platform::PenStroker::none) return TRUE;
    draw(*dc, call);
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
    kd508::platform::note_drawn_by(*dc, raster::Box{x, y, std::int64_t{x} + 1, std::int64_t{y} + 1}, [&] {
        return kd508::platform::CallFingerprint(DrawingCall::pixel).add(x).add(y).add(pixel).value();
    });
    // The colour actually set: on a 32-bit target, the colour asked for without its flag byte.
    return kd508::platform::colorref_from_pixel(pixel);
}

COLORREF WINAPI GetPixel(HDC dc_handle, int x, int y) {
    DeviceContext* dc = kd508::platform::find_device_context(dc_handle);
    if (!dc) return CLR_INVALID;
    // A read takes a pending colour as it is, without writing the box it lies in; the calls
    // kept over the pixel are drawn first.
    if (BitmapObject* bitmap = kd508::platform::target_bitmap(*dc)) {
        kd508::platform::draw_kept_calls(*dc, raster::Box{x, y, std::int64_t{x} + 1, std::int64_t{y} + 1});
        const raster::Surface surface = bitmap->bits.surface();
        if (!surface.contains(x, y)) return CLR_INVALID;
        const auto pending = kd508::platform::pending_colour_at(*bitmap, x, y);
        return kd508::platform::colorref_from_pixel(pending ? *pending : surface.row(y)[x]);
    }
    const raster::Surface surface = kd508::platform::target_surface(*dc);
    if (!surface.contains(x, y)) return CLR_INVALID;
    return kd508::platform::colorref_from_pixel(surface.row(y)[x]);
}
