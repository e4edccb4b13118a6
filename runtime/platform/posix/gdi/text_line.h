// A line of text as a value. TextOutA takes the device context's font, colours and mode into a
// TextLine, which is drawn at once or kept in the bitmap's journal and drawn later, a tile at a
// time (kept_drawing.h): the same line must draw the same pixels either way.
#pragma once

#include <string_view>

#include "core/platform_state.h"
#include "font/glyph_blend.h"
#include "font/sized_font.h"
#include "font/text_stamp.h"
#include "raster/geometry.h"
#include "raster/surface.h"

namespace kd508::platform {

// The font the line asks for; face_name lies beside the line.
inline font::FontRequest line_font_request(const TextLine& line, std::string_view face_name) {
    return font::FontRequest{line.font_height, line.fixed_pitch, face_name};
}

// The width of a line: its stamp's, or every character's advance added up.
std::int64_t measured_width(font::SizedFont& font, const font::TextStamp* stamp, std::string_view text);

// Whether the stamp draws the whole line: drawing stops at the first character whose pen
// position lies on the right edge or past it, and the stamp holds every character.
bool stamp_draws_line(const font::TextStamp* stamp, const TextLine& line);

// Every pixel the line can touch, in device coordinates: its background cell when it is
// opaque, and each glyph's box, which may reach beyond the cell (an overhang, an accent above
// the ascent).
raster::Box text_reach(font::SizedFont& font, const font::TextStamp* stamp, const TextLine& line,
                       std::string_view text);

struct DrawnText {
    font::TouchedArea touched;  // in the surface's pixels
    bool blended = false;       // a glyph with partial coverage, whose pixels depend on what lay under it
};

// Draws the line on surface, whose first pixel is the device pixel at origin, from its stamp
// when it has one that draws it and glyph by glyph otherwise.
DrawnText draw_text_line(const raster::Surface& surface, raster::Point origin, const TextLine& line,
                         font::SizedFont& font, const font::TextStamp* stamp, std::string_view text);

// The line's fingerprint for a bitmap's journal (drawing_journal.h), for a line that blends no
// glyph: ink and an opaque background set the pixels they cover whatever those held.
DrawingFingerprint fingerprint_of(const TextLine& line, std::string_view face_name, std::string_view text);

}  // namespace kd508::platform
