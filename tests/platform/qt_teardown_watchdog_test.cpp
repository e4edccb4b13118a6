// The bound on the toolkit's teardown: a teardown that hangs ends the process with the status
// the run was ending with, and one that finishes leaves the process alone.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdlib>

#include "core/process_ending.h"
#include "qt/qt_teardown_watchdog.h"

namespace kd508::platform::qt {
namespace {

using namespace std::chrono_literals;

TEST(TeardownWatchdogDeathTest, HungTeardownEndsTheProcessWithTheRecordedStatus) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            record_ending_status(7);
            TeardownWatchdog watchdog(10ms);
            for (;;) pause();  // a teardown that never returns
        },
        testing::ExitedWithCode(7), "the display connection did not close");
}

#if defined(__GLIBC__)
// A program with its own main() ends through exit(); the toolkit goes down after the handlers
// registered since, and the watchdog must know the status exit() was given.
TEST(TeardownWatchdogDeathTest, ExitOfAProgramWithItsOwnMainRecordsItsStatus) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            std::atexit([] { std::_Exit(ending_status() + 1); });
            record_ending_status_at_exit();
            std::exit(5);
        },
        testing::ExitedWithCode(6), "");
}
#endif

TEST(TeardownWatchdog, FinishedTeardownLeavesTheProcessRunning) {
    record_ending_status(7);
    { TeardownWatchdog watchdog(1h); }
    record_ending_status(0);
    SUCCEED();
}

}  // namespace
}  // namespace kd508::platform::qt
