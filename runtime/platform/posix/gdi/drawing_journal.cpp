#include "drawing_journal.h"

#include <bit>
#include <vector>

#include "gdi_objects.h"
#include "kept_drawing.h"
#include "pending_fills.h"

namespace kd508::platform {
namespace {

// Values a tile never takes from calls, kept for what is not a record of drawing.
constexpr DrawingFingerprint shown_unrecorded = 1;  // a window's tile: shows a copy, of calls not recorded
constexpr DrawingFingerprint not_shown = 2;         // a window's tile: drawn on since, or never copied
constexpr DrawingFingerprint made_unrecorded = 1;   // a bitmap's tile: holds pixels of calls not recorded
constexpr DrawingFingerprint first_fingerprint = 3;

// A bijective mix of 64 bits, in which every input bit moves about half the output bits.
constexpr std::uint64_t mixed(std::uint64_t value) {
    value ^= value >> 30;
    value *= 0xBF58476D1CE4E5B9;
    value ^= value >> 27;
    value *= 0x94D049BB133111EB;
    value ^= value >> 31;
    return value;
}

// The fingerprint of a tile's calls after one more: in order, so that the same calls in another
// order, or one call twice, make another value.
DrawingFingerprint after_call(DrawingFingerprint tile, DrawingFingerprint call) {
    const DrawingFingerprint next = mixed(tile ^ call);
    return next < first_fingerprint ? next + first_fingerprint : next;
}

// How many tiles across cover a bitmap's width, and how many down its height.
std::int64_t tile_columns(const PixelBuffer& bits) {
    return (std::int64_t{bits.width} + journal_tile_width - 1) / journal_tile_width;
}
std::int64_t tile_rows(const PixelBuffer& bits) {
    return (std::int64_t{bits.height} + journal_tile_height - 1) / journal_tile_height;
}

}  // namespace

CallFingerprint& CallFingerprint::add(std::int64_t value) {
    state_ = std::rotl(state_ ^ static_cast<std::uint64_t>(value), 27) * 0x9E3779B97F4A7C15;
    return *this;
}

CallFingerprint& CallFingerprint::add(std::string_view bytes) {
    add(static_cast<std::int64_t>(bytes.size()));
    for (unsigned char byte : bytes) add(byte);
    return *this;
}

DrawingFingerprint CallFingerprint::value() const { return mixed(state_); }

DrawingFingerprint unrepeatable_call() {
    // Mixed, so that the counted values lie as far from every call's fingerprint as any other.
    return mixed(++platform_state().gdi.unrepeatable_calls ^ 0x5DEECE66DULL);
}

void record_drawing(BitmapJournal& journal, const raster::Box& device_area, DrawingFingerprint call) {
    // Drawing may reach a little beyond the area a call reports (pending_fills.h).
    for_each_tile(device_area.grown(drawing_overreach), journal.columns, journal.tiles.size(),
                  [&](std::size_t tile) { journal.tiles[tile] = after_call(journal.tiles[tile], call); });
}

TilesShown take_journal_for_copy(HWND window_handle, WindowSurface& window, HGDIOBJ source_handle,
                                 BitmapObject& source_bitmap, const raster::Box& area, std::int64_t shift_x,
                                 std::int64_t shift_y) {
    thread_local std::vector<std::uint8_t> unchanged;  // kept from copy to copy: no allocation per copy
    const std::int64_t columns = tile_columns(source_bitmap.bits);
    const auto count = static_cast<std::size_t>(columns * tile_rows(source_bitmap.bits));
    BitmapJournal* journal = journal_of(source_handle);
    if (!journal) {
        // The calls so far went unrecorded: the journal starts with this copy, and the bitmap's
        // pixels hold what they made.
        journal = &platform_state().gdi.journals.emplace_back();
        journal->bitmap = source_handle;
        journal->columns = columns;
        journal->tiles.assign(count, nothing_drawn);
        journal->made.assign(count, made_unrecorded);
        journal->keeping.assign(count, 0);
    }
    draw_changed_tiles(*journal, source_bitmap);
    ShownDrawing& shown = window.shown_drawing;
    // The bitmap's journal runs from its last copy to this window, and the window shows that
    // copy over the same area, drawn on in places since: the tiles not drawn on can be trusted.
    const bool journal_follows = journal->window == window_handle && shown.source == source_handle &&
                                 shown.area == area && shown.shift_x == shift_x && shown.shift_y == shift_y &&
                                 shown.tiles.size() == count;
    if (!journal_follows) shown.tiles.assign(count, not_shown);

    unchanged.assign(count, 0);
    bool any_unchanged = false;
    for (std::size_t tile = 0; tile < count; ++tile) {
        const DrawingFingerprint drawn = journal->tiles[tile];
        const DrawingFingerprint before = shown.tiles[tile];
        const bool known = before != not_shown;
        if (known && (drawn == nothing_drawn || drawn == before)) {
            unchanged[tile] = 1;
            any_unchanged = true;
        }
        // After the copy the window shows what the calls since the last copy made; where there
        // were none, what the calls before made, if they are known.
        if (drawn != nothing_drawn) shown.tiles[tile] = drawn;
        else if (!known) shown.tiles[tile] = shown_unrecorded;
    }
    std::fill(journal->tiles.begin(), journal->tiles.end(), nothing_drawn);
    journal->window = window_handle;
    shown.source = source_handle;
    shown.area = area;
    shown.shift_x = shift_x;
    shown.shift_y = shift_y;
    shown.columns = columns;
    if (!any_unchanged) return {};
    return TilesShown(unchanged, columns, shift_x, shift_y);
}

void forget_shown_drawing(WindowSurface& window, const raster::Box& device_area) {
    ShownDrawing& shown = window.shown_drawing;
    if (!shown.source) return;
    for_each_tile(device_area.grown(drawing_overreach).moved(shown.shift_x, shown.shift_y), shown.columns,
                  shown.tiles.size(), [&](std::size_t tile) { shown.tiles[tile] = not_shown; });
}

void forget_shown_drawing(WindowSurface& window) {
    window.shown_drawing.source = nullptr;
    window.shown_drawing.tiles.clear();
}

void drop_journal(HGDIOBJ bitmap) {
    BitmapJournal* journal = journal_of(bitmap);
    if (!journal) return;
    if (BitmapObject* pixels = find_gdi<BitmapObject>(bitmap))
        draw_kept_calls(*journal, *pixels, raster::bounds_of(pixels->bits.surface()));
    std::erase_if(platform_state().gdi.journals,
                  [bitmap](const BitmapJournal& journal) { return journal.bitmap == bitmap; });
}

}  // namespace kd508::platform
