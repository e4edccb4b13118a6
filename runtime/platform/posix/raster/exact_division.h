// Integer division with a chosen rounding, on 128-bit or, where the operands allow, 64-bit
// intermediates.
//
// Coordinates reach 33 bits once two 32-bit values are subtracted, so the product of two such
// differences needs more than 64 bits. The kernels form those products here and never in
// floating point where a pixel decision depends on the exact result. Shapes on a surface have
// differences far below 2^31, whose products fit in 64 bits; the kernels use the narrow type
// then, which is several times faster than the 128-bit division, and the same result.
#pragma once

#include <cstdint>

#include "precondition.h"

namespace kd508::raster {

using Wide = __int128;

// Both factors below this size make a product, doubled, that fits in 64 bits.
inline constexpr std::int64_t narrow_factor_limit = std::int64_t{1} << 31;

// Largest integer not above n / d; d must not be zero.
template <typename Integer>
constexpr Integer floor_div(Integer n, Integer d) {
    KD508_PRECONDITION(d != 0);
    Integer q = n / d;
    if ((n % d != 0) && ((n < 0) != (d < 0))) --q;
    return q;
}

// Smallest integer not below n / d; d must not be zero.
template <typename Integer>
constexpr Integer ceil_div(Integer n, Integer d) {
    KD508_PRECONDITION(d != 0);
    Integer q = n / d;
    if ((n % d != 0) && ((n < 0) == (d < 0))) ++q;
    return q;
}

// n / d rounded to the nearest integer, an exact half going to the smaller one; d > 0.
template <typename Integer>
constexpr Integer round_half_down(Integer n, Integer d) {
    KD508_PRECONDITION(d > 0);
    return ceil_div<Integer>(2 * n - d, 2 * d);
}

}  // namespace kd508::raster
