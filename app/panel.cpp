#include "panel.h"

#include <iterator>
#include <limits>

#include "kd508.h"
#include "walk_state.h"

namespace bugwalk {

namespace {

enum class ButtonAction { go, stop, faster, slower, walking, scare, new_color, add_bug, delete_bug };

struct PanelButton {
    const char* label;
    int label_colour;
    ButtonAction action;
};

// From the top down; a button's index is its row in the column.
constexpr PanelButton panel_buttons[] = {
    {"Go", KD508_GREEN, ButtonAction::go},
    {"Stop", KD508_RED, ButtonAction::stop},
    {"Faster", KD508_WHITE, ButtonAction::faster},
    {"Slower", KD508_WHITE, ButtonAction::slower},
    {"Walking", KD508_WHITE, ButtonAction::walking},
    {"SCARE", KD508_WHITE, ButtonAction::scare},
    {"New Color", KD508_WHITE, ButtonAction::new_color},
    {"Add Bug", KD508_WHITE, ButtonAction::add_bug},
    {"Delete Bug", KD508_WHITE, ButtonAction::delete_bug},
};
constexpr int button_count = static_cast<int>(std::size(panel_buttons));

// Column geometry in logical coordinates; neighbouring boxes share an edge.
constexpr int column_left_logical = -295;
constexpr int column_right_logical = -220;
constexpr int column_top_logical = 245;
constexpr int button_height = 25;
constexpr int column_bottom_logical = column_top_logical - button_count * button_height;
constexpr int outline_width = 1;

// Labels stand half their point size below the box's middle.
constexpr int label_x_logical = -285;
constexpr int label_point_size = 12;
constexpr int label_drop_below_top = 18;

constexpr char internal_error_text[] = "INTERNAL ERROR!";
constexpr int internal_error_point_size = 16;

constexpr std::int32_t colour_count = KD508_COLOUR_COUNT;

void apply(ButtonAction action, std::int32_t& moving, std::int32_t& scared,
           std::int32_t& bug_color, std::int32_t& speed, std::int32_t& bug_count) {
    switch (action) {
    case ButtonAction::go:
        moving = 1;
        break;
    case ButtonAction::stop:
        moving = 0;
        break;
    case ButtonAction::faster:
        // No upper limit but the integer's own: the largest speed stays as it is rather than
        // overflowing into a negative one.
        if (speed < std::numeric_limits<std::int32_t>::max()) {
            speed += 1;
        }
        break;
    case ButtonAction::slower:
        // One less, and nothing below 0; written so that no value can overflow.
        speed = speed > 0 ? speed - 1 : 0;
        break;
    case ButtonAction::walking:
        scared = 0;
        break;
    case ButtonAction::scare:
        scared = 1;
        break;
    case ButtonAction::new_color:
        bug_color = static_cast<std::int32_t>((std::int64_t{bug_color} + 1) % colour_count);
        break;
    case ButtonAction::add_bug:
        bug_count = bug_count < max_bugs ? bug_count + 1 : max_bugs;
        break;
    case ButtonAction::delete_bug:
        bug_count = bug_count > 0 ? bug_count - 1 : 0;
        break;
    }
}

}  // namespace

void draw_panel() {
    for (int k = 0; k < button_count; ++k) {
        const int top = column_top_logical - k * button_height;
        KD508_rectangle(KD508_WHITE, column_left_logical, top, column_right_logical,
                        top - button_height, outline_width);
    }
    for (int k = 0; k < button_count; ++k) {
        const int top = column_top_logical - k * button_height;
        KD508_text(panel_buttons[k].label_colour, label_x_logical, top - label_drop_below_top,
                   label_point_size, "%s", panel_buttons[k].label);
    }
}

int panel_hit(std::int32_t x, std::int32_t y) {
    return x > column_left_logical && x < column_right_logical && y > column_bottom_logical &&
                   y < column_top_logical
               ? 1
               : 0;
}

void press_button(std::int32_t x, std::int32_t y, std::int32_t& moving, std::int32_t& scared,
                  std::int32_t& bug_color, std::int32_t& speed, std::int32_t& bug_count) {
    // A wider test than panel_hit's: the outline itself is accepted here.
    if (x < column_left_logical || x > column_right_logical) {
        report_internal_error();
        return;
    }
    // Truncating division, so y 246 to 269 still maps to the first button. Done in 64 bits so
    // that no y can overflow the subtraction.
    const std::int64_t k = (std::int64_t{column_top_logical} - y) / button_height;
    if (k < 0 || k >= button_count) {
        report_internal_error();
        return;
    }
    apply(panel_buttons[k].action, moving, scared, bug_color, speed, bug_count);
}

void report_internal_error() {
    KD508_text(KD508_RED, 0, 0, internal_error_point_size, "%s", internal_error_text);
}

}  // namespace bugwalk
