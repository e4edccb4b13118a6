// The fixed scene behind the bugs, and the white figures that rise over it in SCARE mode.
#pragma once

#include <cstdint>

namespace bugwalk {

// Draws the scene, back to front, with calls that together cover the whole window, so a frame
// needs no clearing first.
void draw_backdrop();

// One or two scare figures whose height follows slot 0's x (first_x); size is the bug size.
void draw_scare_figures(std::int32_t first_x, std::int32_t size);

// One figure: a white disc of radius s at (fx, fy) over a skirt with three points below it.
void draw_scare_figure(std::int32_t fx, std::int32_t fy, std::int32_t s);

}  // namespace bugwalk
