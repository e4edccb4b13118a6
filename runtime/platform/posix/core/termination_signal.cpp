#include "termination_signal.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>

namespace kd508::platform {

namespace {

constexpr int termination_signals[] = {SIGTERM, SIGINT, SIGHUP};

// Written by the handler, read by the queue. The flag is lock-free, so that the handler may
// set it; the pipe is there only to wake a wait that sleeps in poll().
std::atomic<bool> pending{false};
static_assert(std::atomic<bool>::is_always_lock_free);
int wake_pipe[2] = {-1, -1};

extern "C" void note_termination_signal(int signal_number) {
    const int saved_errno = errno;
    if (pending.exchange(true)) {
        // The first signal has not been taken yet, so the program is stuck somewhere outside
        // its event wait: a second one ends it at once, as the signal would without a handler.
        ::signal(signal_number, SIG_DFL);
        ::raise(signal_number);
        return;
    }
    if (wake_pipe[1] >= 0) {
        const char byte = 1;
        // A full pipe already wakes the wait; the byte is not needed then.
        [[maybe_unused]] const ssize_t ignored = ::write(wake_pipe[1], &byte, 1);
    }
    errno = saved_errno;
}

bool make_wake_pipe() {
    if (::pipe(wake_pipe) != 0) return false;
    for (int end : wake_pipe) {
        ::fcntl(end, F_SETFL, ::fcntl(end, F_GETFL) | O_NONBLOCK);
        ::fcntl(end, F_SETFD, FD_CLOEXEC);
    }
    return true;
}

void drain_wake_pipe() {
    if (wake_pipe[0] < 0) return;
    char bytes[64];
    while (::read(wake_pipe[0], bytes, sizeof bytes) > 0) {
    }
}

}  // namespace

void install_termination_handlers() {
    static const bool installed = [] {
        make_wake_pipe();
        struct sigaction action {};
        action.sa_handler = note_termination_signal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (int signal_number : termination_signals) ::sigaction(signal_number, &action, nullptr);
        return true;
    }();
    (void)installed;
}

bool termination_pending() { return pending.load(); }

bool take_termination_request() {
    if (!pending.exchange(false)) return false;
    drain_wake_pipe();
    return true;
}

int termination_wake_descriptor() { return wake_pipe[0]; }

}  // namespace kd508::platform
