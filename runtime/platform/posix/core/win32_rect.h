// RECT at the edge of the layer: a Win32 call's rectangle becomes a raster::Box where it comes in
// and a Box becomes a RECT where one goes back to the caller. Inside, only boxes are used.
#pragma once

#include "raster/geometry.h"
#include "win32_subset.h"

namespace kd508::platform {

constexpr raster::Box box_from_rect(const RECT& rect) { return raster::Box{rect.left, rect.top, rect.right, rect.bottom}; }

// The box must fit a RECT: every box handed back lies on a client area or a bitmap, whose sides
// are ints. An empty box goes out as the all-zero rectangle, whatever its corners were.
constexpr RECT rect_from_box(const raster::Box& box) {
    if (box.empty()) return RECT{0, 0, 0, 0};
    return RECT{static_cast<LONG>(box.left), static_cast<LONG>(box.top), static_cast<LONG>(box.right),
                static_cast<LONG>(box.bottom)};
}

}  // namespace kd508::platform
