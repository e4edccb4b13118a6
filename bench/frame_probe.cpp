// One redraw of the bug walk, timed frame by frame, built unchanged for both platforms: on Linux
// against the layer (through the headless presenter), on Windows against the system's own GDI.
// bench/frame_vs_gdi.sh runs both in one go and compares their medians.
//
// Usage: frame_probe [heaviest|one-bug] [frames] [cold]
// Prints one line: the median and fastest frame in microseconds, and, for scale, the median time
// of writing a canvas-sized buffer once with memset.
//
// Frames drawn back to back find the canvas, the code and the layer's tables in the processor's
// caches. On screen a frame comes every 100 ms, and by then other programs have pushed all of it
// out: with "cold" the probe walks through a buffer larger than the caches before each frame (not
// timed), so that the frame pays for its memory as it does on screen.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdint>
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
constexpr int canvas_pixels = 601 * 540;
// Larger than the last-level cache of the machines we measure on, several times over.
constexpr std::size_t cache_flush_bytes = std::size_t{64} << 20;
constexpr std::size_t cache_line_bytes = 64;

// Touches every cache line of the buffer, so that what the last frame used has left the caches.
void push_out_of_caches(std::vector<unsigned char>& buffer) {
    for (std::size_t i = 0; i < buffer.size(); i += cache_line_bytes) {
        buffer[i] = static_cast<unsigned char>(buffer[i] + 1);
    }
}

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
    const bool cold = argc >= 4 && std::strcmp(argv[3], "cold") == 0;
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
    std::vector<unsigned char> flush_buffer(cold ? cache_flush_bytes : 0);
    for (double& sample : micros) {
        if (cold) push_out_of_caches(flush_buffer);
        const auto start = std::chrono::steady_clock::now();
        bugwalk::draw_frame(state);
        sample = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
    }
    // What writing a canvas-sized buffer once costs on this machine now, for scale: the frame's
    // backdrop alone covers the canvas about twice.
    std::vector<std::uint32_t> buffer(static_cast<std::size_t>(canvas_pixels));
    std::vector<double> write_micros(static_cast<std::size_t>(frames));
    for (std::size_t i = 0; i < write_micros.size(); ++i) {
        const auto start = std::chrono::steady_clock::now();
        std::memset(buffer.data(), static_cast<int>(i & 0xFF), buffer.size() * sizeof buffer[0]);
        write_micros[i] = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
    }
    std::sort(write_micros.begin(), write_micros.end());
    std::sort(micros.begin(), micros.end());
    std::printf("%s%s median %.1f us (fastest %.1f) over %d frames; writing the canvas once: median %.1f us\n",
                heaviest ? "heaviest" : "one-bug", cold ? " cold" : "", micros[static_cast<std::size_t>(frames / 2)],
                micros.front(), frames, write_micros[static_cast<std::size_t>(frames / 2)]);
    KD508_close();
    return 0;
}
