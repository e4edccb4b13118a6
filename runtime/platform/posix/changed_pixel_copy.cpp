#include "changed_pixel_copy.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "raster/span.h"

namespace kd508::platform {
namespace {

// The bounds of what a copy has written so far.
struct ChangedBounds {
    raster::Box box;

    void add(std::int64_t row, std::int64_t first, std::int64_t last) {
        if (box.empty()) {
            box = raster::Box{first, row, last + 1, row + 1};
            return;
        }
        box.left = std::min(box.left, first);
        box.right = std::max(box.right, last + 1);
        box.top = std::min(box.top, row);
        box.bottom = std::max(box.bottom, row + 1);
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

}  // namespace

raster::Box copy_changed_pixels(const raster::Surface& to, const raster::Surface& from,
                                std::span<const PendingFill> source_pending, const raster::Box& area,
                                std::int64_t shift_x, std::int64_t shift_y) {
    // Kept from call to call, so that a copy allocates nothing once it has seen the most pending
    // boxes.
    thread_local std::vector<PendingFill> solid;       // the pending boxes in target coordinates, within area
    thread_local std::vector<std::int64_t> band_edges;  // rows where the set of boxes across a row changes
    thread_local std::vector<const PendingFill*> across;  // the boxes across the rows of one band, left to right
    solid.clear();
    band_edges.clear();
    band_edges.push_back(area.top);
    band_edges.push_back(area.bottom);
    for (const PendingFill& fill : source_pending) {
        const raster::Box& box = fill.device_box;
        const raster::Box moved{std::max(box.left - shift_x, area.left), std::max(box.top - shift_y, area.top),
                                std::min(box.right - shift_x, area.right), std::min(box.bottom - shift_y, area.bottom)};
        if (moved.empty()) continue;
        solid.push_back(PendingFill{moved, fill.colour});
        band_edges.push_back(moved.top);
        band_edges.push_back(moved.bottom);
    }
    std::sort(band_edges.begin(), band_edges.end());
    band_edges.erase(std::unique(band_edges.begin(), band_edges.end()), band_edges.end());

    // Between two consecutive edges every row meets the same boxes, which never overlap: a row is
    // the gaps between them, copied, and the boxes, filled.
    ChangedBounds changed;
    for (std::size_t band = 0; band + 1 < band_edges.size(); ++band) {
        const std::int64_t band_top = band_edges[band];
        const std::int64_t band_bottom = band_edges[band + 1];
        across.clear();
        for (const PendingFill& fill : solid) {
            if (fill.device_box.top <= band_top && fill.device_box.bottom >= band_bottom) across.push_back(&fill);
        }
        std::sort(across.begin(), across.end(), [](const PendingFill* a, const PendingFill* b) {
            return a->device_box.left < b->device_box.left;
        });
        for (std::int64_t row = band_top; row < band_bottom; ++row) {
            raster::Pixel* out_row = to.row(static_cast<int>(row));
            const raster::Pixel* in_row = from.row(static_cast<int>(row + shift_y));
            std::int64_t x = area.left;
            for (const PendingFill* fill : across) {
                if (x < fill->device_box.left) copy_part(out_row, in_row, shift_x, row, x, fill->device_box.left, changed);
                fill_part(out_row, row, fill->device_box.left, fill->device_box.right, fill->colour, changed);
                x = fill->device_box.right;
            }
            if (x < area.right) copy_part(out_row, in_row, shift_x, row, x, area.right, changed);
        }
    }
    return changed.box;
}

}  // namespace kd508::platform
