// Message retrieval in the order Windows keeps when everything is pending at once: posted and
// input messages first in, first out; then WM_QUIT; then WM_PAINT for a window with an invalid
// area; then WM_TIMER, at most one per timer.
#include "queue.h"

#include <algorithm>

#include "keyboard.h"
#include "core/termination_signal.h"
#include "timer.h"
#include "window.h"

using namespace kd508::platform;

namespace {

QueueSection& queue() { return platform_state().queue; }
Presenter* presenter() { return platform_state().presenter.get(); }
std::int64_t now() { return presenter() ? presenter()->now_ms() : 0; }

bool matches(const MSG& message, HWND window, UINT first, UINT last) {
    if (window && message.hwnd != window) return false;
    if (first == 0 && last == 0) return true;
    return message.message >= first && message.message <= last;
}

HWND window_needing_paint(HWND filter) {
    HWND found = nullptr;
    platform_state().windowing.windows.for_each([&](void* handle, const Window& window) {
        if (!found && window.needs_paint && window.visible && (!filter || filter == handle)) {
            found = static_cast<HWND>(handle);
        }
    });
    return found;
}

void enqueue(HWND window, UINT message, WPARAM wparam, LPARAM lparam, bool is_input) {
    MSG queued{};
    queued.hwnd = window;
    queued.message = message;
    queued.wParam = wparam;
    queued.lParam = lparam;
    queued.time = static_cast<DWORD>(now());
    queue().posted.push_back(QueuedMessage{queued, is_input});
}

// --run-for: the quit is posted when the clock reaches its time, and only once.
void post_quit_when_due() {
    std::optional<std::int64_t>& quit_at = queue().quit_at_ms;
    if (!quit_at || now() < *quit_at) return;
    quit_at.reset();
    PostQuitMessage(0);
}

std::optional<std::int64_t> earlier(std::optional<std::int64_t> a, std::optional<std::int64_t> b) {
    if (!a) return b;
    if (!b) return a;
    return std::min(*a, *b);
}

// A termination signal closes the program's first window as its close box would; a program
// without a window is told to quit.
void close_first_window_on_termination() {
    if (!take_termination_request()) return;
    HWND first = nullptr;
    PresenterWindowId first_id = 0;
    platform_state().windowing.windows.for_each([&](void* handle, const Window& window) {
        if (!window.destroying && (!first || window.presenter_id < first_id)) {
            first = static_cast<HWND>(handle);
            first_id = window.presenter_id;
        }
    });
    if (first) {
        post_input(first, WM_CLOSE, 0, 0);
    } else {
        PostQuitMessage(0);
    }
}

bool anything_retrievable() {
    post_quit_when_due();
    if (!queue().posted.empty() || queue().quit_posted || window_needing_paint(nullptr)) return true;
    MSG ignored;
    return take_due_timer(ignored, now(), false);
}

// Whether a message of a kind in wake_mask could be retrieved now. Input from the presenter
// counts as QS_INPUT, every other posted message and the quit as QS_POSTMESSAGE.
bool retrievable_for(DWORD wake_mask) {
    post_quit_when_due();
    for (const QueuedMessage& entry : queue().posted) {
        if ((wake_mask & (entry.is_input ? QS_INPUT : QS_POSTMESSAGE)) != 0) return true;
    }
    if ((wake_mask & QS_POSTMESSAGE) != 0 && queue().quit_posted) return true;
    if ((wake_mask & QS_PAINT) != 0 && window_needing_paint(nullptr)) return true;
    if ((wake_mask & QS_TIMER) == 0) return false;
    MSG ignored;
    return take_due_timer(ignored, now(), false);
}

}  // namespace

void kd508::platform::post_input(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    enqueue(window, message, wparam, lparam, true);
}

BOOL WINAPI PeekMessageA(LPMSG message, HWND window, UINT first, UINT last, UINT remove) {
    if (!message) return FALSE;
    if (presenter()) presenter()->poll();
    post_quit_when_due();
    close_first_window_on_termination();
    const bool removing = (remove & PM_REMOVE) != 0;
    const DWORD time = static_cast<DWORD>(now());

    auto& posted = queue().posted;
    for (auto entry = posted.begin(); entry != posted.end(); ++entry) {
        if (!matches(entry->message, window, first, last)) continue;
        *message = entry->message;
        if (removing) {
            if (entry->is_input) note_key_message(entry->message);
            posted.erase(entry);
        }
        return TRUE;
    }

    if (queue().quit_posted && !window && (first == 0 || (first <= WM_QUIT && WM_QUIT <= last))) {
        *message = MSG{};
        message->message = WM_QUIT;
        message->wParam = static_cast<WPARAM>(queue().quit_code);
        message->time = time;
        if (removing) queue().quit_posted = false;
        return TRUE;
    }

    if (first == 0 || (first <= WM_PAINT && WM_PAINT <= last)) {
        // WM_PAINT stays pending until the window is validated, whatever PM_REMOVE says.
        if (HWND invalid = window_needing_paint(window)) {
            *message = MSG{};
            message->hwnd = invalid;
            message->message = WM_PAINT;
            message->time = time;
            return TRUE;
        }
    }

    if (first == 0 || (first <= WM_TIMER && WM_TIMER <= last)) {
        MSG timer_message;
        if (take_due_timer(timer_message, now(), removing) && (!window || timer_message.hwnd == window)) {
            *message = timer_message;
            message->time = time;
            return TRUE;
        }
    }
    return FALSE;
}

BOOL WINAPI GetMessageA(LPMSG message, HWND window, UINT first, UINT last) {
    while (!PeekMessageA(message, window, first, last, PM_REMOVE)) WaitMessage();
    return message->message == WM_QUIT ? FALSE : TRUE;
}

LRESULT WINAPI DispatchMessageA(const MSG* message) {
    if (!message || !message->hwnd) return 0;
    return send_to_procedure(message->hwnd, message->message, message->wParam, message->lParam);
}

BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (window && !find_window(window)) return FALSE;
    enqueue(window, message, wparam, lparam, false);
    return TRUE;
}

LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    return send_to_procedure(window, message, wparam, lparam);
}

void WINAPI PostQuitMessage(int exit_code) {
    queue().quit_posted = true;
    queue().quit_code = exit_code;
}

BOOL WINAPI WaitMessage(void) {
    // Sleeps only while nothing could be retrieved: the next timer's due time bounds the sleep,
    // and any input the presenter delivers ends it.
    if (anything_retrievable() || termination_pending() || !presenter()) return TRUE;
    presenter()->wait(earlier(next_timer_due(), queue().quit_at_ms));
    return TRUE;
}

DWORD WINAPI MsgWaitForMultipleObjectsEx(DWORD count, const HANDLE* handles, DWORD timeout_ms, DWORD wake_mask,
                                         DWORD) {
    // The layer has no kernel objects to wait on, only its queue. Messages already in the queue
    // end the wait as new ones do, as with MWMO_INPUTAVAILABLE; a caller that polls until the
    // queue is empty before it waits, as a message loop does, sees no difference.
    if (count != 0 || handles != nullptr) return WAIT_FAILED;
    const bool timers_wake = (wake_mask & QS_TIMER) != 0;
    const std::int64_t slept_from = now();
    std::optional<std::int64_t> timeout_at;
    if (timeout_ms != INFINITE) timeout_at = slept_from + timeout_ms;
    DWORD result = WAIT_OBJECT_0 + count;
    while (!retrievable_for(wake_mask) && !termination_pending() && presenter()) {
        if (timeout_at && now() >= *timeout_at) {
            result = WAIT_TIMEOUT;
            break;
        }
        std::optional<std::int64_t> deadline = earlier(timeout_at, queue().quit_at_ms);
        if (timers_wake) deadline = earlier(deadline, next_timer_due());
        presenter()->wait(deadline);
    }
    // Without QS_TIMER the sleep ran past the ticks that fell due meanwhile. Nobody was awake to
    // take them; counting them as taken when due keeps every timer on its step, so the next tick
    // comes when it would have come to a thread woken by each of them.
    if (!timers_wake) pass_over_ticks_slept_through(slept_from, now());
    return result;
}
