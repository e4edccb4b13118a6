// Points and boxes in device pixels: the one rectangle type of the layer's own geometry. A
// RECT is turned into a Box where it comes in through a Win32 call and back where one goes out,
// and the presenter's ClientArea is made from a Box where the layer reports a change.
#pragma once

#include <cstdint>
#include <limits>

#include "surface.h"

namespace kd508::raster {

// 64-bit so that a caller can pass any 32-bit coordinate and its neighbours (right - 1, a
// centre plus a radius) without overflow.
struct Point {
    std::int64_t x = 0;
    std::int64_t y = 0;
};

// a + b, held at the nearest end of the 64-bit range instead of wrapping: a box grown or moved
// past the range keeps its order rather than turning inside out.
constexpr std::int64_t saturated_sum(std::int64_t a, std::int64_t b) {
    std::int64_t sum = 0;
    if (!__builtin_add_overflow(a, b, &sum)) return sum;
    return b > 0 ? std::numeric_limits<std::int64_t>::max() : std::numeric_limits<std::int64_t>::min();
}

// Right and bottom are exclusive. Every operation that can find no pixels returns Box{}, so
// that an empty result compares equal whatever produced it.
struct Box {
    std::int64_t left = 0;
    std::int64_t top = 0;
    std::int64_t right = 0;
    std::int64_t bottom = 0;

    constexpr bool empty() const { return left >= right || top >= bottom; }
    constexpr std::int64_t width() const { return right - left; }
    constexpr std::int64_t height() const { return bottom - top; }

    // Whether some pixel lies in both boxes.
    constexpr bool overlaps(const Box& other) const {
        return left < other.right && other.left < right && top < other.bottom && other.top < bottom;
    }

    // Whether every pixel of inner lies in this box.
    constexpr bool contains(const Box& inner) const {
        return left <= inner.left && top <= inner.top && inner.right <= right && inner.bottom <= bottom;
    }

    // The pixels both boxes cover: every clip of the layer is this.
    constexpr Box intersected(const Box& other) const {
        const Box both{left > other.left ? left : other.left, top > other.top ? top : other.top,
                       right < other.right ? right : other.right, bottom < other.bottom ? bottom : other.bottom};
        return both.empty() ? Box{} : both;
    }

    // The smallest box holding both; an empty box adds nothing.
    constexpr Box united(const Box& other) const {
        if (empty()) return other;
        if (other.empty()) return *this;
        return Box{left < other.left ? left : other.left, top < other.top ? top : other.top,
                   right > other.right ? right : other.right, bottom > other.bottom ? bottom : other.bottom};
    }

    // The box with `by` more pixels on every side; a negative `by` takes pixels away, and a box
    // shrunk past its middle is empty.
    constexpr Box grown(std::int64_t by) const {
        const std::int64_t less = by == std::numeric_limits<std::int64_t>::min()
                                      ? std::numeric_limits<std::int64_t>::max()
                                      : -by;
        const Box wider{saturated_sum(left, less), saturated_sum(top, less), saturated_sum(right, by),
                        saturated_sum(bottom, by)};
        return wider.empty() ? Box{} : wider;
    }

    // The same pixels dx to the right and dy down.
    constexpr Box moved(std::int64_t dx, std::int64_t dy) const {
        return Box{saturated_sum(left, dx), saturated_sum(top, dy), saturated_sum(right, dx),
                   saturated_sum(bottom, dy)};
    }

    constexpr bool operator==(const Box&) const = default;
};

// Every pixel of the surface, to clip against.
constexpr Box bounds_of(const Surface& surface) { return Box{0, 0, surface.width, surface.height}; }

}  // namespace kd508::raster
