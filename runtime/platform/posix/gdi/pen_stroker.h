// The choice of the kernel that strokes with a pen, made once, when the pen is made.
#pragma once

#include <cstdint>

#include "core/platform_state.h"
#include "gdi/device_context.h"

namespace kd508::platform {

// Widths 0 and 1 both draw the one-pixel line of the cosmetic pen.
inline constexpr std::int64_t widest_thin_pen = 1;

// The pen CreatePen makes. A negative width, which the runtime corrects before it arrives, is
// taken by its size, in 64 bits so that INT_MIN has one. Inline: the runtime makes a pen for
// most shapes it draws.
inline PenObject make_pen(int style, int width, COLORREF colour) {
    if (style == PS_NULL) return PenObject{};
    const std::int64_t asked = width;
    std::int64_t size = asked < 0 ? -asked : asked;
    if (size < widest_thin_pen) size = widest_thin_pen;
    const PenStroker stroker = size <= widest_thin_pen ? PenStroker::thin_line : PenStroker::wide_stroke;
    return PenObject{stroker, size, pixel_from_colorref(colour)};
}

}  // namespace kd508::platform
