// The shape operations: each corrects its arguments in its own order, logs itself while logging
// is on, and hands one DrawCommand to the renderer.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <utility>

#include "../include/kd508.h"
#include "call_echo.h"
#include "draw_command.h"
#include "palette.h"
#include "runtime_state.h"
#include "window_lifecycle.h"

namespace kd508 {

namespace {

// The absolute value, except that INT_MIN, whose magnitude no int can hold, becomes INT_MAX.
int magnitude(int value) { return value == INT_MIN ? INT_MAX : (value < 0 ? -value : value); }

int corrected_radius(int radius) {
    if (radius >= 0) return radius;
    const int corrected = magnitude(radius);
    KD508_printf("Radius of %d not possible, using radius %d\n", radius, corrected);
    return corrected;
}

int corrected_width(int width) {
    if (width >= 0) return width;
    const int corrected = magnitude(width);
    KD508_printf("Width of %d not possible, using width %d\n", width, corrected);
    return corrected;
}

// A circle's box edge may lie beyond the 32-bit range; it is held at the range's end, which is
// far outside the canvas either way.
std::int32_t saturated(std::int64_t value) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, INT_MIN, INT_MAX));
}

// Echo lines cost a formatting each; they are made only when someone reads them.
bool logging() { return echo_wanted(); }

// A command of one of the kinds given by two points, and rendered.
void render_two_points(DrawKind kind, int colour, int width, std::int32_t x1, std::int32_t y1, std::int32_t x2,
                       std::int32_t y2) {
    DrawCommand command;
    command.kind = kind;
    command.colour = colour;
    command.width = width;
    command.x1 = x1;
    command.y1 = y1;
    command.x2 = x2;
    command.y2 = y2;
    render_command(command);
}

int circle_operation(int colour, int x, int y, int radius) {
    colour = check_colour(colour);
    radius = corrected_radius(radius);
    if (logging()) {
        echo_call("%s circle at (%d,%d), radius %d\n", palette_name(colour), x, y, radius);
    }
    // Circles are always filled.
    render_two_points(draw_ellipse, colour, 0, saturated(std::int64_t{x} - radius), saturated(std::int64_t{y} + radius),
                      saturated(std::int64_t{x} + radius), saturated(std::int64_t{y} - radius));
    return 1;
}

int triangle_operation(int colour, int x1, int y1, int x2, int y2, int x3, int y3, int width) {
    colour = check_colour(colour);
    width = corrected_width(width);
    if (logging()) {
        echo_call("%s triangle at (%d,%d), (%d,%d), (%d,%d)\n", palette_name(colour), x1, y1,
                  x2, y2, x3, y3);
    }
    DrawCommand command;
    command.kind = draw_triangle;
    command.colour = colour;
    command.width = width;
    command.x1 = x1;
    command.y1 = y1;
    command.x2 = x2;
    command.y2 = y2;
    command.x3 = x3;
    command.y3 = y3;
    render_command(command);
    return 1;
}

int rectangle_operation(int colour, int x1, int y1, int x2, int y2, int width) {
    // From here on (x1, y1) is the upper-left corner and (x2, y2) the lower-right one.
    if (x1 > x2) std::swap(x1, x2);
    if (y1 < y2) std::swap(y1, y2);
    colour = check_colour(colour);
    width = corrected_width(width);
    if (logging()) {
        if (width != 0) {
            echo_call("%s rectangle with bounding box (%d,%d) to (%d,%d) with line width %d\n",
                      palette_name(colour), x1, y1, x2, y2, width);
        } else {
            echo_call("%s rectangle with bounding box (%d,%d) to (%d,%d), filled\n",
                      palette_name(colour), x1, y1, x2, y2);
        }
    }
    render_two_points(draw_rectangle, colour, width, x1, y1, x2, y2);
    return 1;
}

int line_operation(int colour, int x1, int y1, int x2, int y2, int width) {
    // The width is checked before the colour here, unlike the other shapes.
    width = corrected_width(width);
    colour = check_colour(colour);
    if (logging()) {
        echo_call("%s line from (%d,%d) to (%d,%d), width %d\n", palette_name(colour), x1, y1,
                  x2, y2, width);
    }
    // A line of width 0 is drawn one pixel wide.
    render_two_points(draw_line, colour, std::max(width, 1), x1, y1, x2, y2);
    return 1;
}

}  // namespace

}  // namespace kd508

using namespace kd508;

int KD508_circle(int colour, int x, int y, int radius) {
    return kd508::circle_operation(colour, x, y, radius);
}

int KD508_triangle(int colour, int x1, int y1, int x2, int y2, int x3, int y3, int width) {
    return kd508::triangle_operation(colour, x1, y1, x2, y2, x3, y3, width);
}

int KD508_rectangle(int colour, int x1, int y1, int x2, int y2, int width) {
    return kd508::rectangle_operation(colour, x1, y1, x2, y2, width);
}

int KD508_line(int colour, int x1, int y1, int x2, int y2, int width) {
    return kd508::line_operation(colour, x1, y1, x2, y2, width);
}

int KD508_clear(void) {
    RuntimeState& state = runtime_state();
    echo_call("Clearing the graphics window\n");
    // The canvas's own pen edges the rectangle: it is always the initial one-pixel black pen,
    // since every drawing puts back the pen it found, so the cleared canvas has a black frame.
    HBRUSH white = CreateSolidBrush(palette_colour(palette_white));
    HGDIOBJ previous_brush = SelectObject(state.canvas_surface, white);
    Rectangle(state.canvas_surface, 0, 0, canvas_width, canvas_height);
    SelectObject(state.canvas_surface, previous_brush);
    DeleteObject(white);
    state.canvas_dirty = 1;
    return 1;
}
