#include "timer.h"

#include <algorithm>


using namespace kd508::platform;

namespace {

std::vector<Timer>& timers() { return platform_state().queue.timers; }

std::int64_t now() { return platform_state().presenter ? platform_state().presenter->now_ms() : 0; }

// Windows raises periods below its minimum to the minimum.
inline constexpr UINT minimum_timer_period_ms = 10;

}  // namespace

void kd508::platform::kill_window_timers(HWND window) {
    std::erase_if(timers(), [&](const Timer& timer) { return timer.window == window; });
}

std::optional<std::int64_t> kd508::platform::next_timer_due() {
    std::optional<std::int64_t> earliest;
    for (const Timer& timer : timers()) {
        if (!earliest || timer.due_ms < *earliest) earliest = timer.due_ms;
    }
    return earliest;
}

bool kd508::platform::take_due_timer(MSG& message, std::int64_t now_ms, bool remove) {
    auto due = std::find_if(timers().begin(), timers().end(), [&](const Timer& t) { return t.due_ms <= now_ms; });
    if (due == timers().end()) return false;
    message = MSG{};
    message.hwnd = due->window;
    message.message = WM_TIMER;
    message.wParam = due->id;
    message.lParam = 0;
    if (remove) {
        due->due_ms = now_ms + due->period_ms;
        // The timer that fired goes to the back, so that several due timers take turns.
        std::rotate(due, due + 1, timers().end());
    }
    return true;
}

void kd508::platform::pass_over_ticks_slept_through(std::int64_t slept_from_ms, std::int64_t now_ms) {
    for (Timer& timer : timers()) {
        if (timer.due_ms <= slept_from_ms || timer.due_ms >= now_ms) continue;
        const std::int64_t period = timer.period_ms;
        const std::int64_t periods_passed = (now_ms - timer.due_ms + period - 1) / period;
        timer.due_ms += periods_passed * period;
    }
}

UINT_PTR WINAPI SetTimer(HWND window, UINT_PTR id, UINT period_ms, TIMERPROC) {
    if (window && !find_window(window)) return 0;
    period_ms = std::max(period_ms, minimum_timer_period_ms);
    // Setting an existing timer again restarts it with the new period.
    for (Timer& timer : timers()) {
        if (timer.window == window && timer.id == id) {
            timer.period_ms = period_ms;
            timer.due_ms = now() + period_ms;
            return id;
        }
    }
    timers().push_back(Timer{window, id, period_ms, now() + period_ms});
    return id == 0 ? 1 : id;
}

BOOL WINAPI KillTimer(HWND window, UINT_PTR id) {
    const auto removed = std::erase_if(timers(), [&](const Timer& t) { return t.window == window && t.id == id; });
    return removed > 0 ? TRUE : FALSE;
}
