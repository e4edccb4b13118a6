#include "walk_state.h"

#include <cmath>
#include <cstdlib>
#include <limits>

#include "frame.h"
#include "kd508.h"
#include "panel.h"

namespace bugwalk {

namespace {

// Adds without signed overflow: the counter wraps to negative values in two's complement,
// which the pose and hop rules handle like any other count.
std::int32_t wrapping_add(std::int32_t value, std::int32_t addend) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value) + static_cast<std::uint32_t>(addend));
}

}  // namespace

std::int32_t bug_height(std::int32_t size) {
    const double height = std::trunc(static_cast<double>(size) * 2.5);
    // Sizes beyond a third of the int range would not fit; they saturate instead.
    if (height >= static_cast<double>(std::numeric_limits<std::int32_t>::max())) return std::numeric_limits<std::int32_t>::max();
    if (height <= static_cast<double>(std::numeric_limits<std::int32_t>::min())) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(height);
}

std::int32_t wrap_limit(std::int32_t size) {
    return static_cast<std::int32_t>(300 - static_cast<std::int64_t>(bug_height(size) / 2));
}

void init_walk_state(WalkState& state) {
    state.scared = 0;
    state.bug_color = initial_bug_color;
    state.bug_size = initial_bug_size;
    state.speed = initial_speed;
    state.moving = 1;
    state.step_count = 0;
    state.bug_count = 1;
    const std::int32_t limit = wrap_limit(state.bug_size);
    state.bug_y = walking_y;
    for (int i = 0; i < max_bugs; ++i) state.bug_x[i] = limit - slot_spacing * i;
}

void move_bugs(std::int32_t (&bug_x)[max_bugs], std::int32_t& bug_y, std::int32_t& step_count, std::int32_t scared,
               std::int32_t speed, std::int32_t bug_size) {
    for (int i = 0; i < max_bugs; ++i) {
        const std::int64_t limit = wrap_limit(bug_size);
        // Speed has no upper bound, so the step is taken in 64 bits.
        const std::int64_t next = static_cast<std::int64_t>(bug_x[i]) - speed;
        if (std::llabs(next) > limit) {
            bug_x[i] = static_cast<std::int32_t>(limit);
            bug_y = walking_y;
            step_count = 0;
        } else {
            bug_x[i] = static_cast<std::int32_t>(next);
            step_count = wrapping_add(step_count, 1);
        }
    }
    if (scared == 1) bug_y = step_count % hop_period == 0 ? hop_y : walking_y;
}

void apply_event(WalkState& state, int kind) {
    switch (kind) {
        case KD508_MOUSE:
            if (panel_hit(state.click_x, state.click_y) == 1) {
                press_button(state.click_x, state.click_y, state.moving, state.scared, state.bug_color, state.speed,
                             state.bug_count);
            }
            break;
        case KD508_PERIODIC:
            if (state.moving != 0) {
                move_bugs(state.bug_x, state.bug_y, state.step_count, state.scared, state.speed, state.bug_size);
            }
            break;
        case KD508_QUIT:
            state.done = 1;
            break;
        default:
            break;  // a character, or anything else, only redraws
    }
}

int run_bug_walk(void* instance, void* previous_instance, char* command_line, int show_mode) {
    KD508_open(instance, previous_instance, command_line, show_mode);
    KD508_logging(0);
    KD508_clear();
    KD508_animate(ANIMATE_RUN);

    WalkState state;
    init_walk_state(state);
    draw_first_frame(state);

    state.done = 0;
    while (state.done == 0) {
        const int kind = KD508_await_event(&state.click_x, &state.click_y, &state.key);
        apply_event(state, kind);
        // Every event, the quit included, is followed by a whole frame.
        draw_frame(state);
    }
    KD508_close();
    return 0;
}

}  // namespace bugwalk
