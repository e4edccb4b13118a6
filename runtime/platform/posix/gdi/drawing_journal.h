// What a copy of a bitmap to a window may take on trust: a journal of the calls drawn on it.
//
// A program that redraws its whole picture every frame and copies it to its window makes the
// same calls, frame after frame, over most of the picture: the backdrop, the buttons and the
// captions stay where they are, and only a small figure moves. The copy writes only the pixels
// that changed (changed_pixel_copy.h), but to find them it reads every pixel that the bitmap's
// pending boxes leave uncovered, from both sides, and by the next frame the window's pixels have
// long left the processor's caches.
//
// So a bitmap keeps a journal for the window it is copied to. Its area is cut into tiles, and
// each tile holds a running fingerprint of the calls that reached it since the bitmap's last copy
// to that window, in order; a call's fingerprint covers everything that decides its pixels (what
// it draws and where, the pen, the brush, the font, the colours, the text). The window keeps, for
// each tile, the fingerprint of the calls that made what it shows there. Where no call reached a
// tile since, or the calls were the same ones as before, the tile's pixels are what the window
// shows, and the copy passes over them.
//
// That holds because every call a journal records sets each pixel it covers to a value of its
// own, whatever the pixel held before: a run of such calls leaves the same pixels however many
// times it is repeated. A call whose pixels depend on what was there (a copy from another
// surface, a scroll, text blended into its background) is given a fingerprint that matches no
// other. Two different runs of calls share a fingerprint with a chance of one in 2^64.
//
// A journal is kept only while copies to windows are made as they come. When copies wait until
// something looks at the window (deferred_copy.h), most are never made, and a journal would only
// cost.
#pragma once

#include <algorithm>
#include <cstdint>
#include <span>
#include <string_view>

#include "core/platform_state.h"
#include "raster/geometry.h"

namespace kd508::platform {

// The tiles a journal cuts a bitmap into, in pixels: a figure that moves reaches few of them,
// and a copy passes over the rest.
inline constexpr std::int64_t journal_tile_width = 64;
inline constexpr std::int64_t journal_tile_height = 32;

// A bitmap's tile that no call reached since the last copy; calls never make this value.
inline constexpr DrawingFingerprint nothing_drawn = 0;

// Calls visit with the index of each tile of a grid, columns wide and held row by row, that
// device_area meets; the area is clipped to the grid first.
template <class Visit>
void for_each_tile(const raster::Box& device_area, std::int64_t columns, std::size_t count, Visit&& visit) {
    if (columns <= 0) return;
    const std::int64_t rows = static_cast<std::int64_t>(count) / columns;
    const raster::Box area =
        device_area.intersected(raster::Box{0, 0, columns * journal_tile_width, rows * journal_tile_height});
    if (area.empty()) return;
    for (std::int64_t row = area.top / journal_tile_height; row * journal_tile_height < area.bottom; ++row) {
        for (std::int64_t column = area.left / journal_tile_width; column * journal_tile_width < area.right; ++column)
            visit(static_cast<std::size_t>(row * columns + column));
    }
}

// Builds the fingerprint of one call from everything that decides its pixels.
class CallFingerprint {
public:
    explicit CallFingerprint(DrawingCall call) : state_(static_cast<std::uint64_t>(call)) {}
    CallFingerprint& add(std::int64_t value);
    CallFingerprint& add(std::string_view bytes);
    DrawingFingerprint value() const;

private:
    std::uint64_t state_;
};

// The fingerprint of a call whose pixels depend on what the bitmap held: it matches no other.
DrawingFingerprint unrepeatable_call();

// The journal the bitmap keeps, or null when it keeps none and its calls need no fingerprints.
// Few bitmaps keep one: a program copies one or two to its windows.
inline BitmapJournal* journal_of(HGDIOBJ bitmap) {
    for (BitmapJournal& journal : platform_state().gdi.journals)
        if (journal.bitmap == bitmap) return &journal;
    return nullptr;
}

// A call drew inside device_area of the journal's bitmap (device pixels, clipped or not).
void record_drawing(BitmapJournal& journal, const raster::Box& device_area, DrawingFingerprint call);

// The tiles of a copy's source that the target shows already, for the copy to pass over.
class TilesShown {
public:
    TilesShown() = default;  // none: the copy looks at everything
    TilesShown(std::span<const std::uint8_t> shown, std::int64_t columns, std::int64_t shift_x, std::int64_t shift_y)
        : shown_(shown), columns_(columns), shift_x_(shift_x), shift_y_(shift_y) {}

    // Calls look_at with each box of target_box (target coordinates, lying on the source once
    // moved by the shift) that is not in a tile known to be shown, a row of tiles at a time and
    // neighbouring tiles in one box.
    template <class LookAt>
    void for_each_unknown(const raster::Box& target_box, LookAt&& look_at) const {
        if (shown_.empty()) {
            look_at(target_box);
            return;
        }
        const raster::Box box = target_box.moved(shift_x_, shift_y_);
        const auto emit = [&](std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom) {
            look_at(raster::Box{left, top, right, bottom}.moved(-shift_x_, -shift_y_));
        };
        for (std::int64_t row = box.top / journal_tile_height; row * journal_tile_height < box.bottom; ++row) {
            const std::int64_t top = std::max(box.top, row * journal_tile_height);
            const std::int64_t bottom = std::min(box.bottom, (row + 1) * journal_tile_height);
            std::int64_t unknown_left = box.left;
            bool in_unknown = false;
            for (std::int64_t column = box.left / journal_tile_width; column * journal_tile_width < box.right;
                 ++column) {
                const std::int64_t left = std::max(box.left, column * journal_tile_width);
                if (shown_[static_cast<std::size_t>(row * columns_ + column)] == 0) {
                    if (!in_unknown) unknown_left = left;
                    in_unknown = true;
                } else if (in_unknown) {
                    emit(unknown_left, top, left, bottom);
                    in_unknown = false;
                }
            }
            if (in_unknown) emit(unknown_left, top, box.right, bottom);
        }
    }

private:
    std::span<const std::uint8_t> shown_;  // one per tile of the source, row by row
    std::int64_t columns_ = 0;
    std::int64_t shift_x_ = 0;
    std::int64_t shift_y_ = 0;
};

// Before a copy of the bitmap to the window over area (window coordinates, each pixel coming
// from shift_x and shift_y further on), made at once: draws the calls the bitmap keeps where
// they change its pixels (kept_drawing.h), takes the bitmap's journal, which starts again, and
// what the window will show after the copy. Returns the tiles the copy may pass over, valid
// until the next copy.
TilesShown take_journal_for_copy(HWND window_handle, WindowSurface& window, HGDIOBJ source_handle,
                                 BitmapObject& source_bitmap, const raster::Box& area, std::int64_t shift_x,
                                 std::int64_t shift_y);

// Something other than a journaled copy drew on the window inside device_area (client pixels).
void forget_shown_drawing(WindowSurface& window, const raster::Box& device_area);

// A copy to the window that no journal follows (from another window, or one that waits): the
// window shows nothing a journal knows.
void forget_shown_drawing(WindowSurface& window);

// The bitmap keeps no journal any more: it is copied to a window that waits, or deleted. The
// calls it keeps are drawn first.
void drop_journal(HGDIOBJ bitmap);

}  // namespace kd508::platform
