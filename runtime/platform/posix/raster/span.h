// Horizontal runs of one colour: the step every other kernel ends in.
#pragma once

#include <cstdint>

#include "geometry.h"
#include "surface.h"

namespace kd508::raster {

// Fills x_begin..x_end-1 of row y. The caller has clipped: 0 <= y < height and
// 0 <= x_begin <= x_end <= width.
void fill_span(const Surface& surface, int y, int x_begin, int x_end, Pixel colour);

// Fills x_begin..x_end-1 of row y after clipping them to the surface; any bounds are safe.
void fill_span_clipped(const Surface& surface, std::int64_t y, std::int64_t x_begin,
                       std::int64_t x_end, Pixel colour);

// Fills the box after clipping it to the surface; the work is the pixels it covers on it.
void fill_box(const Surface& surface, const Box& box, Pixel colour);

// The rows of first..end-1 that lie on the surface, as a range to loop over.
struct RowRange {
    int begin = 0;
    int end = 0;
};
RowRange visible_rows(const Surface& surface, std::int64_t first, std::int64_t end);

}  // namespace kd508::raster
