#include "frame.h"

#include "backdrop.h"
#include "bug_figures.h"
#include "panel.h"

namespace bugwalk {

void draw_first_frame(const WalkState& state) {
    draw_backdrop();
    draw_panel();
    draw_bug(state.bug_x[0], state.bug_y, state.bug_size, state.bug_color, state.scared,
             state.step_count);
}

void draw_frame(const WalkState& state) {
    // The backdrop covers the whole window, so the canvas needs no clearing between frames.
    draw_backdrop();
    draw_panel();
    for (int i = 0; i < state.bug_count && i < max_bugs; ++i) {
        draw_bug(state.bug_x[i], state.bug_y, state.bug_size, state.bug_color, state.scared,
                 state.step_count);
    }
    // Last, so that the figures cover any bug they overlap; they follow slot 0 even when it is
    // not drawn.
    if (state.scared == 1) {
        draw_scare_figures(state.bug_x[0], state.bug_size);
    }
}

}  // namespace bugwalk
