// The two bug figures, walking and scared, each in an odd and an even pose.
#pragma once

#include <cstdint>

namespace bugwalk {

// The centre of the figure's upper circle: y + s × 4.5 in double precision, the sum truncated
// toward zero (so s 15 at y -90 gives -22, not -23).
std::int64_t bug_head_y(std::int32_t y, std::int32_t s);

// The pose follows the parity of the shared step counter; a negative odd count is odd too.
bool is_odd_pose(std::int32_t step_count);

// (x, y) is the point the figure stands on, s its size unit, color the palette index of its body.
void draw_bug(std::int32_t x, std::int32_t y, std::int32_t s, std::int32_t color,
              std::int32_t scared, std::int32_t step_count);
void draw_walking_bug(std::int32_t x, std::int32_t y, std::int32_t s, std::int32_t color,
                      std::int32_t step_count);
void draw_scared_bug(std::int32_t x, std::int32_t y, std::int32_t s, std::int32_t color,
                     std::int32_t step_count);

}  // namespace bugwalk
