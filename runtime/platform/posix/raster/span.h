// Horizontal runs of one colour: the step every other kernel ends in.
#pragma once

#include <cstddef>
#include <cstdint>

#include "geometry.h"
#include "surface.h"

namespace kd508::raster {

// Writes count pixels of one colour from first on, with the widest stores the processor has.
void fill_run(Pixel* first, std::size_t count, Pixel colour);

// The index of the first pixel of first..first+count-1 that is not colour, or count when all
// are; and of the last such pixel, or count when all are. A copy that leaves most pixels as they
// were reads with these instead of writing.
std::size_t first_unlike(const Pixel* first, std::size_t count, Pixel colour);
std::size_t last_unlike(const Pixel* first, std::size_t count, Pixel colour);

// Runs shorter than this (the rows of small ellipses and polygons, most of a frame's calls) are
// written in place, without the call to fill_run.
inline constexpr int short_run = 16;

// Fills x_begin..x_end-1 of row y. The caller has clipped: 0 <= y < height and
// 0 <= x_begin <= x_end <= width.
inline void fill_span(const Surface& surface, int y, int x_begin, int x_end, Pixel colour) {
    Pixel* first = surface.row(y) + x_begin;
    if (x_end - x_begin >= short_run) {
        fill_run(first, static_cast<std::size_t>(x_end - x_begin), colour);
        return;
    }
    for (int x = x_begin; x < x_end; ++x) *first++ = colour;
}

// Fills x_begin..x_end-1 of row y after clipping them to the surface; any bounds are safe.
inline void fill_span_clipped(const Surface& surface, std::int64_t y, std::int64_t x_begin, std::int64_t x_end,
                              Pixel colour) {
    if (y < 0 || y >= surface.height) return;
    const std::int64_t begin = x_begin > 0 ? x_begin : 0;
    const std::int64_t end = x_end < surface.width ? x_end : surface.width;
    if (begin >= end) return;
    fill_span(surface, static_cast<int>(y), static_cast<int>(begin), static_cast<int>(end), colour);
}

// Fills the box after clipping it to the surface; the work is the pixels it covers on it.
void fill_box(const Surface& surface, const Box& box, Pixel colour);

// The rows of first..end-1 that lie on the surface, as a range to loop over.
struct RowRange {
    int begin = 0;
    int end = 0;
};
RowRange visible_rows(const Surface& surface, std::int64_t first, std::int64_t end);

}  // namespace kd508::raster
