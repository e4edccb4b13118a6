// One redraw of the bug walk, timed frame by frame, built unchanged for both platforms: on Linux
// against the layer (through the headless presenter), on Windows against the system's own GDI.
// bench/frame_vs_gdi.sh runs both in one go and compares their medians.
//
// Usage: frame_probe [heaviest|one-bug] [frames]
// Prints one line: "<which> median <microseconds> us (fastest <microseconds>) over <frames> frames".
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "frame.h"
#include "kd508.h"
#include "walk_state.h"
#ifndef _WIN32
#include "headless/headless_driver.h"
#include "win32_subset.h"
#else
#include "../runtime/platform/win32.h"
#endif

namespace {

constexpr int default_frames = 3000;
constexpr int warm_up_frames = 200;

void make_heaviest(bugwalk::WalkState& state) {
    state.bug_count = bugwalk::max_bugs;
    state.scared = 1;
    state.step_count = 0;  // the even scared pose makes the most calls
    state.bug_x[0] = 112;  // both scare figures
}

}  // namespace

int main(int argc, char** argv) {
    const bool heaviest = argc < 2 || std::strcmp(argv[1], "one-bug") != 0;
    const int frames = argc >= 3 ? std::max(1, std::atoi(argv[2])) : default_frames;
#ifndef _WIN32
    kd508::headless::Driver driver;
#endif
    char command_line[] = "";
    KD508_open(nullptr, nullptr, command_line, SW_SHOWNORMAL);
    KD508_logging(0);
    bugwalk::WalkState state;
    bugwalk::init_walk_state(state);
    if (heaviest) make_heaviest(state);

    for (int i = 0; i < warm_up_frames; ++i) bugwalk::draw_frame(state);
    std::vector<double> micros(static_cast<std::size_t>(frames));
    for (double& sample : micros) {
        const auto start = std::chrono::steady_clock::now();
        bugwalk::draw_frame(state);
        sample = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
    }
    std::sort(micros.begin(), micros.end());
    std::printf("%s median %.1f us (fastest %.1f) over %d frames\n", heaviest ? "heaviest" : "one-bug",
                micros[static_cast<std::size_t>(frames / 2)], micros.front(), frames);
    KD508_close();
    return 0;
}
