#include "drawing_journal.h"

#include <bit>
#include <vector>

#include "pending_fills.h"

namespace kd508::platform {
namespace {

// Values a tile never takes from calls, kept for what is not a record of drawing.
constexpr DrawingFingerprint nothing_drawn = 0;     // a bitmap's tile: no call since the last copy
constexpr DrawingFingerprint shown_unrecorded = 1;  // a window's tile: shows a copy, of calls not recorded
constexpr DrawingFingerprint not_shown = 2;         // a window's tile: drawn on since, or never copied
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
                                 const PixelBuffer& source_bits, const raster::Box& area, std::int64_t shift_x,
                                 std::int64_t shift_y) {
    thread_local std::vector<std::uint8_t> unchanged;  // kept from copy to copy: no allocation per copy
    const std::int64_t columns = tile_columns(source_bits);
    const auto count = static_cast<std::size_t>(columns * tile_rows(source_bits));
    BitmapJournal* journal = journal_of(source_handle);
    if (!journal) {
        // The calls so far went unrecorded: the journal starts with this copy.
        journal = &platform_state().gdi.journals.emplace_back();
        journal->bitmap = source_handle;
        journal->columns = columns;
        journal->tiles.assign(count, nothing_drawn);
    }
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
    std::erase_if(platform_state().gdi.journals,
                  [bitmap](const BitmapJournal& journal) { return journal.bitmap == bitmap; });
}

}  // namespace kd508::platform
