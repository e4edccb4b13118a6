// Shapes as values. Rectangle, Ellipse, Polygon and LineTo take the selected pen and brush into a
// ShapeCall, which is drawn at once or kept in the bitmap's journal and drawn later, a tile at a
// time (kept_drawing.h): the same call must draw the same pixels either way.
#pragma once

#include <span>

#include "core/platform_state.h"
#include "raster/geometry.h"
#include "raster/surface.h"

namespace kd508::platform {

// The call with the device context's pen and brush; its place is the caller's to fill in.
ShapeCall shape_call(const DeviceContext& dc, DrawingCall call);

// Whether the call leaves every pixel as it was: an ellipse with neither pen nor brush, or
// of a single pixel with a thin pen.
bool draws_nothing(const ShapeCall& call);

// Every pixel the call may draw, in device coordinates, beside the rounding at its edges
// (drawing_overreach). points are a polygon's.
raster::Box device_reach(const ShapeCall& call, std::span<const raster::Point> points);

// The call's fingerprint for a bitmap's journal (drawing_journal.h).
DrawingFingerprint fingerprint_of(const ShapeCall& call, std::span<const raster::Point> points);

// Draws the call on surface, whose first pixel is the device pixel at origin. With
// pending_bitmap, the solid boxes of a rectangle are kept pending on that bitmap instead
// (pending_fills.h), and surface must be its own, at origin 0, 0.
void draw_shape(const raster::Surface& surface, raster::Point origin, const ShapeCall& call,
                std::span<const raster::Point> points, BitmapObject* pending_bitmap = nullptr);

}  // namespace kd508::platform
