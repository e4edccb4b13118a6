#include "span.h"

#include <algorithm>
#include <cstdint>
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

// Helpers take vectors by reference: passed by value, their layout would depend on whether the
// caller was built for wide vectors.
bool any_lane(const PixelVector& lanes) {
    std::uint64_t words[sizeof lanes / sizeof(std::uint64_t)];
    std::memcpy(words, &lanes, sizeof lanes);
    std::uint64_t any = 0;
    for (std::uint64_t word : words) any |= word;
    return any != 0;
}

void splat(PixelVector& vector, Pixel colour) {
    for (std::size_t k = 0; k < pixels_per_vector; ++k) vector[k] = colour;
}

// Whether the vector's worth of pixels from first on differs from the colour in vector.
bool differs(const Pixel* first, const PixelVector& vector) {
    PixelVector lanes;
    std::memcpy(&lanes, first, sizeof lanes);
    lanes ^= vector;
    return any_lane(lanes);
}

// Whether the vectors' worth of pixels from a and from b differ.
bool differs(const Pixel* a, const Pixel* b) {
    PixelVector lanes_a;
    PixelVector lanes_b;
    std::memcpy(&lanes_a, a, sizeof lanes_a);
    std::memcpy(&lanes_b, b, sizeof lanes_b);
    lanes_a ^= lanes_b;
    return any_lane(lanes_a);
}

// A round of vectors is compared before one branch: a row that matches, the common case, is
// read as fast as the loads can go rather than at one decision per vector. The rounds are
// unrolled by hand-placed pragmas: at the optimisation level we ship, GCC keeps the four steps as
// a loop, which costs a third more instructions than the loads and compares themselves.
inline bool round_differs(const Pixel* a, const Pixel* b) {
    PixelVector any{};
#pragma GCC unroll 4
    for (std::size_t k = 0; k < vectors_per_round; ++k) {
        PixelVector lanes_a;
        PixelVector lanes_b;
        std::memcpy(&lanes_a, a + k * pixels_per_vector, sizeof lanes_a);
        std::memcpy(&lanes_b, b + k * pixels_per_vector, sizeof lanes_b);
        any |= lanes_a ^ lanes_b;
    }
    return any_lane(any);
}

inline bool round_differs(const Pixel* first, const PixelVector& vector) {
    PixelVector any{};
#pragma GCC unroll 4
    for (std::size_t k = 0; k < vectors_per_round; ++k) {
        PixelVector lanes;
        std::memcpy(&lanes, first + k * pixels_per_vector, sizeof lanes);
        any |= lanes ^ vector;
    }
    return any_lane(any);
}

// The scans and the store are written once, inline, and each public kernel below is built with
// the processor's widest vectors around them: a call from one kernel to another would go
// through the choice of version again.
//
// Every scan goes a round of vectors at a time while the round matches, then a vector at a time.
// What is left, fewer pixels than a vector holds, is looked at as one more vector ending at the
// run's end, overlapping pixels already seen: a row that matches to its end, the common case,
// then takes no pixel-by-pixel steps. Only a vector that does not match is looked into pixel by
// pixel.
inline std::size_t scan_first_unlike(const Pixel* first, std::size_t count, Pixel colour) {
    PixelVector vector;
    splat(vector, colour);
    std::size_t index = 0;
    while (index + pixels_per_round <= count && !round_differs(first + index, vector)) index += pixels_per_round;
    while (index + pixels_per_vector <= count && !differs(first + index, vector)) index += pixels_per_vector;
    if (index + pixels_per_vector > count && count >= pixels_per_vector &&
        !differs(first + count - pixels_per_vector, vector))
        return count;
    while (index < count && first[index] == colour) ++index;
    return index;
}

inline std::size_t scan_last_unlike(const Pixel* first, std::size_t count, Pixel colour) {
    PixelVector vector;
    splat(vector, colour);
    std::size_t end = count;
    while (end >= pixels_per_round && !round_differs(first + end - pixels_per_round, vector)) end -= pixels_per_round;
    while (end >= pixels_per_vector && !differs(first + end - pixels_per_vector, vector)) end -= pixels_per_vector;
    if (end < pixels_per_vector && count >= pixels_per_vector && !differs(first, vector)) return count;
    while (end > 0 && first[end - 1] == colour) --end;
    return end == 0 ? count : end - 1;
}

inline std::size_t scan_first_mismatch(const Pixel* a, const Pixel* b, std::size_t count) {
    std::size_t index = 0;
    while (index + pixels_per_round <= count && !round_differs(a + index, b + index)) index += pixels_per_round;
    while (index + pixels_per_vector <= count && !differs(a + index, b + index)) index += pixels_per_vector;
    if (index + pixels_per_vector > count && count >= pixels_per_vector &&
        !differs(a + count - pixels_per_vector, b + count - pixels_per_vector))
        return count;
    while (index < count && a[index] == b[index]) ++index;
    return index;
}

// The stores overlap at the end rather than finishing pixel by pixel: storing a pixel twice
// with one colour costs nothing more.
inline void store_run(Pixel* first, std::size_t count, Pixel colour) {
    if (count < pixels_per_vector) {
        for (; count > 0; --count) *first++ = colour;
        return;
    }
    PixelVector vector;
    splat(vector, colour);
    Pixel* const end = first + count;
    for (; count >= pixels_per_round; count -= pixels_per_round, first += pixels_per_round)
#pragma GCC unroll 4
        for (std::size_t k = 0; k < vectors_per_round; ++k)
            std::memcpy(first + k * pixels_per_vector, &vector, sizeof vector);
    for (; count >= pixels_per_vector; count -= pixels_per_vector, first += pixels_per_vector)
        std::memcpy(first, &vector, sizeof vector);
    if (count > 0) std::memcpy(end - pixels_per_vector, &vector, sizeof vector);
}

}  // namespace

KD508_WIDE_STORES std::size_t first_unlike(const Pixel* first, std::size_t count, Pixel colour) {
    return scan_first_unlike(first, count, colour);
}

KD508_WIDE_STORES std::size_t last_unlike(const Pixel* first, std::size_t count, Pixel colour) {
    return scan_last_unlike(first, count, colour);
}

KD508_WIDE_STORES std::size_t first_mismatch(const Pixel* a, const Pixel* b, std::size_t count) {
    return scan_first_mismatch(a, b, count);
}

KD508_WIDE_STORES std::size_t last_mismatch(const Pixel* a, const Pixel* b, std::size_t count) {
    std::size_t end = count;
    while (end >= pixels_per_round && !round_differs(a + end - pixels_per_round, b + end - pixels_per_round))
        end -= pixels_per_round;
    while (end >= pixels_per_vector && !differs(a + end - pixels_per_vector, b + end - pixels_per_vector))
        end -= pixels_per_vector;
    if (end < pixels_per_vector && count >= pixels_per_vector && !differs(a, b)) return count;
    while (end > 0 && a[end - 1] == b[end - 1]) --end;
    return end == 0 ? count : end - 1;
}

KD508_WIDE_STORES std::size_t first_mismatching_row(const Pixel* a, std::ptrdiff_t a_stride, const Pixel* b,
                                                    std::ptrdiff_t b_stride, std::size_t count, std::size_t rows) {
    for (std::size_t row = 0; row < rows; ++row, a += a_stride, b += b_stride)
        if (scan_first_mismatch(a, b, count) < count) return row;
    return rows;
}

KD508_WIDE_STORES void fill_run(Pixel* first, std::size_t count, Pixel colour) { store_run(first, count, colour); }

KD508_WIDE_STORES RunChange fill_unlike_run(Pixel* first, std::size_t count, Pixel colour) {
    const std::size_t begin = scan_first_unlike(first, count, colour);
    if (begin == count) return RunChange{};
    const std::size_t end = scan_last_unlike(first, count, colour) + 1;
    store_run(first + begin, end - begin, colour);
    return RunChange{begin, end};
}

// Rows that take up to this many stores before their last one jump into a run of stores instead
// of looping over them.
constexpr std::size_t widest_unrolled_row = 16;

// Writes count pixels of one colour from first on in each of rows rows, stride pixels apart: the
// rows of a box in one call to the widest stores, rather than one call for each row. The boxes a
// frame writes are mostly a few vectors wide and a few dozen rows high, so the plan of a row (its
// stores a vector apart and a last one that ends at the row's end) is made once for the box: a
// row then costs its stores, where working out each row's rounds and tail again cost more. Rows
// are at least a vector wide: narrower boxes are written in place by fill_box.
KD508_WIDE_STORES void fill_rows(Pixel* first, std::ptrdiff_t stride, std::size_t count, std::size_t rows,
                                 Pixel colour) {
    KD508_PRECONDITION(count >= pixels_per_vector);
    PixelVector vector;
    splat(vector, colour);
    const std::size_t last_store = count - pixels_per_vector;
    const std::size_t stores_before_last = (count - 1) / pixels_per_vector;
    const auto store = [&vector](Pixel* at) { std::memcpy(at, &vector, sizeof vector); };
    if (stores_before_last < widest_unrolled_row) {
        // Each row jumps to the same place in the stores: the processor learns where from the
        // first row, where a loop over the stores would leave it guessing at each row's end.
        for (; rows > 0; --rows, first += stride) {
            switch (stores_before_last) {
                case 15: store(first + 14 * pixels_per_vector); [[fallthrough]];
                case 14: store(first + 13 * pixels_per_vector); [[fallthrough]];
                case 13: store(first + 12 * pixels_per_vector); [[fallthrough]];
                case 12: store(first + 11 * pixels_per_vector); [[fallthrough]];
                case 11: store(first + 10 * pixels_per_vector); [[fallthrough]];
                case 10: store(first + 9 * pixels_per_vector); [[fallthrough]];
                case 9: store(first + 8 * pixels_per_vector); [[fallthrough]];
                case 8: store(first + 7 * pixels_per_vector); [[fallthrough]];
                case 7: store(first + 6 * pixels_per_vector); [[fallthrough]];
                case 6: store(first + 5 * pixels_per_vector); [[fallthrough]];
                case 5: store(first + 4 * pixels_per_vector); [[fallthrough]];
                case 4: store(first + 3 * pixels_per_vector); [[fallthrough]];
                case 3: store(first + 2 * pixels_per_vector); [[fallthrough]];
                case 2: store(first + 1 * pixels_per_vector); [[fallthrough]];
                case 1: store(first); [[fallthrough]];
                default: break;
            }
            store(first + last_store);
        }
        return;
    }
    for (; rows > 0; --rows, first += stride) {
        for (std::size_t index = 0; index < last_store; index += pixels_per_vector) store(first + index);
        store(first + last_store);
    }
}

void fill_box(const Surface& surface, const Box& box, Pixel colour) {
    const Box clipped = box.intersected(bounds_of(surface));
    if (clipped.empty()) return;
    Pixel* const first = surface.row(static_cast<int>(clipped.top)) + clipped.left;
    const auto count = static_cast<std::size_t>(clipped.width());
    const auto rows = static_cast<std::size_t>(clipped.height());
    static_assert(short_run >= pixels_per_vector, "fill_rows takes rows of a vector or more");
    if (count < static_cast<std::size_t>(short_run)) {
        for (std::size_t row = 0; row < rows; ++row)
            fill_short_run(first + static_cast<std::ptrdiff_t>(row) * surface.stride, static_cast<int>(count), colour);
        return;
    }
    fill_rows(first, surface.stride, count, rows, colour);
}

RowRange visible_rows(const Surface& surface, std::int64_t first, std::int64_t end) {
    // The rows are those of a box as wide as the surface; one with no columns has none.
    const Box rows = Box{0, first, surface.width, end}.intersected(bounds_of(surface));
    if (rows.empty()) return RowRange{};
    return RowRange{static_cast<int>(rows.top), static_cast<int>(rows.bottom)};
}

}  // namespace kd508::raster
