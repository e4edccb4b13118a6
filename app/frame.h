// Drawing whole frames of the bug walk.
#pragma once

#include "walk_state.h"

namespace bugwalk {

// Start-up's frame: backdrop, panel and slot 0 alone, without scare figures.
void draw_first_frame(const WalkState& state);

// The frame drawn after every event: backdrop, panel, the visible bugs, and in SCARE mode the
// scare figures on top.
void draw_frame(const WalkState& state);

}  // namespace bugwalk
