// Points and boxes in device pixels, as the kernels take them.
#pragma once

#include <cstdint>

#include "surface.h"

namespace kd508::raster {

// 64-bit so that a caller can pass any 32-bit coordinate and its neighbours (right - 1, a
// centre plus a radius) without overflow.
struct Point {
    std::int64_t x = 0;
    std::int64_t y = 0;
};

// Right and bottom are exclusive.
struct Box {
    std::int64_t left = 0;
    std::int64_t top = 0;
    std::int64_t right = 0;
    std::int64_t bottom = 0;

    bool empty() const { return left >= right || top >= bottom; }
    std::int64_t width() const { return right - left; }
    std::int64_t height() const { return bottom - top; }
};

// The part of box that lies on the surface; empty when none does.
inline Box clip_to_surface(const Surface& surface, const Box& box) {
    Box clipped{box.left < 0 ? 0 : box.left, box.top < 0 ? 0 : box.top,
                box.right > surface.width ? surface.width : box.right,
                box.bottom > surface.height ? surface.height : box.bottom};
    if (clipped.empty()) return Box{};
    return clipped;
}

}  // namespace kd508::raster
