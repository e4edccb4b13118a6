#include "figure_drawing.h"

#include <algorithm>
#include <limits>

#include "kd508.h"

namespace bugwalk {

namespace {

// Width 0 asks the runtime to fill triangles and rectangles.
constexpr int filled = 0;

}  // namespace

int clamp_logical(Coord value) {
    constexpr Coord lowest = std::numeric_limits<int>::min();
    constexpr Coord highest = std::numeric_limits<int>::max();
    return static_cast<int>(std::clamp(value, lowest, highest));
}

void draw_circle(int colour, Coord x, Coord y, Coord radius) {
    KD508_circle(colour, clamp_logical(x), clamp_logical(y), clamp_logical(radius));
}

void draw_line(int colour, Coord x1, Coord y1, Coord x2, Coord y2, int width) {
    KD508_line(colour, clamp_logical(x1), clamp_logical(y1), clamp_logical(x2), clamp_logical(y2),
               width);
}

void draw_filled_rectangle(int colour, Coord x1, Coord y1, Coord x2, Coord y2) {
    KD508_rectangle(colour, clamp_logical(x1), clamp_logical(y1), clamp_logical(x2),
                    clamp_logical(y2), filled);
}

void draw_filled_triangle(int colour, Coord x1, Coord y1, Coord x2, Coord y2, Coord x3, Coord y3) {
    KD508_triangle(colour, clamp_logical(x1), clamp_logical(y1), clamp_logical(x2),
                   clamp_logical(y2), clamp_logical(x3), clamp_logical(y3), filled);
}

}  // namespace bugwalk
