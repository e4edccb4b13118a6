// The 24 named colours.
#pragma once

#include "../platform/win32.h"

namespace kd508 {

inline constexpr int palette_size = 24;
inline constexpr int palette_white = 1;
inline constexpr int palette_red = 2;

// An index certain to lie in 0..23; anything else is reported and replaced by red.
int check_colour(int index);
COLORREF palette_colour(int checked_index);
const char* palette_name(int checked_index);

}  // namespace kd508
