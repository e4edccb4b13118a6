// Plays a whole "KD508.SCR" through the script reader the way the event wait asks for it, going
// on after every line that holds playback as repeated play-one requests would, until the reader
// closes the file. Shared by the hostile-script tests and the fuzz target: both need to know that
// any bytes end, without a crash, in a closed script and a bounded number of reads.
#pragma once

#include <cstddef>
#include <vector>

#include "kd508.h"
#include "runtime_state.h"
#include "script.h"

namespace kd508::fuzzing {

struct ScriptedEvent {
    int kind = 0;
    int x = 0;
    int y = 0;
    signed char key = 0;
};

struct PlayThrough {
    std::vector<ScriptedEvent> events;
    int holds = 0;          // lines that named no event
    bool finished = false;  // the reader closed the file within the bound
    bool kinds_valid = true;
};

// Runs of periodic events longer than this are cut short: a valid run of two billion events
// would only cost time.
inline constexpr int longest_run_played = 1000;

inline PlayThrough play_through(std::size_t script_bytes) {
    RuntimeState& state = runtime_state();
    PlayThrough result;
    // Every call that reads the file consumes at least one byte or closes the file.
    const std::size_t read_limit = script_bytes + 2;
    std::size_t reads = 0;
    while (reads <= read_limit) {
        if (state.periodic_run > longest_run_played) state.periodic_run = longest_run_played;
        if (state.periodic_run <= 0) ++reads;
        state.pending_event = no_event;
        state.event_x = 0;
        state.event_y = 0;
        state.event_key = 0;
        state.playing_back = 1;
        if (read_script_event() == 1) {
            const int kind = state.pending_event;
            result.kinds_valid = result.kinds_valid && (kind == KD508_MOUSE || kind == KD508_KBD || kind == KD508_PERIODIC);
            result.events.push_back({kind, state.event_x, state.event_y, state.event_key});
            continue;
        }
        state.playing_back = 0;
        state.play_one_requested = 0;
        if (!state.script_file) {
            result.finished = true;
            return result;
        }
        ++result.holds;
    }
    close_script();
    return result;
}

}  // namespace kd508::fuzzing
