// The runtime's drawing calls for figures whose coordinates are derived from a position and a
// size unit. The derivations run in 64 bits so that no input can overflow them; the results are
// clamped into the runtime's 32-bit range, which changes nothing for any point that can be seen
// (everything visible lies within a few hundred units of the origin).
#pragma once

#include <cstdint>

namespace bugwalk {

using Coord = std::int64_t;

// The runtime's 32-bit range; values beyond it are off the canvas anyway.
int clamp_logical(Coord value);

void draw_circle(int colour, Coord x, Coord y, Coord radius);
void draw_line(int colour, Coord x1, Coord y1, Coord x2, Coord y2, int width);
void draw_filled_rectangle(int colour, Coord x1, Coord y1, Coord x2, Coord y2);
void draw_filled_triangle(int colour, Coord x1, Coord y1, Coord x2, Coord y2, Coord x3, Coord y3);

}  // namespace bugwalk
