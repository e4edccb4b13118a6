#include "pen_stroker.h"

#include "device_context.h"

namespace kd508::platform {
namespace {

// Widths 0 and 1 both draw the one-pixel line of the cosmetic pen.
constexpr std::int64_t widest_thin_pen = 1;

PenStroke stroke_of(int style, int width, COLORREF colour) {
    if (style == PS_NULL) return PenStroke{};
    // In 64 bits, so that a width of INT_MIN has a size.
    const std::int64_t asked = width;
    std::int64_t size = asked < 0 ? -asked : asked;
    if (size < widest_thin_pen) size = widest_thin_pen;
    const PenStroker stroker = size <= widest_thin_pen ? PenStroker::thin_line : PenStroker::wide_stroke;
    return PenStroke{stroker, size, pixel_from_colorref(colour)};
}

}  // namespace

PenObject make_pen(int style, int width, COLORREF colour) {
    return PenObject{style, width, colour, stroke_of(style, width, colour)};
}

}  // namespace kd508::platform
