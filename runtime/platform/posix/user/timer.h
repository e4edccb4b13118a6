// Window timers. A timer produces at most one WM_TIMER each time it is found due; ticks that
// nobody asked for while they fell due are coalesced, never queued up.
#pragma once

#include <cstdint>
#include <optional>

#include "core/platform_state.h"

namespace kd508::platform {

void kill_window_timers(HWND window);
// The earliest time at which some timer falls due.
std::optional<std::int64_t> next_timer_due();
// Fills message with WM_TIMER for the first timer due at now_ms; with remove, the timer's next
// period starts now.
bool take_due_timer(MSG& message, std::int64_t now_ms, bool remove);
// A thread that slept without waking for its timers, from slept_from_ms to now_ms: each tick that
// fell due in between counts as taken when it fell due, so the timer keeps the step a thread
// awake for every tick would have seen. A tick due exactly now stays to be taken.
void pass_over_ticks_slept_through(std::int64_t slept_from_ms, std::int64_t now_ms);

}  // namespace kd508::platform
