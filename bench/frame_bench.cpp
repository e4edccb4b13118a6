// What one redraw of the bug walk costs: the frame is drawn whole after every event, up to ten
// times a second, so the heaviest frame (eleven scared bugs and both scare figures, 289 calls)
// has to stay far below the 100 ms between periodic events.
#include <benchmark/benchmark.h>

#include "frame.h"
#include "headless/headless_driver.h"
#include "kd508.h"
#include "walk_state.h"
#include "win32_subset.h"

namespace {

struct OpenedProgram {
    kd508::headless::Driver driver;
    bugwalk::WalkState state;

    OpenedProgram() {
        char command_line[] = "";
        KD508_open(nullptr, nullptr, command_line, SW_SHOWNORMAL);
        KD508_logging(0);
        bugwalk::init_walk_state(state);
    }
    ~OpenedProgram() { KD508_close(); }
};

void BM_WalkingFrameOneBug(benchmark::State& bench) {
    OpenedProgram program;
    for (auto _ : bench) {
        bugwalk::draw_frame(program.state);
    }
}
BENCHMARK(BM_WalkingFrameOneBug)->Unit(benchmark::kMicrosecond);

void BM_HeaviestFrame(benchmark::State& bench) {
    OpenedProgram program;
    program.state.bug_count = bugwalk::max_bugs;
    program.state.scared = 1;
    program.state.step_count = 0;  // the even scared pose makes the most calls
    program.state.bug_x[0] = 112;  // both scare figures
    for (auto _ : bench) {
        bugwalk::draw_frame(program.state);
    }
}
BENCHMARK(BM_HeaviestFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
