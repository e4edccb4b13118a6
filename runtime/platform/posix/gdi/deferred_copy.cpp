#include "deferred_copy.h"

#include <algorithm>
#include <variant>
#include <vector>

#include "changed_pixel_copy.h"
#include "device_context.h"
#include "drawing_journal.h"
#include "gdi_objects.h"
#include "pending_fills.h"

namespace kd508::platform {
namespace {

BitmapObject* bitmap_of(HGDIOBJ handle) {
    GdiObject* object = find_gdi_object(handle);
    return object ? std::get_if<BitmapObject>(&object->value) : nullptr;
}

// Copies from `from` into the bitmap's bits the pixels that none of its pending boxes covers:
// the rest of the bits will be written from those boxes before anything reads them.
void copy_outside_pending_boxes(BitmapObject& bitmap, const PixelBuffer& from) {
    thread_local std::vector<std::int64_t> band_edges;
    thread_local std::vector<const PendingFill*> across;
    band_edges.assign({0, std::int64_t{bitmap.bits.height}});
    for (const PendingFill& fill : bitmap.pending_fills) {
        band_edges.push_back(fill.device_box.top);
        band_edges.push_back(fill.device_box.bottom);
    }
    std::sort(band_edges.begin(), band_edges.end());
    band_edges.erase(std::unique(band_edges.begin(), band_edges.end()), band_edges.end());
    const auto copy_columns = [&](std::int64_t top, std::int64_t bottom, std::int64_t left, std::int64_t right) {
        if (left >= right) return;
        for (std::int64_t y = top; y < bottom; ++y) {
            const std::size_t first = static_cast<std::size_t>(y * bitmap.bits.width + left);
            std::copy_n(from.pixels.begin() + static_cast<std::ptrdiff_t>(first), right - left,
                        bitmap.bits.pixels.begin() + static_cast<std::ptrdiff_t>(first));
        }
    };
    // Between two consecutive edges every row meets the same boxes, which never overlap.
    for (std::size_t band = 0; band + 1 < band_edges.size(); ++band) {
        const std::int64_t top = band_edges[band], bottom = band_edges[band + 1];
        boxes_across(bitmap.pending_fills, top, bottom, across);
        std::int64_t x = 0;
        for (const PendingFill* fill : across) {
            copy_columns(top, bottom, x, fill->device_box.left);
            x = fill->device_box.right;
        }
        copy_columns(top, bottom, x, bitmap.bits.width);
    }
}

// A buffer the size of the bitmap's, for it to draw on while its old bits wait to be copied.
PixelBuffer spare_bits_like(const PixelBuffer& bits) {
    PixelBuffer& spare = platform_state().gdi.spare_bits;
    if (spare.width == bits.width && spare.height == bits.height) return std::move(spare);
    return PixelBuffer(bits.width, bits.height);
}

// Lets go of a waiting copy that will never be made: its kept pixels become the spare buffer.
void forget_waiting_copy(HWND window_handle, DeferredCopy& copy) {
    if (copy.kept_pixels) {
        platform_state().gdi.spare_bits = std::move(*copy.kept_pixels);
    } else if (BitmapObject* source = bitmap_of(copy.source); source && source->copied_to == window_handle) {
        source->copied_to = nullptr;
    }
}

}  // namespace

bool copies_may_wait() {
    const Presenter* presenter = platform_state().presenter.get();
    return presenter && !presenter->reads_client_pixels();
}

void copy_to_window(WindowSurface& window, const raster::Surface& from, std::span<const PendingFill> source_pending,
                    const raster::Box& area, std::int64_t shift_x, std::int64_t shift_y,
                    const TilesShown& tiles_shown) {
    thread_local std::vector<PendingFill> now_shown;  // kept from call to call: no allocation per copy
    const raster::Box changed = copy_changed_pixels(window.client.surface(), window.shown_solid, from, source_pending,
                                                    area, shift_x, shift_y, now_shown, tiles_shown);
    // Only the presenter is told: what the copy wrote is what the window now shows, not drawing
    // that would make the window forget what it holds.
    if (!changed.empty()) show_client_change(window, changed);
    window.shown_solid.swap(now_shown);
}

void defer_copy(HWND window_handle, WindowSurface& window, HGDIOBJ source_handle, BitmapObject& source_bitmap,
                std::span<const PendingFill> source_pending, const raster::Box& area, std::int64_t shift_x,
                std::int64_t shift_y) {
    if (window.deferred_copy) {
        // A copy over all of the waiting one's area makes it pointless; any other is made first.
        if (area.contains(window.deferred_copy->area)) {
            forget_waiting_copy(window_handle, *window.deferred_copy);
            window.deferred_copy.reset();
        } else {
            make_waiting_copy(window_handle);
        }
    }
    // A bitmap's bits wait for one window at a time.
    if (source_bitmap.copied_to && source_bitmap.copied_to != window_handle) make_waiting_copy(source_bitmap.copied_to);
    // Most waiting copies are never made: a journal of the bitmap's drawing would only cost.
    drop_journal(source_handle);
    forget_shown_drawing(window);
    DeferredCopy& copy = window.deferred_copy.emplace();
    copy.source = source_handle;
    copy.source_pending.assign(source_pending.begin(), source_pending.end());
    copy.area = area;
    copy.shift_x = shift_x;
    copy.shift_y = shift_y;
    source_bitmap.copied_to = window_handle;
}

void make_waiting_copy(HWND window_handle) {
    WindowSurface* window = find_window_surface(window_handle);
    if (!window || !window->deferred_copy) return;
    DeferredCopy copy = std::move(*window->deferred_copy);
    window->deferred_copy.reset();
    if (copy.kept_pixels) {
        copy_to_window(*window, copy.kept_pixels->surface(), copy.source_pending, copy.area, copy.shift_x,
                       copy.shift_y);
        platform_state().gdi.spare_bits = std::move(*copy.kept_pixels);
        return;
    }
    BitmapObject* source = bitmap_of(copy.source);
    if (!source || source->copied_to != window_handle) return;  // the bitmap is gone: nothing was kept
    source->copied_to = nullptr;
    copy_to_window(*window, source->bits.surface(), copy.source_pending, copy.area, copy.shift_x, copy.shift_y);
}

void release_bits_to_waiting_copy(BitmapObject& bitmap) {
    if (!bitmap.copied_to) return;
    WindowSurface* window = find_window_surface(bitmap.copied_to);
    bitmap.copied_to = nullptr;
    if (!window || !window->deferred_copy || window->deferred_copy->kept_pixels) return;
    PixelBuffer fresh = spare_bits_like(bitmap.bits);
    window->deferred_copy->kept_pixels = std::move(bitmap.bits);
    bitmap.bits = std::move(fresh);
    copy_outside_pending_boxes(bitmap, *window->deferred_copy->kept_pixels);
}

}  // namespace kd508::platform
