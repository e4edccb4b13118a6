// Points and boxes in device pixels: the one rectangle type of the layer's own geometry. A
// RECT is turned into a Box where it comes in through a Win32 call and back where one goes out,
// and the presenter's ClientArea is made from a Box where the layer reports a change.
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

// Right and bottom are exclusive. A box whose right is not past its left, or whose bottom is not
// below its top, is empty wherever its corners are: ask empty(), not whether it equals Box{}.
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

    // The pixels both boxes cover, empty when they share none: every clip of the layer is this.
    // It is four comparisons and nothing else, as the rasterizer clips every span with it.
    constexpr Box intersected(const Box& other) const {
        return Box{left > other.left ? left : other.left, top > other.top ? top : other.top,
                   right < other.right ? right : other.right, bottom < other.bottom ? bottom : other.bottom};
    }

    // The smallest box holding both; an empty box adds nothing.
    constexpr Box united(const Box& other) const {
        if (empty()) return other;
        if (other.empty()) return *this;
        return Box{left < other.left ? left : other.left, top < other.top ? top : other.top,
                   right > other.right ? right : other.right, bottom > other.bottom ? bottom : other.bottom};
    }

    // The box with `by` more pixels on every side; a negative `by` takes pixels away, and a box
    // shrunk past its middle is empty. Plain sums, as every shape grows its box by its pen: the
    // sides and `by` stay within 2^62, which 32-bit coordinates and pen widths always do.
    constexpr Box grown(std::int64_t by) const { return Box{left - by, top - by, right + by, bottom + by}; }

    // The same pixels dx to the right and dy down, within the same range as grown().
    constexpr Box moved(std::int64_t dx, std::int64_t dy) const {
        return Box{left + dx, top + dy, right + dx, bottom + dy};
    }

    constexpr bool operator==(const Box&) const = default;
};

// Every pixel of the surface, to clip against.
constexpr Box bounds_of(const Surface& surface) { return Box{0, 0, surface.width, surface.height}; }

}  // namespace kd508::raster
