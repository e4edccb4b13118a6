"""Measures the real bugwalk on a headless Wayland compositor (weston, pixman): time from start
to the first frame in the compositor's picture, and CPU used per second while animating and
while halted.

Run as: python3 -B bench/wayland_bench.py PATH/TO/bugwalk PATH/TO/kd508_weston_test_seat.so [SECONDS]
It reports and never fails on a figure. A start is timed to the first compositor screenshot that
shows the frame, so the figure includes up to one screenshot's time."""

import os
import shutil
import statistics
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "wayland"))
from compositor import Compositor, WaylandBugwalk  # noqa: E402
from session import wait_until  # noqa: E402
import e2e_bench  # noqa: E402  (the CPU reading of the X11 measurement)

STARTS = 3
BUG_RED = 0xFF0000


def first_frame_shown(program):
    program.refresh_geometry()
    return program.graphics_client().count(lambda pixel: pixel == BUG_RED) > 50


def main(program_path, seat_module, sample_seconds):
    compositor = Compositor(seat_module)
    directory = tempfile.mkdtemp(prefix="bugwalk-bench-")
    try:
        start_times = []
        for _ in range(STARTS):
            started = time.monotonic()
            program = WaylandBugwalk(compositor, program_path, directory)
            wait_until(lambda: first_frame_shown(program), 20, "the first frame")
            start_times.append(time.monotonic() - started)
            program.kill()
            wait_until(lambda: not compositor.windows(), 10, "the windows to go")

        program = WaylandBugwalk(compositor, program_path, directory)
        wait_until(lambda: first_frame_shown(program), 20, "the first frame")
        pid = program.process.pid
        animating = e2e_bench.cpu_percent(pid, sample_seconds)
        program.click_logical(0, 0)
        compositor.key("ctrl+h")
        program.wait_until_still()
        halted = e2e_bench.cpu_percent(pid, sample_seconds)
        resident = e2e_bench.resident_kib(pid)
        program.kill()
    finally:
        compositor.close()
        shutil.rmtree(directory, ignore_errors=True)

    print("start to first frame in the compositor: median %.0f ms, best %.0f ms, worst %.0f ms (%d starts)"
          % (1000 * statistics.median(start_times), 1000 * min(start_times), 1000 * max(start_times), STARTS))
    print("CPU while animating: %.2f%% of one core" % animating)
    print("CPU while halted:    %.2f%% of one core" % halted)
    print("resident memory:     %.1f MiB" % (resident / 1024))


if __name__ == "__main__":
    if len(sys.argv) not in (3, 4):
        sys.exit(__doc__)
    main(os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2]),
         float(sys.argv[3]) if len(sys.argv) == 4 else 10.0)
