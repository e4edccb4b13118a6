// One-pixel lines.
#pragma once

#include "geometry.h"
#include "surface.h"

namespace kd508::raster {

// Paints the pixels of the line from `from` towards `to`: the first pixel and never the last
// one, so that lines drawn end to end paint each joint once. Along the major axis every pixel
// is visited; the other coordinate is the exact one rounded to the nearest pixel, an exact half
// going to the smaller coordinate. A line of no length paints nothing. Any coordinates are safe;
// the work is bounded by the surface's width or height, whatever the line's length.
void draw_thin_line(const Surface& surface, Point from, Point to, Pixel colour);

}  // namespace kd508::raster
