#include "bug_figures.h"

#include "figure_drawing.h"
#include "kd508.h"

namespace bugwalk {

namespace {

constexpr int limb_width = 2;
constexpr double head_height_per_unit = 4.5;

}  // namespace

std::int64_t bug_head_y(std::int32_t y, std::int32_t s) {
    // Both terms are exact in double and the sum stays far inside 64 bits, so the truncating
    // conversion is always defined.
    return static_cast<std::int64_t>(static_cast<double>(y) + s * head_height_per_unit);
}

bool is_odd_pose(std::int32_t step_count) { return step_count % 2 != 0; }

void draw_bug(std::int32_t x, std::int32_t y, std::int32_t s, std::int32_t color,
              std::int32_t scared, std::int32_t step_count) {
    if (scared != 0) {
        draw_scared_bug(x, y, s, color, step_count);
    } else {
        draw_walking_bug(x, y, s, color, step_count);
    }
}

// Every fraction of s below is integer arithmetic, multiplication before division, truncating
// toward zero: s * 5 / 3 is (5 × s) / 3.
void draw_walking_bug(std::int32_t x_in, std::int32_t y, std::int32_t s_in, std::int32_t color,
                      std::int32_t step_count) {
    const Coord x = x_in;
    const Coord s = s_in;
    const Coord b = bug_head_y(y, s_in);
    const bool odd = is_odd_pose(step_count);

    // Head with its feeler, eye and mouth; the eye and mouth look to the left, where it walks.
    draw_circle(color, x, b, s);
    draw_line(KD508_BLACK, x, b + s, x, b + s * 5 / 3, limb_width);
    draw_circle(KD508_BLACK, x, b + s * 5 / 3, s / 4);
    draw_circle(KD508_WHITE, x - s / 2, b + s / 4, s / 3);
    draw_circle(KD508_BLACK, x - s * 5 / 8, b + s / 4, s / 5);
    draw_line(KD508_BLACK, x - s * 5 / 8, b - s / 2, x - s / 4, b - s / 2, limb_width);

    // Neck and body.
    draw_filled_rectangle(color, x - s / 4, b - s * 5 / 4, x + s / 4, b - s * 7 / 8);
    draw_circle(color, x, b - s * 23 / 12, s * 3 / 4);

    // The front leg: bent forward in the odd pose, straight back in the even one.
    if (odd) {
        draw_line(KD508_BLACK, x + s / 4, b - s * 31 / 12, x + s / 4, b - s * 13 / 4, limb_width);
        draw_line(KD508_BLACK, x + s / 4, b - s * 13 / 4, x + s * 5 / 6, b - s * 17 / 4,
                  limb_width);
        draw_circle(KD508_BLACK, x + s * 5 / 6, b - s * 17 / 4, s / 6);
    } else {
        draw_line(KD508_BLACK, x + s / 4, b - s * 31 / 12, x - s / 4, b - s * 17 / 4, limb_width);
        draw_circle(KD508_BLACK, x - s / 4, b - s * 17 / 4, s / 6);
    }

    // The other leg is the same in both poses.
    draw_line(KD508_BLACK, x, b - s * 31 / 12, x - s / 2, b - s * 13 / 4, limb_width);
    draw_line(KD508_BLACK, x - s / 2, b - s * 13 / 4, x + s / 4, b - s * 17 / 4, limb_width);
    draw_circle(KD508_BLACK, x + s / 4, b - s * 17 / 4, s / 6);

    // The arm swings to the right in the odd pose and to the left in the even one.
    const Coord hand_x = odd ? x + s * 4 / 3 : x - s * 4 / 3;
    draw_line(KD508_BLACK, x, b - s * 19 / 12, hand_x, b - s * 2, limb_width);
    draw_circle(KD508_BLACK, hand_x, b - s * 2, s / 6);
}

void draw_scared_bug(std::int32_t x_in, std::int32_t y, std::int32_t s_in, std::int32_t color,
                     std::int32_t step_count) {
    const Coord x = x_in;
    const Coord s = s_in;
    const Coord b = bug_head_y(y, s_in);
    const bool odd = is_odd_pose(step_count);

    // Head with two feelers, two wide eyes and an open mouth.
    draw_circle(color, x, b, s);
    draw_line(KD508_BLACK, x, b + s, x - s / 2, b + s * 5 / 3, limb_width);
    draw_circle(KD508_BLACK, x - s / 2, b + s * 5 / 3, s / 4);
    draw_line(KD508_BLACK, x, b + s, x + s / 2, b + s * 5 / 3, limb_width);
    draw_circle(KD508_BLACK, x + s / 2, b + s * 5 / 3, s / 4);
    draw_circle(KD508_WHITE, x - s / 3, b + s / 4, s / 3);
    draw_circle(KD508_WHITE, x + s / 3, b + s / 4, s / 3);
    draw_circle(KD508_BLACK, x - s / 3, b + s / 4, s / 6);
    draw_circle(KD508_BLACK, x + s / 3, b + s / 4, s / 6);
    draw_circle(KD508_BLACK, x, b - s / 2, s / 8);

    // Neck and body.
    draw_filled_rectangle(color, x - s / 4, b - s * 5 / 4, x + s / 4, b - s * 7 / 8);
    draw_circle(color, x, b - s * 23 / 12, s * 3 / 4);

    if (odd) {
        // Legs spread wide.
        draw_line(KD508_BLACK, x - s / 4, b - s * 31 / 12, x - s, b - s * 17 / 4, limb_width);
        draw_circle(KD508_BLACK, x - s, b - s * 17 / 4, s / 6);
        draw_line(KD508_BLACK, x + s / 4, b - s * 31 / 12, x + s, b - s * 17 / 4, limb_width);
        draw_circle(KD508_BLACK, x + s, b - s * 17 / 4, s / 6);
    } else {
        // Legs bent at the knees and crossed below them.
        draw_line(KD508_BLACK, x - s / 4, b - s * 31 / 12, x - s / 2, b - s * 13 / 4, limb_width);
        draw_line(KD508_BLACK, x - s / 2, b - s * 13 / 4, x + s / 4, b - s * 17 / 4, limb_width);
        draw_circle(KD508_BLACK, x + s / 4, b - s * 17 / 4, s / 6);
        draw_line(KD508_BLACK, x + s / 4, b - s * 31 / 12, x + s / 4, b - s * 13 / 4, limb_width);
        draw_line(KD508_BLACK, x + s / 4, b - s * 13 / 4, x - s / 2, b - s * 17 / 4, limb_width);
        draw_circle(KD508_BLACK, x - s / 2, b - s * 17 / 4, s / 6);
    }

    // Both arms: raised high in the odd pose, dropped low in the even one.
    const Coord hand_y = odd ? b - s * 2 / 3 : b - s * 2;
    draw_line(KD508_BLACK, x + s * 3 / 4, b - s * 19 / 12, x + s * 2, hand_y, limb_width);
    draw_circle(KD508_BLACK, x + s * 2, hand_y, s / 6);
    draw_line(KD508_BLACK, x - s * 3 / 4, b - s * 19 / 12, x - s * 2, hand_y, limb_width);
    draw_circle(KD508_BLACK, x - s * 2, hand_y, s / 6);
}

}  // namespace bugwalk
