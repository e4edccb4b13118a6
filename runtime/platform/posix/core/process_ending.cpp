#include "process_ending.h"

#include <stdlib.h>

#include <atomic>

namespace kd508::platform {
namespace {

// Read by a watchdog thread while the main thread tears the toolkit down.
std::atomic<int> recorded_status{0};

#if defined(__GLIBC__)
void record_exit_status(int status, void*) { record_ending_status(status); }
#endif

}  // namespace

void record_ending_status(int status) { recorded_status.store(status); }

void record_ending_status_at_exit() {
#if defined(__GLIBC__)
    static bool registered = false;
    if (registered) return;
    registered = on_exit(record_exit_status, nullptr) == 0;
#endif
}

int ending_status() { return recorded_status.load(); }

}  // namespace kd508::platform
