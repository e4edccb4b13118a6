// Ellipse outlines drawn with a pen wider than one pixel.
#pragma once

#include <cstdint>

#include "geometry.h"
#include "surface.h"

namespace kd508::raster {

// Strokes the edge of the ellipse inscribed in the box as the reference does: the pen follows
// the chain of the ellipse's own edge pixels (those fill_ellipse paints on the rim), one
// segment from each pixel to the next, each with the round ends of stroke_wide_segment. So the
// band keeps the ellipse's pixel steps, and, since the pen of an even width grows up and left of
// its path and the segments' bodies round unevenly, it is slightly thicker on some sides. Any box
// and width are safe; the work is bounded by the surface's size, not the ellipse's.
void stroke_wide_ellipse(const Surface& surface, const Box& box, std::int64_t width, Pixel colour);

}  // namespace kd508::raster
