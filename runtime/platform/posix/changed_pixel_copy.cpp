#include "changed_pixel_copy.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "pending_fills.h"
#include "raster/span.h"

namespace kd508::platform {
namespace {

// The bounds of what a copy has written so far.
struct ChangedBounds {
    raster::Box box;

    void add(std::int64_t row, std::int64_t first, std::int64_t last) {
        box = raster::united(box, raster::Box{first, row, last + 1, row + 1});
    }
};

// Pixels x_begin..x_end-1 of a row, copied where they differ from those of in_row shift_x further on.
void copy_part(raster::Pixel* out_row, const raster::Pixel* in_row, std::int64_t shift_x, std::int64_t row,
               std::int64_t x_begin, std::int64_t x_end, ChangedBounds& changed) {
    raster::Pixel* out = out_row + x_begin;
    const raster::Pixel* in = in_row + (x_begin + shift_x);
    const std::size_t count = static_cast<std::size_t>(x_end - x_begin);
    if (std::memcmp(out, in, count * sizeof(raster::Pixel)) == 0) return;
    std::size_t first = 0, last = count - 1;
    while (out[first] == in[first]) ++first;
    while (out[last] == in[last]) --last;
    std::memcpy(out + first, in + first, (last - first + 1) * sizeof(raster::Pixel));
    changed.add(row, x_begin + static_cast<std::int64_t>(first), x_begin + static_cast<std::int64_t>(last));
}

// Pixels x_begin..x_end-1 of a row, set to colour where they are not.
void fill_part(raster::Pixel* out_row, std::int64_t row, std::int64_t x_begin, std::int64_t x_end,
               raster::Pixel colour, ChangedBounds& changed) {
    raster::Pixel* out = out_row + x_begin;
    const std::size_t count = static_cast<std::size_t>(x_end - x_begin);
    const std::size_t first = raster::first_unlike(out, count, colour);
    if (first == count) return;
    const std::size_t last = raster::last_unlike(out, count, colour);
    raster::fill_run(out + first, last - first + 1, colour);
    changed.add(row, x_begin + static_cast<std::int64_t>(first), x_begin + static_cast<std::int64_t>(last));
}

// The boxes of a list that span every row of a band, left to right.
void boxes_across(std::span<const PendingFill> boxes, std::int64_t band_top, std::int64_t band_bottom,
                  std::vector<const PendingFill*>& across) {
    across.clear();
    for (const PendingFill& fill : boxes) {
        if (fill.device_box.top <= band_top && fill.device_box.bottom >= band_bottom) across.push_back(&fill);
    }
    std::sort(across.begin(), across.end(),
              [](const PendingFill* a, const PendingFill* b) { return a->device_box.left < b->device_box.left; });
}

// As fill_part, leaving out what the target is known to hold in that colour already.
void fill_part_not_shown(raster::Pixel* out_row, std::int64_t row, std::int64_t x_begin, std::int64_t x_end,
                         raster::Pixel colour, std::span<const PendingFill* const> shown_across,
                         ChangedBounds& changed) {
    std::int64_t x = x_begin;
    for (const PendingFill* shown : shown_across) {
        const raster::Box& box = shown->device_box;
        if (box.right <= x || shown->colour != colour) continue;
        if (box.left >= x_end) break;
        if (x < box.left) fill_part(out_row, row, x, box.left, colour, changed);
        x = std::max(x, box.right);
        if (x >= x_end) return;
    }
    fill_part(out_row, row, x, x_end, colour, changed);
}

void add_band_edges(std::vector<std::int64_t>& edges, const raster::Box& box) {
    edges.push_back(box.top);
    edges.push_back(box.bottom);
}

}  // namespace

raster::Box copy_changed_pixels(const raster::Surface& to, std::span<const PendingFill> to_shown,
                                const raster::Surface& from, std::span<const PendingFill> source_pending,
                                const raster::Box& area, std::int64_t shift_x, std::int64_t shift_y,
                                std::vector<PendingFill>& now_shown) {
    // Kept from call to call, so that a copy allocates nothing once it has seen the most boxes.
    thread_local std::vector<std::int64_t> band_edges;  // rows where the boxes across a row change
    thread_local std::vector<const PendingFill*> solid_across;
    thread_local std::vector<const PendingFill*> shown_across;
    std::vector<PendingFill>& solid = now_shown;  // the pending boxes in target coordinates, within area
    solid.clear();
    band_edges.clear();
    add_band_edges(band_edges, area);
    for (const PendingFill& fill : source_pending) {
        const raster::Box& box = fill.device_box;
        const raster::Box moved = raster::intersection(
            raster::Box{box.left - shift_x, box.top - shift_y, box.right - shift_x, box.bottom - shift_y}, area);
        if (moved.empty()) continue;
        solid.push_back(PendingFill{moved, fill.colour});
        add_band_edges(band_edges, moved);
    }
    for (const PendingFill& fill : to_shown) add_band_edges(band_edges, fill.device_box);
    std::sort(band_edges.begin(), band_edges.end());
    band_edges.erase(std::unique(band_edges.begin(), band_edges.end()), band_edges.end());

    // Between two consecutive edges every row meets the same boxes, which never overlap: a row is
    // the gaps between them, copied, and the boxes, filled where the target may not hold them.
    ChangedBounds changed;
    for (std::size_t band = 0; band + 1 < band_edges.size(); ++band) {
        const std::int64_t band_top = band_edges[band];
        const std::int64_t band_bottom = band_edges[band + 1];
        if (band_bottom <= area.top || band_top >= area.bottom) continue;
        boxes_across(solid, band_top, band_bottom, solid_across);
        boxes_across(to_shown, band_top, band_bottom, shown_across);
        for (std::int64_t row = band_top; row < band_bottom; ++row) {
            raster::Pixel* out_row = to.row(static_cast<int>(row));
            const raster::Pixel* in_row = from.row(static_cast<int>(row + shift_y));
            std::int64_t x = area.left;
            for (const PendingFill* fill : solid_across) {
                const raster::Box& box = fill->device_box;
                if (x < box.left) copy_part(out_row, in_row, shift_x, row, x, box.left, changed);
                fill_part_not_shown(out_row, row, box.left, box.right, fill->colour, shown_across, changed);
                x = box.right;
            }
            if (x < area.right) copy_part(out_row, in_row, shift_x, row, x, area.right, changed);
        }
    }
    return changed.box;
}

void forget_shown_solid(Window& window, const raster::Box& device_area) {
    const raster::Box reach = raster::grown(device_area, drawing_overreach);
    std::erase_if(window.shown_solid,
                  [&reach](const PendingFill& fill) { return raster::overlaps(fill.device_box, reach); });
}

}  // namespace kd508::platform
