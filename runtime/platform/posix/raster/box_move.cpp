#include "box_move.h"

#include <cstddef>
#include <cstring>

namespace kd508::raster {

Box move_box(const Surface& surface, const Box& source, std::int64_t dx, std::int64_t dy) {
    const Box on_surface = bounds_of(surface);
    const Box landed = source.intersected(on_surface).moved(dx, dy).intersected(on_surface);
    if (landed.empty()) return Box{};
    const auto bytes = static_cast<std::size_t>(landed.width()) * sizeof(Pixel);
    const auto from_x = landed.left - dx;
    const auto rows = static_cast<int>(landed.height());
    // A move down reads each row before the rows above it are written over it, so it goes from
    // the bottom up; any other goes from the top down. memmove lets a row overlap itself.
    for (int i = 0; i < rows; ++i) {
        const auto y = static_cast<int>(dy > 0 ? landed.bottom - 1 - i : landed.top + i);
        std::memmove(surface.row(y) + landed.left, surface.row(static_cast<int>(y - dy)) + from_x, bytes);
    }
    return landed;
}

}  // namespace kd508::raster
