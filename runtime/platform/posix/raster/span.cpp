#include "span.h"

#include <algorithm>
#include <cstring>

namespace kd508::raster {
namespace {

// Runs are written a vector of pixels to a store: the compilers we build with leave a loop of
// 32-bit stores as it is at the optimisation level we ship, so the colour is put in a vector (an
// extension both GCC and Clang have) and stored four times per round. On x86-64 a second version
// for processors with 32-byte stores is chosen when the program loads; the frame's backdrop
// alone covers the canvas twice, so these stores are most of a frame's cost.
using PixelVector = Pixel __attribute__((vector_size(32)));
constexpr std::size_t pixels_per_vector = sizeof(PixelVector) / sizeof(Pixel);
constexpr std::size_t vectors_per_round = 4;
constexpr std::size_t pixels_per_round = pixels_per_vector * vectors_per_round;

#if defined(__x86_64__) && defined(__has_attribute)
#if __has_attribute(target_clones)
#define KD508_WIDE_STORES __attribute__((target_clones("avx2", "default")))
#endif
#endif
#ifndef KD508_WIDE_STORES
#define KD508_WIDE_STORES
#endif

}  // namespace

KD508_WIDE_STORES void fill_run(Pixel* first, std::size_t count, Pixel colour) {
    PixelVector vector;
    for (std::size_t k = 0; k < pixels_per_vector; ++k) vector[k] = colour;
    for (; count >= pixels_per_round; count -= pixels_per_round, first += pixels_per_round)
        for (std::size_t k = 0; k < vectors_per_round; ++k)
            std::memcpy(first + k * pixels_per_vector, &vector, sizeof vector);
    for (; count >= pixels_per_vector; count -= pixels_per_vector, first += pixels_per_vector)
        std::memcpy(first, &vector, sizeof vector);
    for (; count > 0; --count) *first++ = colour;
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
