// Ellipses inscribed in a box of pixels.
//
// The shape reproduces the reference's ellipse pixel for pixel. Its edge is traced from the end
// of the horizontal axis towards the top, one pixel step at a time, each step chosen by the sign
// of the ellipse's equation summed over two candidate pixels. Two quirks come with that trace and
// are kept: ties go towards the inside, and the trace ends where it first reaches the vertical
// axis, so a tall thin ellipse loses the tips of its vertical axis (a 3 x 9 box paints rows 1 to
// 7 only). A box less than three pixels wide or high has no inside to trace; it covers the whole
// box.
#pragma once

#include <cstdint>
#include <optional>

#include "geometry.h"
#include "surface.h"

namespace kd508::raster {

// The columns, first to last inclusive, that the ellipse covers on row y; none when the row
// has no pixel of it. The rows that have one are consecutive, and each row's columns are.
struct EllipseRow {
    std::int64_t first = 0;
    std::int64_t last = 0;
};
std::optional<EllipseRow> ellipse_row(const Box& box, std::int64_t y);

// The arithmetic a row is decided in. ellipse_row takes the narrowest that holds the box's
// products: 64-bit integers up to 2^15 pixels across (and a table per box size), signed 128-bit
// ones up to 2^30, unsigned 128-bit ones up to 2^32, which every box of a 32-bit drawing call
// fits, and long double beyond. All but the last are exact, and they must agree; the wider ones
// are given here so that the paths can be checked against each other.
enum class EllipseArithmetic { narrowest, wide, unsigned_wide };
std::optional<EllipseRow> ellipse_row_using(EllipseArithmetic arithmetic, const Box& box, std::int64_t y);

// Fills the ellipse's pixels. Any box is safe; the work is its rows on the surface.
void fill_ellipse(const Surface& surface, const Box& box, Pixel colour);

// Paints the one-pixel edge of the filled ellipse: its pixels with a neighbour above, below,
// left or right outside it. Drawn over fill_ellipse of the same box, it replaces the rim.
void outline_ellipse(const Surface& surface, const Box& box, Pixel colour);

}  // namespace kd508::raster
