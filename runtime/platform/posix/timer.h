// Window timers. A timer produces at most one WM_TIMER each time it is found due; ticks that
// nobody asked for while they fell due are coalesced, never queued up.
#pragma once

#include <cstdint>
#include <optional>

#include "platform_state.h"

namespace kd508::platform {

void kill_window_timers(HWND window);
// The earliest time at which some timer falls due.
std::optional<std::int64_t> next_timer_due();
// Fills message with WM_TIMER for the first timer due at now_ms; with remove, the timer's next
// period starts now.
bool take_due_timer(MSG& message, std::int64_t now_ms, bool remove);

}  // namespace kd508::platform
