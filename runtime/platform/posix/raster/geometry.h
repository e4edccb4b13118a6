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

inline bool overlaps(const Box& a, const Box& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// Whether every pixel of inner lies in outer.
inline bool contains(const Box& outer, const Box& inner) {
    return outer.left <= inner.left && outer.top <= inner.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

// The pixels both boxes cover; an empty box when there are none.
inline Box intersection(const Box& a, const Box& b) {
    if (!overlaps(a, b)) return Box{};
    return Box{a.left > b.left ? a.left : b.left, a.top > b.top ? a.top : b.top,
               a.right < b.right ? a.right : b.right, a.bottom < b.bottom ? a.bottom : b.bottom};
}

// The smallest box holding both; an empty box adds nothing.
inline Box united(const Box& a, const Box& b) {
    if (a.empty()) return b;
    if (b.empty()) return a;
    return Box{a.left < b.left ? a.left : b.left, a.top < b.top ? a.top : b.top,
               a.right > b.right ? a.right : b.right, a.bottom > b.bottom ? a.bottom : b.bottom};
}

// The box with `by` more pixels on every side.
inline Box grown(const Box& box, std::int64_t by) {
    return Box{box.left - by, box.top - by, box.right + by, box.bottom + by};
}

// The part of box that lies on the surface; empty when none does.
inline Box clip_to_surface(const Surface& surface, const Box& box) {
    Box clipped{box.left < 0 ? 0 : box.left, box.top < 0 ? 0 : box.top,
                box.right > surface.width ? surface.width : box.right,
                box.bottom > surface.height ? surface.height : box.bottom};
    if (clipped.empty()) return Box{};
    return clipped;
}

}  // namespace kd508::raster
