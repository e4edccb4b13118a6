// The bug walk's one state record, its motion rule and its main program.
#pragma once

#include <cstdint>

namespace bugwalk {

inline constexpr int max_bugs = 11;
inline constexpr int walking_y = -90;
inline constexpr int hop_y = -70;
inline constexpr int hop_period = 5;
inline constexpr int slot_spacing = 50;
inline constexpr int initial_bug_size = 16;
inline constexpr int initial_speed = 5;
inline constexpr int initial_bug_color = 2;  // red

struct WalkState {
    std::int32_t bug_x[max_bugs] = {};
    std::int32_t bug_y = walking_y;
    std::int32_t step_count = 0;
    std::int32_t scared = 0;
    std::int32_t bug_count = 1;
    std::int32_t bug_color = initial_bug_color;
    std::int32_t speed = initial_speed;
    std::int32_t bug_size = initial_bug_size;
    std::int32_t moving = 1;
    std::int32_t done = 0;
    std::int32_t click_x = 0;
    std::int32_t click_y = 0;
    char key = 0;
};

// size × 2.5 in double precision, truncated toward zero.
std::int32_t bug_height(std::int32_t size);

// The x beyond which a bug wraps, and at which it re-enters on the right.
std::int32_t wrap_limit(std::int32_t size);

// Sets every field to its start-up value, the slots at wrap_limit - 50 × i.
void init_walk_state(WalkState& state);

// One periodic event's step for all eleven slots, drawn or not.
void move_bugs(std::int32_t (&bug_x)[max_bugs], std::int32_t& bug_y, std::int32_t& step_count,
               std::int32_t scared, std::int32_t speed, std::int32_t bug_size);

// Applies one event of the given kind to the state (not the redraw).
void apply_event(WalkState& state, int kind);

// The whole program between the entry point and its exit status.
int run_bug_walk(void* instance, void* previous_instance, char* command_line, int show_mode);

}  // namespace bugwalk
