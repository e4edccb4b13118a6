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

}  // namespace

void draw_thin_line(const Surface& surface, Point from, Point to, Pixel colour) {
    const std::int64_t dx = to.x - from.x;
    const std::int64_t dy = to.y - from.y;
    const std::int64_t steps_x = dx < 0 ? -dx : dx;
    const std::int64_t steps_y = dy < 0 ? -dy : dy;
    if (steps_x == 0 && steps_y == 0) return;

    // The loop runs over the major axis only where it is on the surface; the minor coordinate
    // is computed afresh for each step, so skipping the hidden start costs nothing.
    if (steps_x >= steps_y) {
        const int direction = dx > 0 ? 1 : -1;
        const StepRange range = visible_steps(from.x, direction, steps_x, surface.width);
        for (std::int64_t step = range.first; step <= range.last; ++step) {
            const Wide offset = round_half_down(static_cast<Wide>(step) * dy, steps_x);
            const Wide y = from.y + offset;
            if (y < 0 || y >= surface.height) continue;
            const std::int64_t x = from.x + step * direction;
            surface.row(static_cast<int>(y))[x] = colour;
        }
    } else {
        const int direction = dy > 0 ? 1 : -1;
        const StepRange range = visible_steps(from.y, direction, steps_y, surface.height);
        for (std::int64_t step = range.first; step <= range.last; ++step) {
            const Wide offset = round_half_down(static_cast<Wide>(step) * dx, steps_y);
            const Wide x = from.x + offset;
            if (x < 0 || x >= surface.width) continue;
            const std::int64_t y = from.y + step * direction;
            surface.row(static_cast<int>(y))[static_cast<std::int64_t>(x)] = colour;
        }
    }
}

}  // namespace kd508::raster
