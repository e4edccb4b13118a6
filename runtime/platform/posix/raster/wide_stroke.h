// Strokes wider than one pixel: centred on the path, with round ends and round joins.
#pragma once

#include <cstdint>
#include <span>

#include "geometry.h"
#include "surface.h"

namespace kd508::raster {

// Paints every pixel whose centre lies within width / 2 of the segment from a to b: a bar
// with a half-disc on each end. A centre exactly on the left or top boundary is in, one on the
// right or bottom boundary is out, so an even width covers exactly width rows of a horizontal
// segment. Any coordinates and widths are safe; the work is the segment's rows on the surface.
void stroke_wide_segment(const Surface& surface, Point a, Point b, std::int64_t width, Pixel colour);

// Strokes each segment of the path (and the closing one when closed); the round ends of
// neighbouring segments make the round joins.
void stroke_wide_path(const Surface& surface, std::span<const Point> path, bool closed,
                      std::int64_t width, Pixel colour);

}  // namespace kd508::raster
