// Ellipses inscribed in a box of pixels.
//
// The ellipse passes a quarter pixel beyond the centres of the box's outermost pixels, so it
// touches all four sides of its box and is symmetric about the box's centre; the quarter keeps
// small circles round (a 5-pixel box gives rows of 3, 5, 5, 5 and 3 pixels, not a diamond) while a 3-pixel
// box still gives a plus of five pixels. A box less than two pixels wide or high paints nothing.
#pragma once

#include <cstdint>

#include "geometry.h"
#include "surface.h"

namespace kd508::raster {

// Fills the ellipse's pixels. Any box is safe; the work is its rows on the surface.
void fill_ellipse(const Surface& surface, const Box& box, Pixel colour);

// Paints the one-pixel edge of the filled ellipse: its pixels with a neighbour above, below,
// left or right outside it. Drawn over fill_ellipse of the same box, it replaces the rim.
void outline_ellipse(const Surface& surface, const Box& box, Pixel colour);

// Paints a band of the given width centred on the ellipse's edge.
void stroke_ellipse(const Surface& surface, const Box& box, std::int64_t width, Pixel colour);

}  // namespace kd508::raster
