// The column of nine buttons at the left edge: drawing it, hit-testing a click, and applying the
// button under it to the walk state.
#pragma once

#include <cstdint>

namespace bugwalk {

void draw_panel();

// 1 when (x, y) lies strictly inside the column, its outer outline excluded; 0 otherwise.
int panel_hit(std::int32_t x, std::int32_t y);

// Applies the button under (x, y) to the five state values. A point it cannot map to a button
// draws "INTERNAL ERROR!" and changes nothing.
void press_button(std::int32_t x, std::int32_t y, std::int32_t& moving, std::int32_t& scared,
                  std::int32_t& bug_color, std::int32_t& speed, std::int32_t& bug_count);

// Red "INTERNAL ERROR!" at the centre of the canvas; the next frame paints over it.
void report_internal_error();

}  // namespace bugwalk
