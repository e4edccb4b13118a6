// One drawing call on its way to the renderer.
#pragma once

#include <cstdint>

#include "../platform/win32.h"

namespace kd508 {

enum DrawKind : std::int32_t {
    draw_triangle = 0,
    draw_rectangle = 1,
    draw_ellipse = 2,
    draw_line = 3,
    draw_pixel = 4,
    draw_text = 5,
};

struct DrawCommand {
    std::int32_t kind = 0;
    std::int32_t colour = 0;
    std::int32_t width = 0;
    std::int32_t x1 = 0;
    std::int32_t y1 = 0;
    std::int32_t x2 = 0;
    std::int32_t y2 = 0;
    std::int32_t x3 = 0;
    std::int32_t y3 = 0;
    // The text of a text command. The handle is pointer-sized, so it has a field of its own
    // rather than the 32-bit y2 place.
    HGLOBAL text_block = nullptr;
};

// Draws one command on the canvas and marks the canvas changed, whatever the kind.
void render_command(const DrawCommand& command);
// The text branch of render_command.
void render_text_command(const DrawCommand& command);

// Canvas pixels of logical coordinates. Any 32-bit coordinate maps without overflow; the result is
// clamped to a range far outside the canvas, where nothing it stands for can be seen.
inline constexpr std::int64_t canvas_safe_limit = std::int64_t{1} << 28;
std::int32_t clamp_canvas(std::int64_t canvas_coordinate);
std::int64_t canvas_x(std::int32_t logical_x);
std::int64_t canvas_y(std::int32_t logical_y);

}  // namespace kd508
