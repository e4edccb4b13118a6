// Calls a journaled bitmap keeps instead of drawing them, until something looks at their pixels.
//
// A program that redraws its whole picture every frame and copies it to its window writes most
// of the picture's pixels every frame with the colours they held already. The journal
// (drawing_journal.h) lets the copy pass over the tiles whose calls repeat those of the last
// frame, but the calls have written the bitmap's pixels by then, and the writing is most of what
// a frame costs: by the next frame the bitmap has left the processor's caches.
//
// So while a copy to a window follows a bitmap's journal, the shapes and the lines of text drawn
// on it are kept, not drawn. When the copy comes, each tile whose calls are the ones that made
// the pixels it holds is left as it is: every kept call sets the pixels it covers whatever they
// held, so the same calls drawn again would leave the same pixels. Only the other tiles have
// their calls drawn, each call clipped to the tile. Anything else that reads or writes the
// bitmap (a copy elsewhere, GetPixel, a call of another kind) has the kept calls drawn over the
// tiles it reaches first, and those tiles draw their calls at once until the next copy.
#pragma once

#include <span>
#include <string_view>

#include "core/platform_state.h"
#include "raster/geometry.h"

namespace kd508::platform {

bool keep_shape_on_target(DeviceContext& dc, const ShapeCall& call, std::span<const raster::Point> points,
                          const raster::Box& device_reach);
bool keep_text_on_target(DeviceContext& dc, const TextLine& line, std::string_view face_name, std::string_view text,
                         const raster::Box& device_reach);

// Keeps the shape on the bitmap the device context draws on, when the bitmap keeps a journal
// and every tile the shape reaches (device_reach, shape_call.h) still keeps its calls; its
// fingerprint goes to the journal. Returns false when the caller is to draw the shape itself.
// Inline, as every shape comes here: where no bitmap keeps a journal, as off screen, nothing
// else is looked at.
inline bool keep_shape(DeviceContext& dc, const ShapeCall& call, std::span<const raster::Point> points,
                       const raster::Box& device_reach) {
    return !platform_state().gdi.journals.empty() && keep_shape_on_target(dc, call, points, device_reach);
}

// The same for a line of text that blends no glyph, reaching device_reach (text_line.h).
inline bool keep_text(DeviceContext& dc, const TextLine& line, std::string_view face_name, std::string_view text,
                      const raster::Box& device_reach) {
    return !platform_state().gdi.journals.empty() && keep_text_on_target(dc, line, face_name, text, device_reach);
}

// Draws the kept calls of the tiles device_area meets (device pixels of the bitmap), which draw
// their calls at once from then on.
void draw_kept_calls(BitmapJournal& journal, BitmapObject& bitmap, const raster::Box& device_area);
void draw_kept_calls_on_target(DeviceContext& dc, const raster::Box& device_area);

// The same for the bitmap the device context draws on. Inline, and first of all a look at
// whether any bitmap keeps a journal, as every drawing call comes here: where none does, as
// off screen, nothing else is looked at, the area included.
inline void draw_kept_calls(DeviceContext& dc, const raster::Box& device_area) {
    if (!platform_state().gdi.journals.empty()) draw_kept_calls_on_target(dc, device_area);
}

// At a copy that takes the journal: draws the kept calls of every tile whose calls since the
// last copy are not the ones that made its pixels, and starts keeping again.
void draw_changed_tiles(BitmapJournal& journal, BitmapObject& bitmap);

}  // namespace kd508::platform
