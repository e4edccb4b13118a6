// The event wait: window messages, timer ticks and scripted events in one stream.
#include "event_loop.h"

#include "kd508.h"
#include "runtime_state.h"
#include "script.h"
#include "text_log.h"
#include "window_lifecycle.h"

namespace kd508 {

namespace {

bool waiting_goes_on(const RuntimeState& state) {
    return state.pending_event == no_event || (state.pending_event == KD508_PERIODIC && state.timer_ticked == 0);
}

// Takes at most one message; true when one was taken.
bool pump_pass() {
    RuntimeState& state = runtime_state();
    flush_log_window();
    MSG message;
    const bool taken = PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE) != 0;
    if (taken && message.message == WM_QUIT) {
        // The quit ends the pass at once: no dispatch and no copy of the canvas.
        state.pending_event = KD508_QUIT;
        return true;
    }
    if (taken) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    if (state.canvas_dirty) copy_canvas_to_window();
    return taken;
}

// Waits for the next message that can lead to an event. While nothing is latched the animation
// is halted (a running or stepping one would have latched a periodic event in this pass), so a
// tick could only set timer_ticked, which the next latch clears before anyone reads it: the
// halted program sleeps through its ticks and wakes only for input, posted messages and paints.
// A latched periodic event needs the next tick, so then timers wake the wait as well.
void sleep_until_something_can_happen(const RuntimeState& state) {
    if (state.pending_event == no_event) {
        MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT & ~QS_TIMER, MWMO_INPUTAVAILABLE);
    } else {
        WaitMessage();
    }
}

}  // namespace

void pump_one_message() { pump_pass(); }

void on_timer() { runtime_state().timer_ticked = 1; }

void on_left_button_down(LPARAM lparam) {
    RuntimeState& state = runtime_state();
    const auto bits = static_cast<std::uint32_t>(lparam);
    const std::int32_t column = static_cast<std::int32_t>(bits & 0xFFFF);
    const std::int32_t row = static_cast<std::int32_t>((bits >> 16) & 0xFFFF);
    state.pending_event = KD508_MOUSE;
    state.event_x = column - state.origin_x;
    state.event_y = state.origin_y - row;
}

void on_char(WPARAM wparam) {
    RuntimeState& state = runtime_state();
    if (state.ctrl_down == 1) return;
    state.pending_event = KD508_KBD;
    state.event_key = static_cast<signed char>(static_cast<unsigned char>(wparam & 0xFF));
}

}  // namespace kd508

using namespace kd508;

extern "C" int KD508_await_event(int* x_out, int* y_out, char* key_out) {
    RuntimeState& state = runtime_state();
    if (state.script_on_start) {
        start_playback_of(state.script_on_start);
        state.script_on_start = nullptr;
    }
    state.pending_event = no_event;
    state.event_key = 0;
    state.event_y = 0;
    state.event_x = 0;

    while (waiting_goes_on(state)) {
        const bool message_taken = pump_pass();

        // A quit taken in this pass wins over playback: the scripted event stays in the file
        // for a later wait instead of overwriting the quit, whose message is already gone.
        if (state.pending_event != KD508_QUIT && (state.play_one_requested || state.playing_back)) {
            state.play_one_requested = 0;
            if (read_script_event() == 1) break;
            state.play_one_requested = 0;
            state.playing_back = 0;
        }

        if ((state.single_step_requested || state.animation_running) && state.pending_event == no_event) {
            state.timer_ticked = 0;
            state.pending_event = KD508_PERIODIC;
            state.single_step_requested = 0;
            state.play_one_requested = 0;
        }

        // Nothing can change until the next message: sleep instead of polling again. The
        // events, their order and their contents are those of a wait that polls.
        // Lines written to the text window during the pass are drawn by the next one.
        const bool idle = !message_taken && state.canvas_dirty == 0 && state.log_lines_unpainted == 0 &&
                          !state.playing_back && !state.play_one_requested;
        if (idle && waiting_goes_on(state)) sleep_until_something_can_happen(state);
    }

    if (state.recording) record_event(state.pending_event);
    *x_out = state.event_x;
    *y_out = state.event_y;
    *key_out = static_cast<char>(state.event_key);
    return state.quit_requested ? KD508_QUIT : state.pending_event;
}

extern "C" int KD508_animate(int command) {
    RuntimeState& state = runtime_state();
    if (!state.graphics_window) return 0;
    switch (command) {
        case ANIMATE_HALT:
            state.animation_running = 0;
            state.single_step_requested = 0;
            break;
        case ANIMATE_SINGLE_STEP:
            state.single_step_requested = 1;
            break;
        case ANIMATE_RUN:
            state.animation_running = 1;
            break;
        case ANIMATE_QUIT:
            state.quit_requested = 1;
            break;
        default:
            break;  // 3, 4 and every other value are accepted and do nothing
    }
    return 1;
}
