// The choice of the kernel that strokes with a pen, made once, when the pen is made.
#pragma once

#include <cstdint>

#include "core/platform_state.h"
#include "gdi/device_context.h"

namespace kd508::platform {

// Widths 0 and 1 both draw the one-pixel line of the cosmetic pen.
inline constexpr std::uint32_t widest_thin_pen = 1;

// The pen CreatePen makes. A negative width, which the runtime corrects before it arrives, is
// taken by its size, in unsigned arithmetic so that INT_MIN has one. Inline: the runtime makes a
// pen for most shapes it draws.
inline PenObject make_pen(int style, int width, COLORREF colour) {
    if (style == PS_NULL) return PenObject{};
    const auto bits = static_cast<std::uint32_t>(width);
    const std::uint32_t size = width < 0 ? 0u - bits : bits;
    if (size <= widest_thin_pen) return PenObject{PenStroker::thin_line, widest_thin_pen, pixel_from_colorref(colour)};
    return PenObject{PenStroker::wide_stroke, size, pixel_from_colorref(colour)};
}

}  // namespace kd508::platform
