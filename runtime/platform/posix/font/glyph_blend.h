// Pixel kernels for text: a glyph's coverage blended into a surface in one colour, and the
// opaque background of a text cell. Both take positions in the surface's own pixels as 64-bit
// values, clip to the surface themselves, and touch nothing outside it.
#pragma once

#include <cstdint>

#include "raster/surface.h"

namespace kd508::font {

// A clipped rectangle of the surface, right and bottom exclusive; empty when nothing was touched.
struct TouchedArea {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool empty() const { return right <= left || bottom <= top; }
};

// Blends `rows` rows of `width` coverage bytes whose top-left lies at (left, top). Full coverage
// paints the colour, none leaves the pixel, and values between mix the two in proportion.
TouchedArea blend_coverage(const raster::Surface& surface, std::int64_t left, std::int64_t top,
                           const std::uint8_t* coverage, int width, int rows, raster::Pixel colour);

// Fills the rectangle [left, right) x [top, bottom) with the colour.
TouchedArea fill_box(const raster::Surface& surface, std::int64_t left, std::int64_t top,
                     std::int64_t right, std::int64_t bottom, raster::Pixel colour);

// The smallest area holding both.
TouchedArea united(const TouchedArea& a, const TouchedArea& b);

}  // namespace kd508::font
