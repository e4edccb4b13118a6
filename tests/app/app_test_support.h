// What the bug-walk tests share: an opened runtime on the headless presenter, and a reader of
// the runtime's own message ring, through which every drawing call shows itself.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "headless/headless_driver.h"

namespace bugwalk::testing {

// Opens the runtime on a fresh headless layer with the echo of drawing calls turned on, and
// closes it again at the end of the test.
class OpenedRuntime {
public:
    OpenedRuntime();
    ~OpenedRuntime();
    OpenedRuntime(const OpenedRuntime&) = delete;
    OpenedRuntime& operator=(const OpenedRuntime&) = delete;

    kd508::headless::Driver& driver() { return *driver_; }
    HWND graphics_window() const;

private:
    std::unique_ptr<kd508::headless::Driver> driver_;
};

// Hands out the lines written to the ring since the previous take, without their newline. The
// ring keeps 25 lines, so a test takes after every 24 lines at most; a take that finds the whole
// ring rewritten fails the test rather than guess how many lines it lost.
class LogReader {
public:
    LogReader();
    std::vector<std::string> take();

private:
    void remember_ring();
    int next_slot_;
    std::vector<HGLOBAL> seen_blocks_;
};

// The n newest lines of the ring, oldest first, without their newline (n at most 25).
std::vector<std::string> newest_log_lines(int n);

// The slot that the next line will take; lines written between two readings = their difference
// modulo 25.
int log_position();

}  // namespace bugwalk::testing
