// Horizontal runs of one colour: the step every other kernel ends in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "geometry.h"
#include "precondition.h"
#include "surface.h"

namespace kd508::raster {

// Writes count pixels of one colour from first on, with the widest stores the processor has.
void fill_run(Pixel* first, std::size_t count, Pixel colour);

// The index of the first pixel of first..first+count-1 that is not colour, or count when all
// are; and of the last such pixel, or count when all are. A copy that leaves most pixels as they
// were reads with these instead of writing.
std::size_t first_unlike(const Pixel* first, std::size_t count, Pixel colour);
std::size_t last_unlike(const Pixel* first, std::size_t count, Pixel colour);

// The index of the first pixel where a and b differ over count pixels, or count when none
// does; and of the last such pixel, or count when none does. A copy onto pixels that mostly
// hold the picture already finds the few that changed with these.
std::size_t first_mismatch(const Pixel* a, const Pixel* b, std::size_t count);
std::size_t last_mismatch(const Pixel* a, const Pixel* b, std::size_t count);

// The first of rows rows, count pixels each and stride pixels apart in a and in b, where a and b
// differ, or rows when none does: a copy goes down a column of rows that mostly match without a
// call for each.
std::size_t first_mismatching_row(const Pixel* a, std::ptrdiff_t a_stride, const Pixel* b, std::ptrdiff_t b_stride,
                                  std::size_t count, std::size_t rows);

// Runs shorter than this (the rows of small ellipses and polygons, most of a frame's calls) are
// written in place, without the call to fill_run.
inline constexpr int short_run = 16;

// The pixels a fill changed: indices begin..end-1 of its run, empty when it changed none.
struct RunChange {
    std::size_t begin = 0;
    std::size_t end = 0;

    bool empty() const { return begin >= end; }
};

RunChange fill_unlike_run(Pixel* first, std::size_t count, Pixel colour);

// Sets count pixels from first on to colour, writing only from the first pixel that was not that
// colour to the last: a picture drawn again as it was is read, not written, and the change found
// is what a copy of it has to take.
inline RunChange fill_unlike(Pixel* first, std::size_t count, Pixel colour) {
    if (count >= static_cast<std::size_t>(short_run)) return fill_unlike_run(first, count, colour);
    std::size_t begin = 0;
    while (begin < count && first[begin] == colour) ++begin;
    if (begin == count) return RunChange{};
    std::size_t end = count;
    while (first[end - 1] == colour) --end;
    for (std::size_t i = begin; i < end; ++i) first[i] = colour;
    return RunChange{begin, end};
}

// Writes a run shorter than short_run with at most four stores of four pixels, or two of two, a
// width every processor we build for has: the stores overlap rather than loop, as a run of a
// small shape is mostly a handful of pixels and a loop's steps would cost more than its stores.
static_assert(short_run <= 16, "four stores of four pixels cover every short run");
inline void fill_short_run(Pixel* first, int count, Pixel colour) {
    KD508_PRECONDITION(count >= 0 && count < short_run);
    using FourPixels = Pixel __attribute__((vector_size(4 * sizeof(Pixel))));
    using TwoPixels = Pixel __attribute__((vector_size(2 * sizeof(Pixel))));
    const FourPixels four = {colour, colour, colour, colour};
    const TwoPixels two = {colour, colour};
    Pixel* const end = first + count;
    if (count >= 8) {
        std::memcpy(first, &four, sizeof four);
        std::memcpy(first + 4, &four, sizeof four);
        std::memcpy(end - 8, &four, sizeof four);
        std::memcpy(end - 4, &four, sizeof four);
    } else if (count >= 4) {
        std::memcpy(first, &four, sizeof four);
        std::memcpy(end - 4, &four, sizeof four);
    } else if (count >= 2) {
        std::memcpy(first, &two, sizeof two);
        std::memcpy(end - 2, &two, sizeof two);
    } else if (count == 1) {
        *first = colour;
    }
}

// Writes count pixels (none when count is 0) from first on: a short run in place, a longer one
// with the widest stores.
inline void fill_pixels(Pixel* first, int count, Pixel colour) {
    KD508_PRECONDITION(count >= 0);
    if (count >= short_run) fill_run(first, static_cast<std::size_t>(count), colour);
    else fill_short_run(first, count, colour);
}

// Fills x_begin..x_end-1 of row y. The caller has clipped: 0 <= y < height and
// 0 <= x_begin <= x_end <= width.
inline void fill_span(const Surface& surface, int y, int x_begin, int x_end, Pixel colour) {
    KD508_PRECONDITION(0 <= y && y < surface.height);
    KD508_PRECONDITION(0 <= x_begin && x_begin <= x_end && x_end <= surface.width);
    fill_pixels(surface.row(y) + x_begin, x_end - x_begin, colour);
}

// Fills x_begin..x_end-1 of row y after clipping them to the surface; any bounds are safe.
inline void fill_span_clipped(const Surface& surface, std::int64_t y, std::int64_t x_begin, std::int64_t x_end,
                              Pixel colour) {
    if (y < 0 || y >= surface.height) return;  // first, so that y + 1 cannot overflow
    // The span is clipped against row y of the surface rather than all of it: the rows are
    // already known to match, and the compiler then leaves them out of the comparison.
    const Box clipped = Box{x_begin, y, x_end, y + 1}.intersected(Box{0, y, surface.width, y + 1});
    if (clipped.empty()) return;
    fill_span(surface, static_cast<int>(y), static_cast<int>(clipped.left), static_cast<int>(clipped.right), colour);
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
