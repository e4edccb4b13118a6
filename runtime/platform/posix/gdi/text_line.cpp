#include "text_line.h"

#include "drawing_journal.h"

namespace kd508::platform {
namespace {

// Where the stamp of a line whose pen starts at device_left on the baseline puts its ink.
raster::Box stamp_box(const font::TextStamp& stamp, std::int64_t device_left, std::int64_t baseline) {
    const std::int64_t left = device_left + stamp.left;
    const std::int64_t top = baseline - stamp.top;
    return {left, top, left + stamp.width, top + stamp.rows};
}

// One glyph with its pen position on the baseline: from its ink mask, or blended from its
// coverage when it has partial coverage.
font::TouchedArea draw_glyph(const raster::Surface& surface, const font::Glyph& glyph, std::int64_t pen,
                             std::int64_t baseline, raster::Pixel colour) {
    const std::int64_t left = pen + glyph.left;
    const std::int64_t top = baseline - glyph.top;
    if (!glyph.ink.empty())
        return font::blend_ink_mask(surface, left, top, glyph.width, glyph.rows, glyph.ink.data(), colour);
    return font::blend_coverage(surface, left, top, glyph.coverage.data(), glyph.width, glyph.rows, colour);
}

}  // namespace

std::int64_t measured_width(font::SizedFont& font, const font::TextStamp* stamp, std::string_view text) {
    if (stamp) return stamp->advance;
    std::int64_t width = 0;
    for (const char byte : text) width += font.advance(static_cast<unsigned char>(byte));
    return width;
}

bool stamp_draws_line(const font::TextStamp* stamp, const TextLine& line) {
    return stamp && line.device_left + stamp->last_pen < line.device_right_edge;
}

raster::Box text_reach(font::SizedFont& font, const font::TextStamp* stamp, const TextLine& line,
                       std::string_view text) {
    const std::int64_t baseline = line.device_top + font.metrics().ascent;
    raster::Box reach;
    if (line.opaque) {
        reach = {line.device_left, line.device_top, line.device_left + measured_width(font, stamp, text),
                 line.device_top + font.metrics().cell_height};
    }
    // The stamp's box holds what the glyphs' boxes would.
    if (stamp_draws_line(stamp, line)) return reach.united(stamp_box(*stamp, line.device_left, baseline));
    std::int64_t pen = line.device_left;
    for (std::size_t i = 0; i < text.size() && pen < line.device_right_edge; ++i) {
        const font::Glyph& glyph = font.glyph(static_cast<unsigned char>(text[i]));
        const std::int64_t glyph_left = pen + glyph.left;
        const std::int64_t glyph_top = baseline - glyph.top;
        reach = reach.united({glyph_left, glyph_top, glyph_left + glyph.width, glyph_top + glyph.rows});
        pen += glyph.advance;
    }
    return reach;
}

DrawnText draw_text_line(const raster::Surface& surface, raster::Point origin, const TextLine& line,
                         font::SizedFont& font, const font::TextStamp* stamp, std::string_view text) {
    // The pen runs in 64 bits: a cell that starts near INT_MAX may end past it.
    const std::int64_t left = line.device_left - origin.x;
    const std::int64_t top = line.device_top - origin.y;
    const std::int64_t baseline = top + font.metrics().ascent;
    DrawnText drawn;
    if (line.opaque) {
        drawn.touched = font::fill_box(surface, left, top, left + measured_width(font, stamp, text),
                                       top + font.metrics().cell_height, line.background);
    }
    if (stamp_draws_line(stamp, line)) {
        // Glyphs of one colour: where they overlap, the order they are drawn in changes nothing.
        drawn.touched = font::united(
            drawn.touched, font::blend_ink_mask(surface, left + stamp->left, baseline - stamp->top, stamp->width,
                                                stamp->rows, stamp->ink.data(), line.colour));
        return drawn;
    }
    const std::int64_t right_edge = line.device_right_edge - origin.x;
    std::int64_t pen = left;
    for (std::size_t i = 0; i < text.size() && pen < right_edge; ++i) {
        const font::Glyph& glyph = font.glyph(static_cast<unsigned char>(text[i]));
        drawn.touched = font::united(drawn.touched, draw_glyph(surface, glyph, pen, baseline, line.colour));
        drawn.blended = drawn.blended || (glyph.ink.empty() && !glyph.coverage.empty());
        pen += glyph.advance;
    }
    return drawn;
}

DrawingFingerprint fingerprint_of(const TextLine& line, std::string_view face_name, std::string_view text) {
    CallFingerprint fingerprint(DrawingCall::text);
    fingerprint.add(line.font_height).add(line.fixed_pitch).add(face_name);
    fingerprint.add(line.device_left).add(line.device_top).add(line.colour).add(line.opaque);
    if (line.opaque) fingerprint.add(line.background);
    return fingerprint.add(text).value();
}

}  // namespace kd508::platform
