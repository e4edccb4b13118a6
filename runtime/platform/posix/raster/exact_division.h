// Integer division with a chosen rounding, on 128-bit intermediates.
//
// Coordinates reach 33 bits once two 32-bit values are subtracted, so the product of two such
// differences needs more than 64 bits. The kernels form those products here and never in
// floating point where a pixel decision depends on the exact result.
#pragma once

#include <cstdint>

namespace kd508::raster {

using Wide = __int128;

// Largest integer not above n / d; d must not be zero.
constexpr Wide floor_div(Wide n, Wide d) {
    Wide q = n / d;
    if ((n % d != 0) && ((n < 0) != (d < 0))) --q;
    return q;
}

// Smallest integer not below n / d; d must not be zero.
constexpr Wide ceil_div(Wide n, Wide d) {
    Wide q = n / d;
    if ((n % d != 0) && ((n < 0) == (d < 0))) ++q;
    return q;
}

// n / d rounded to the nearest integer, an exact half going to the smaller one; d > 0.
constexpr Wide round_half_down(Wide n, Wide d) { return ceil_div(2 * n - d, 2 * d); }

}  // namespace kd508::raster
