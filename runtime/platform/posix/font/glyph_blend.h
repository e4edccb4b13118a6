// Pixel kernels for text: a glyph's coverage blended into a surface in one colour, and the
// opaque background of a text cell. Both take positions in the surface's own pixels as 64-bit
// values, clip to the surface themselves, and touch nothing outside it.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

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

// The full-coverage pixels of a bitmap as bits: each row takes ink_mask_words(width) 64-bit
// words, column x being bit x % 64 of the row's word x / 64. Drawing from the mask visits only
// the inked pixels, and the small glyphs of ordinary text are mostly empty.
inline int ink_mask_words(int width) { return width <= 0 ? 0 : (width - 1) / 64 + 1; }
std::vector<std::uint64_t> ink_mask(const std::uint8_t* coverage, int width, int rows);

// Whether some pixel has coverage between none and full, which the ink mask cannot hold.
bool has_partial_coverage(const std::uint8_t* coverage, int width, int rows);

// Paints the colour on the pixels whose bit is set, `rows` rows of `width` columns from
// (left, top). For a bitmap without partial coverage this is what blend_coverage draws, pixel
// for pixel, and the area reported is the same: the bitmap's box clipped to the surface.
TouchedArea blend_ink_mask(const raster::Surface& surface, std::int64_t left, std::int64_t top, int width,
                           int rows, const std::uint64_t* mask, raster::Pixel colour);

// Fills the rectangle [left, right) x [top, bottom) with the colour.
TouchedArea fill_box(const raster::Surface& surface, std::int64_t left, std::int64_t top,
                     std::int64_t right, std::int64_t bottom, raster::Pixel colour);

// The smallest area holding both. Inline, as text unites the area of every glyph it draws.
inline TouchedArea united(const TouchedArea& a, const TouchedArea& b) {
    if (a.empty()) return b;
    if (b.empty()) return a;
    return TouchedArea{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                       std::max(a.bottom, b.bottom)};
}

}  // namespace kd508::font
