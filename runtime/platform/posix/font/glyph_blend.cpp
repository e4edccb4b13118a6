#include "font/glyph_blend.h"

#include <algorithm>

#include "raster/span.h"

namespace kd508::font {

namespace {

constexpr unsigned full_coverage = 255;

// One 8-bit channel of colour over background at the given coverage, rounded to nearest.
unsigned mix_channel(unsigned colour, unsigned background, unsigned coverage) {
    return (colour * coverage + background * (full_coverage - coverage) + full_coverage / 2) /
           full_coverage;
}

// The three channels are written out rather than looped over: with constant shifts the
// compiler keeps the whole blend in registers, which makes text several times cheaper.
raster::Pixel mix(raster::Pixel colour, raster::Pixel background, unsigned coverage) {
    const auto channel = [&](int shift) {
        return static_cast<raster::Pixel>(mix_channel((colour >> shift) & 0xFF, (background >> shift) & 0xFF, coverage))
               << shift;
    };
    return channel(0) | channel(8) | channel(16);
}

TouchedArea clip(const raster::Surface& surface, std::int64_t left, std::int64_t top,
                 std::int64_t right, std::int64_t bottom) {
    TouchedArea area;
    area.left = static_cast<int>(std::clamp<std::int64_t>(left, 0, surface.width));
    area.top = static_cast<int>(std::clamp<std::int64_t>(top, 0, surface.height));
    area.right = static_cast<int>(std::clamp<std::int64_t>(right, 0, surface.width));
    area.bottom = static_cast<int>(std::clamp<std::int64_t>(bottom, 0, surface.height));
    if (area.empty()) return TouchedArea{};
    return area;
}

}  // namespace

TouchedArea blend_coverage(const raster::Surface& surface, std::int64_t left, std::int64_t top,
                           const std::uint8_t* coverage, int width, int rows, raster::Pixel colour) {
    if (!coverage || width <= 0 || rows <= 0) return TouchedArea{};
    const TouchedArea area = clip(surface, left, top, left + width, top + rows);
    for (int y = area.top; y < area.bottom; ++y) {
        const std::uint8_t* source = coverage + (y - top) * width + (area.left - left);
        raster::Pixel* target = surface.row(y) + area.left;
        for (int x = area.left; x < area.right; ++x, ++source, ++target) {
            if (*source == 0) continue;
            *target = *source == full_coverage ? colour : mix(colour, *target, *source);
        }
    }
    return area;
}

TouchedArea fill_box(const raster::Surface& surface, std::int64_t left, std::int64_t top,
                     std::int64_t right, std::int64_t bottom, raster::Pixel colour) {
    const TouchedArea area = clip(surface, left, top, right, bottom);
    for (int y = area.top; y < area.bottom; ++y) raster::fill_span(surface, y, area.left, area.right, colour);
    return area;
}

TouchedArea united(const TouchedArea& a, const TouchedArea& b) {
    if (a.empty()) return b;
    if (b.empty()) return a;
    return TouchedArea{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                       std::max(a.bottom, b.bottom)};
}

}  // namespace kd508::font
