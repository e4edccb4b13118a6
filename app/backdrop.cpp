#include "backdrop.h"

#include "figure_drawing.h"
#include "kd508.h"

namespace bugwalk {

namespace {

enum class Shape { rectangle, circle, line, caption };

// One call of the backdrop. A rectangle uses both corners and its width (0 fills); a circle its
// centre and radius; a line both ends and its width; the caption its anchor and point size.
struct BackdropShape {
    Shape shape;
    int colour;
    int x1;
    int y1;
    int x2 = 0;
    int y2 = 0;
    int width = 0;
    int radius = 0;
    int point_size = 0;
};

constexpr BackdropShape filled_rectangle(int colour, int x1, int y1, int x2, int y2) {
    return {.shape = Shape::rectangle, .colour = colour, .x1 = x1, .y1 = y1, .x2 = x2, .y2 = y2};
}
constexpr BackdropShape circle(int colour, int x, int y, int radius) {
    return {.shape = Shape::circle, .colour = colour, .x1 = x, .y1 = y, .radius = radius};
}
constexpr BackdropShape line(int colour, int x1, int y1, int x2, int y2, int width) {
    return {.shape = Shape::line, .colour = colour, .x1 = x1, .y1 = y1, .x2 = x2, .y2 = y2,
            .width = width};
}
constexpr BackdropShape caption_at(int colour, int x, int y, int point_size) {
    return {.shape = Shape::caption, .colour = colour, .x1 = x, .y1 = y, .point_size = point_size};
}

constexpr char caption[] = "Click a button to control the bug.";
constexpr int caption_point_size = 12;
constexpr int groove_width = 2;

constexpr BackdropShape backdrop_shapes[] = {
    // Sky over everything the window shows, the field below and the strip the bugs walk on.
    filled_rectangle(KD508_NAVY_BLUE, -300, -250, 300, 250),
    filled_rectangle(KD508_FOREST_GREEN, -300, -250, 300, -90),
    filled_rectangle(KD508_SEA_GREEN, -300, -95, 300, -85),
    caption_at(KD508_WHITE, -285, -220, caption_point_size),
    circle(KD508_YELLOW, 150, 187, 30),
    // Two slabs in the field, each with an arched top: a circle on the middle of its top edge.
    filled_rectangle(KD508_GRAY_20, -240, -120, -200, -170),
    circle(KD508_GRAY_20, -220, -120, 20),
    filled_rectangle(KD508_GRAY_20, -150, -120, -110, -170),
    circle(KD508_GRAY_20, -130, -120, 20),
    // Three grooves across the second slab.
    line(KD508_GRAY_50, -143, -130, -116, -130, groove_width),
    line(KD508_GRAY_50, -143, -135, -116, -135, groove_width),
    line(KD508_GRAY_50, -143, -140, -116, -140, groove_width),
    // Five tall blocks standing on the strip and reaching the top edge.
    filled_rectangle(KD508_GRAY_50, -200, -85, -100, 250),
    filled_rectangle(KD508_BROWN, -50, -85, 25, 250),
    filled_rectangle(KD508_GRAY_50, 50, -85, 100, 250),
    filled_rectangle(KD508_BROWN, 175, -85, 300, 250),
    filled_rectangle(KD508_BROWN, -300, -85, -240, 250),
};

// The two figures stand on the centre lines of the two slabs.
constexpr int first_figure_x = -220;
constexpr int second_figure_x = -130;
// The first figure's height at first_x 0, and the rise per unit of first_x as a fraction.
constexpr Coord scare_base_y = 215;
constexpr Coord rise_numerator = 5;
constexpr Coord rise_denominator = 4;
// The second figure trails the first by this much and appears once the first is this high.
constexpr Coord second_figure_drop = 200;
constexpr Coord second_figure_threshold_y = 75;

constexpr int mouth_width = 2;

void draw_backdrop_shape(const BackdropShape& s) {
    switch (s.shape) {
    case Shape::rectangle:
        KD508_rectangle(s.colour, s.x1, s.y1, s.x2, s.y2, s.width);
        break;
    case Shape::circle:
        KD508_circle(s.colour, s.x1, s.y1, s.radius);
        break;
    case Shape::line:
        KD508_line(s.colour, s.x1, s.y1, s.x2, s.y2, s.width);
        break;
    case Shape::caption:
        KD508_text(s.colour, s.x1, s.y1, s.point_size, "%s", caption);
        break;
    }
}

}  // namespace

void draw_backdrop() {
    for (const BackdropShape& shape : backdrop_shapes) {
        draw_backdrop_shape(shape);
    }
}

void draw_scare_figures(std::int32_t first_x, std::int32_t size) {
    // As slot 0 walks left from 280 to -280 the first figure climbs from -135 to 565, out of the
    // field and off the top of the window.
    const Coord fy = scare_base_y - rise_numerator * first_x / rise_denominator;
    draw_scare_figure(first_figure_x, clamp_logical(fy), size);
    if (fy >= second_figure_threshold_y) {
        draw_scare_figure(second_figure_x, clamp_logical(fy - second_figure_drop), size);
    }
}

void draw_scare_figure(std::int32_t fx_in, std::int32_t fy_in, std::int32_t s_in) {
    const Coord fx = fx_in;
    const Coord fy = fy_in;
    const Coord s = s_in;

    // A white disc over a skirt whose lower edge has three points, the middle one lowest.
    draw_circle(KD508_WHITE, fx, fy, s);
    draw_filled_triangle(KD508_WHITE, fx - s, fy, fx + s, fy, fx + s, fy - s * 5 / 2);
    draw_filled_triangle(KD508_WHITE, fx - s, fy, fx + s, fy, fx - s, fy - s * 5 / 2);
    draw_filled_triangle(KD508_WHITE, fx - s, fy, fx + s, fy, fx, fy - s * 3);
    // A black line across the disc and a black mouth below it.
    draw_line(KD508_BLACK, fx - s / 2, fy, fx + s / 2, fy, mouth_width);
    draw_circle(KD508_BLACK, fx, fy - s, s / 4);
}

}  // namespace bugwalk
