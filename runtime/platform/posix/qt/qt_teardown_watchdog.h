// A bound on how long the toolkit may take to close its display connection at the end of a run.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace kd508::platform::qt {

// The toolkit's Wayland client of Qt 6.4 can hang for good in its destructor: when the main
// thread has just prepared a read of the display on behalf of the toolkit's event thread and
// then stops that thread, the thread quits without cancelling the read, and the second event
// thread of the toolkit then waits forever in wl_display_read_events for it. By the time the
// toolkit is torn down the run's files are written and closed, so a teardown that does not
// finish within the limit ends the process with the status it was ending with.
class TeardownWatchdog {
public:
    explicit TeardownWatchdog(std::chrono::milliseconds limit);
    ~TeardownWatchdog();

    TeardownWatchdog(const TeardownWatchdog&) = delete;
    TeardownWatchdog& operator=(const TeardownWatchdog&) = delete;

private:
    std::mutex mutex_;
    std::condition_variable finished_;
    bool done_ = false;
    std::thread watcher_;
};

}  // namespace kd508::platform::qt
