#include "thin_line.h"

#include <algorithm>
#include <cstdint>

#include "exact_division.h"

namespace kd508::raster {
namespace {

// The steps 0..steps-1 whose major coordinate start + step * direction lies in 0..limit-1.
struct StepRange {
    std::int64_t first = 0;
    std::int64_t last = -1;  // inclusive
};

StepRange visible_steps(std::int64_t start, int direction, std::int64_t steps, int limit) {
    StepRange range;
    if (direction > 0) {
        range.first = -start;
        range.last = (limit - 1) - start;
    } else {
        range.first = start - (limit - 1);
        range.last = start;
    }
    range.first = std::max<std::int64_t>(range.first, 0);
    range.last = std::min<std::int64_t>(range.last, steps - 1);
    return range;
}

// Walks the visible steps of the major axis; Integer holds step times the minor difference.
template <typename Integer>
void walk_line(const Surface& surface, Point from, std::int64_t d_major, std::int64_t d_minor, bool x_major,
               Pixel colour) {
    const std::int64_t steps = d_major < 0 ? -d_major : d_major;
    const int direction = d_major > 0 ? 1 : -1;
    const std::int64_t major_start = x_major ? from.x : from.y;
    const std::int64_t minor_start = x_major ? from.y : from.x;
    const int major_limit = x_major ? surface.width : surface.height;
    const int minor_limit = x_major ? surface.height : surface.width;
    const StepRange range = visible_steps(major_start, direction, steps, major_limit);
    for (std::int64_t step = range.first; step <= range.last; ++step) {
        const Integer offset = round_half_down<Integer>(static_cast<Integer>(step) * d_minor, steps);
        const Integer minor = minor_start + offset;
        if (minor < 0 || minor >= minor_limit) continue;
        const std::int64_t major = major_start + step * direction;
        if (x_major) surface.row(static_cast<int>(minor))[major] = colour;
        else surface.row(static_cast<int>(major))[static_cast<std::int64_t>(minor)] = colour;
    }
}

}  // namespace

void draw_thin_line(const Surface& surface, Point from, Point to, Pixel colour) {
    const std::int64_t dx = to.x - from.x;
    const std::int64_t dy = to.y - from.y;
    const std::int64_t steps_x = dx < 0 ? -dx : dx;
    const std::int64_t steps_y = dy < 0 ? -dy : dy;
    if (steps_x == 0 && steps_y == 0) return;

    // The loop runs over the major axis only where it is on the surface; the minor coordinate
    // is computed afresh for each step, so skipping the hidden start costs nothing.
    const bool x_major = steps_x >= steps_y;
    const std::int64_t d_major = x_major ? dx : dy;
    const std::int64_t d_minor = x_major ? dy : dx;
    // The minor difference is never larger than the major one.
    if ((d_major < 0 ? -d_major : d_major) < narrow_factor_limit)
        walk_line<std::int64_t>(surface, from, d_major, d_minor, x_major, colour);
    else
        walk_line<Wide>(surface, from, d_major, d_minor, x_major, colour);
}

}  // namespace kd508::raster
