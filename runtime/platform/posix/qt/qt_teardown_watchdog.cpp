#include "qt_teardown_watchdog.h"

#include <cstdio>
#include <cstdlib>

#include "core/process_ending.h"

namespace kd508::platform::qt {

TeardownWatchdog::TeardownWatchdog(std::chrono::milliseconds limit)
    : watcher_([this, limit] {
          std::unique_lock lock(mutex_);
          if (finished_.wait_for(lock, limit, [this] { return done_; })) return;
          std::fputs("the display connection did not close; the program ends without waiting for it\n",
                     stderr);
          std::fflush(nullptr);
          std::_Exit(ending_status());
      }) {}

TeardownWatchdog::~TeardownWatchdog() {
    {
        std::lock_guard lock(mutex_);
        done_ = true;
    }
    finished_.notify_one();
    watcher_.join();
}

}  // namespace kd508::platform::qt
