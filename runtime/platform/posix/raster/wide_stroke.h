// Strokes wider than one pixel: centred on the path, with round ends and round joins.
#pragma once

#include <cstdint>
#include <span>

#include "geometry.h"
#include "surface.h"

namespace kd508::raster {

// Paints the segment from a to b as the reference strokes it: the ellipse of the width-square
// box at each end (an even width grows up and left of the end point) and, between them, the
// quadrilateral of the end points moved half the width either way along the normal, rounded to
// whole pixels outwards on the side towards +x and to the nearest pixel on the other. Any
// coordinates and widths are safe; the work is the segment's rows on the surface.
void stroke_wide_segment(const Surface& surface, Point a, Point b, std::int64_t width, Pixel colour);

// How stroke_wide_segment finds its pixels: from the runs recorded for the segment's shape, drawn
// once (the default), or drawn directly every time. Both paint the same pixels; the direct way is
// given here so that the two can be checked against each other.
enum class StrokeMethod { recorded, direct };
void stroke_wide_segment_using(StrokeMethod method, const Surface& surface, Point a, Point b, std::int64_t width,
                               Pixel colour);

// Whether the round end the pen paints at `end` covers every pixel of the surface.
bool pen_end_covers_surface(const Surface& surface, Point end, std::int64_t width);

// Strokes each segment of the path (and the closing one when closed); the round ends of
// neighbouring segments make the round joins.
void stroke_wide_path(const Surface& surface, std::span<const Point> path, bool closed,
                      std::int64_t width, Pixel colour);

}  // namespace kd508::raster
