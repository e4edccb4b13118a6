#include "kept_drawing.h"

#include <algorithm>

#include "deferred_copy.h"
#include "device_context.h"
#include "drawing_journal.h"
#include "font/sized_font.h"
#include "font/text_stamp.h"
#include "pending_fills.h"
#include "shape_call.h"
#include "text_line.h"

namespace kd508::platform {
namespace {

// Past this many kept calls, as when a program draws frame after frame and never copies one,
// a bitmap draws them all and draws at once until its next copy.
constexpr std::size_t most_kept_calls = 4096;

// The journal of the bitmap the device context draws on, if it keeps one.
BitmapJournal* journal_of_target(const DeviceContext& dc) {
    return dc.target == DeviceContext::Target::memory ? journal_of(dc.bitmap) : nullptr;
}

raster::Box tile_box(const BitmapJournal& journal, std::size_t tile) {
    const auto index = static_cast<std::int64_t>(tile);
    const std::int64_t left = index % journal.columns * journal_tile_width;
    const std::int64_t top = index / journal.columns * journal_tile_height;
    return {left, top, left + journal_tile_width, top + journal_tile_height};
}

// Whether every tile the area meets still keeps its calls.
bool all_tiles_keep(const BitmapJournal& journal, const raster::Box& kept_area) {
    bool keeping = true;
    for_each_tile(kept_area, journal.columns, journal.keeping.size(),
                  [&](std::size_t tile) { keeping = keeping && journal.keeping[tile] != 0; });
    return keeping;
}

// Keeps a call when the bitmap the device context draws on keeps a journal and every tile the
// call reaches keeps its calls: records make_fingerprint() and lets fill fill in the kept
// call's own fields. The fingerprint is made only for a call that is kept; one drawn at once
// gets it from note_drawn_by.
template <class MakeFingerprint, class Fill>
bool keep(DeviceContext& dc, const raster::Box& device_reach, MakeFingerprint&& make_fingerprint, Fill&& fill) {
    BitmapJournal* journal = journal_of_target(dc);
    BitmapObject* bitmap = journal ? target_bitmap(dc) : nullptr;
    if (!bitmap) return false;
    const raster::Box bounds = raster::bounds_of(bitmap->bits.surface());
    const raster::Box reported = device_reach.intersected(bounds);
    if (reported.empty()) return false;
    // Drawing may reach a little beyond what a call reports (pending_fills.h), and the journal
    // records the call that much further.
    const raster::Box kept_area = reported.grown(drawing_overreach).intersected(bounds);
    if (!all_tiles_keep(*journal, kept_area)) return false;
    if (journal->kept.size() >= most_kept_calls) {
        draw_kept_calls(*journal, *bitmap, bounds);
        return false;
    }
    KeptCall& kept = journal->kept.emplace_back();
    kept.device_area = kept_area;
    fill(*journal, kept);
    record_drawing(*journal, reported, make_fingerprint());
    return true;
}

// Draws one kept call on the part of a bitmap that surface holds, whose first pixel is the
// bitmap's pixel at origin.
void draw_kept_call(const BitmapJournal& journal, const KeptCall& kept, const raster::Surface& surface,
                    raster::Point origin) {
    if (!kept.is_text) {
        const std::span<const raster::Point> points(journal.kept_points.data() + kept.first, kept.count);
        draw_shape(surface, origin, kept.shape, points);
        return;
    }
    const std::string_view bytes(journal.kept_bytes);
    const std::string_view text = bytes.substr(kept.first, kept.count);
    const std::string_view face_name = bytes.substr(kept.first + kept.count, kept.face_count);
    ++platform_state().gdi.kept_lines_drawn;
    font::SizedFont& font = font::sized_font(line_font_request(kept.text, face_name));
    draw_text_line(surface, origin, kept.text, font, font::text_stamp(font, text), text);
}

// Brings the tile's pixels up to date and lets it draw at once: unless its calls so far are the
// ones that made its pixels, or there are none, they are drawn over the tile, clipped to it.
void draw_tile(BitmapJournal& journal, BitmapObject& bitmap, std::size_t tile) {
    journal.keeping[tile] = 0;
    const DrawingFingerprint calls = journal.tiles[tile];
    if (calls == nothing_drawn || calls == journal.made[tile]) return;
    // The pending boxes under the tile are written first, so that its pixels are what the
    // bitmap holds, and the calls drawn over them.
    release_bits_to_waiting_copy(bitmap);
    const raster::Surface whole = bitmap.bits.surface();
    const raster::Box box = tile_box(journal, tile).intersected(raster::bounds_of(whole));
    settle_pending_fills(bitmap, box);
    const raster::Surface part{whole.row(static_cast<int>(box.top)) + box.left, static_cast<int>(box.width()),
                               static_cast<int>(box.height()), whole.stride};
    const raster::Point origin{box.left, box.top};
    for (const KeptCall& kept : journal.kept) {
        if (kept.device_area.overlaps(box)) draw_kept_call(journal, kept, part, origin);
    }
}

}  // namespace

bool keep_shape_on_target(DeviceContext& dc, const ShapeCall& call, std::span<const raster::Point> points,
                          const raster::Box& device_reach) {
    return keep(
        dc, device_reach, [&] { return fingerprint_of(call, points); },
        [&](BitmapJournal& journal, KeptCall& kept) {
            kept.shape = call;
            kept.first = static_cast<std::uint32_t>(journal.kept_points.size());
            kept.count = static_cast<std::uint32_t>(points.size());
            journal.kept_points.insert(journal.kept_points.end(), points.begin(), points.end());
        });
}

bool keep_text_on_target(DeviceContext& dc, const TextLine& line, std::string_view face_name, std::string_view text,
                         const raster::Box& device_reach) {
    return keep(
        dc, device_reach, [&] { return fingerprint_of(line, face_name, text); },
        [&](BitmapJournal& journal, KeptCall& kept) {
            kept.is_text = true;
            kept.text = line;
            kept.first = static_cast<std::uint32_t>(journal.kept_bytes.size());
            kept.count = static_cast<std::uint32_t>(text.size());
            kept.face_count = static_cast<std::uint32_t>(face_name.size());
            journal.kept_bytes.append(text).append(face_name);
        });
}

void draw_kept_calls_on_target(DeviceContext& dc, const raster::Box& device_area) {
    BitmapJournal* journal = journal_of_target(dc);
    if (!journal) return;
    if (BitmapObject* bitmap = target_bitmap(dc)) draw_kept_calls(*journal, *bitmap, device_area);
}

void draw_kept_calls(BitmapJournal& journal, BitmapObject& bitmap, const raster::Box& device_area) {
    for_each_tile(device_area, journal.columns, journal.keeping.size(), [&](std::size_t tile) {
        if (journal.keeping[tile]) draw_tile(journal, bitmap, tile);
    });
}

void draw_changed_tiles(BitmapJournal& journal, BitmapObject& bitmap) {
    for (std::size_t tile = 0; tile < journal.tiles.size(); ++tile) {
        if (journal.keeping[tile]) draw_tile(journal, bitmap, tile);
        if (journal.tiles[tile] != nothing_drawn) journal.made[tile] = journal.tiles[tile];
        journal.keeping[tile] = 1;
    }
    journal.kept.clear();
    journal.kept_points.clear();
    journal.kept_bytes.clear();
}

}  // namespace kd508::platform
