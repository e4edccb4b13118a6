#include "span.h"

#include <algorithm>

namespace kd508::raster {

void fill_span(const Surface& surface, int y, int x_begin, int x_end, Pixel colour) {
    Pixel* row = surface.row(y);
    std::fill(row + x_begin, row + x_end, colour);
}

void fill_span_clipped(const Surface& surface, std::int64_t y, std::int64_t x_begin,
                       std::int64_t x_end, Pixel colour) {
    if (y < 0 || y >= surface.height) return;
    const std::int64_t begin = std::max<std::int64_t>(x_begin, 0);
    const std::int64_t end = std::min<std::int64_t>(x_end, surface.width);
    if (begin >= end) return;
    fill_span(surface, static_cast<int>(y), static_cast<int>(begin), static_cast<int>(end), colour);
}

void fill_box(const Surface& surface, const Box& box, Pixel colour) {
    const Box clipped = clip_to_surface(surface, box);
    for (std::int64_t y = clipped.top; y < clipped.bottom; ++y)
        fill_span(surface, static_cast<int>(y), static_cast<int>(clipped.left),
                  static_cast<int>(clipped.right), colour);
}

RowRange visible_rows(const Surface& surface, std::int64_t first, std::int64_t end) {
    const std::int64_t begin = std::max<std::int64_t>(first, 0);
    const std::int64_t stop = std::min<std::int64_t>(end, surface.height);
    if (begin >= stop) return RowRange{};
    return RowRange{static_cast<int>(begin), static_cast<int>(stop)};
}

}  // namespace kd508::raster
