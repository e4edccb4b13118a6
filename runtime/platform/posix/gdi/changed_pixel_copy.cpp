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
        box = box.united(raster::Box{first, row, last + 1, row + 1});
    }
};

// Columns x_begin..x_end-1 of rows row_begin..row_end-1, copied where they differ from the source
// pixels shift_x and shift_y further on. Rows that match are passed over in one call.
void copy_part(const raster::Surface& to, const raster::Surface& from, std::int64_t shift_x, std::int64_t shift_y,
               std::int64_t row_begin, std::int64_t row_end, std::int64_t x_begin, std::int64_t x_end,
               ChangedBounds& changed) {
    const std::size_t count = static_cast<std::size_t>(x_end - x_begin);
    std::int64_t row = row_begin;
    while (row < row_end) {
        raster::Pixel* out = to.row(static_cast<int>(row)) + x_begin;
        const raster::Pixel* in = from.row(static_cast<int>(row + shift_y)) + (x_begin + shift_x);
        row += static_cast<std::int64_t>(raster::first_mismatching_row(out, to.stride, in, from.stride, count,
                                                                       static_cast<std::size_t>(row_end - row)));
        if (row == row_end) return;
        out = to.row(static_cast<int>(row)) + x_begin;
        in = from.row(static_cast<int>(row + shift_y)) + (x_begin + shift_x);
        const std::size_t first = raster::first_mismatch(out, in, count);
        const std::size_t last = raster::last_mismatch(out, in, count);
        std::memcpy(out + first, in + first, (last - first + 1) * sizeof(raster::Pixel));
        changed.add(row, x_begin + static_cast<std::int64_t>(first), x_begin + static_cast<std::int64_t>(last));
        ++row;
    }
}

// Pixels x_begin..x_end-1 of a row, set to colour where they are not.
void fill_part(raster::Pixel* out_row, std::int64_t row, std::int64_t x_begin, std::int64_t x_end,
               raster::Pixel colour, ChangedBounds& changed) {
    const raster::RunChange change =
        raster::fill_unlike(out_row + x_begin, static_cast<std::size_t>(x_end - x_begin), colour);
    if (!change.empty())
        changed.add(row, x_begin + static_cast<std::int64_t>(change.begin),
                    x_begin + static_cast<std::int64_t>(change.end) - 1);
}

void add_band_edges(std::vector<std::int64_t>& edges, const raster::Box& box) {
    edges.push_back(box.top);
    edges.push_back(box.bottom);
}

// What a copy does to columns begin..end-1 of every row of a band.
struct RowPart {
    enum class Kind {
        copy,  // compared with the source and copied where it differs
        fill,  // set to colour where it is not
    };
    Kind kind = Kind::copy;
    std::int64_t begin = 0;
    std::int64_t end = 0;
    raster::Pixel colour = 0;
};

// Every row of a band meets the same boxes, so what happens to each column is decided once per
// band: the gaps between the source's pending boxes are copied, and the boxes are filled where
// the target is not known to hold them already.
class BandPlan {
public:
    BandPlan(std::vector<RowPart>& parts, std::span<const PendingFill* const> shown_across)
        : parts_(parts), shown_across_(shown_across) {
        parts_.clear();
    }

    // Columns the source holds pixels for.
    void add_gap(std::int64_t begin, std::int64_t end) { add(RowPart::Kind::copy, begin, end, 0); }

    // Columns of a pending box of the source, left out where the target is shown that colour.
    void add_solid(std::int64_t begin, std::int64_t end, raster::Pixel colour) {
        std::int64_t x = begin;
        for (const PendingFill* shown : shown_across_) {
            const raster::Box& box = shown->device_box;
            if (box.right <= x || shown->colour != colour) continue;
            if (box.left >= end) break;
            if (x < box.left) add(RowPart::Kind::fill, x, box.left, colour);
            x = std::max(x, box.right);
            if (x >= end) return;
        }
        add(RowPart::Kind::fill, x, end, colour);
    }

private:
    void add(RowPart::Kind kind, std::int64_t begin, std::int64_t end, raster::Pixel colour) {
        if (begin < end) parts_.push_back(RowPart{kind, begin, end, colour});
    }

    std::vector<RowPart>& parts_;
    std::span<const PendingFill* const> shown_across_;
};

// Copies the part of a copy's area inside `box`, with the source's pending boxes (solid) and the
// target's known boxes (to_shown) in target coordinates.
void copy_box(const raster::Surface& to, std::span<const PendingFill> to_shown, const raster::Surface& from,
              std::span<const PendingFill> solid, const raster::Box& box, std::int64_t shift_x, std::int64_t shift_y,
              ChangedBounds& changed) {
    // Kept from call to call, so that a copy allocates nothing once it has seen the most boxes.
    thread_local std::vector<std::int64_t> band_edges;  // rows where the boxes across a row change
    thread_local std::vector<PendingFill> solid_here;  // the boxes within box
    thread_local std::vector<PendingFill> shown_here;
    thread_local std::vector<const PendingFill*> solid_across;
    thread_local std::vector<const PendingFill*> shown_across;
    thread_local std::vector<RowPart> parts;
    const auto take_within_box = [&box](std::span<const PendingFill> fills, std::vector<PendingFill>& here) {
        here.clear();
        for (const PendingFill& fill : fills) {
            const raster::Box within = fill.device_box.intersected(box);
            if (!within.empty()) here.push_back(PendingFill{within, fill.colour});
        }
    };
    take_within_box(solid, solid_here);
    take_within_box(to_shown, shown_here);
    band_edges.clear();
    add_band_edges(band_edges, box);
    for (const PendingFill& fill : solid_here) add_band_edges(band_edges, fill.device_box);
    for (const PendingFill& fill : shown_here) add_band_edges(band_edges, fill.device_box);
    std::sort(band_edges.begin(), band_edges.end());
    band_edges.erase(std::unique(band_edges.begin(), band_edges.end()), band_edges.end());

    // Between two consecutive edges every row meets the same boxes, which never overlap.
    for (std::size_t band = 0; band + 1 < band_edges.size(); ++band) {
        const std::int64_t band_top = band_edges[band];
        const std::int64_t band_bottom = band_edges[band + 1];
        boxes_across(solid_here, band_top, band_bottom, solid_across);
        boxes_across(shown_here, band_top, band_bottom, shown_across);
        BandPlan plan(parts, shown_across);
        std::int64_t x = box.left;
        for (const PendingFill* fill : solid_across) {
            plan.add_gap(x, fill->device_box.left);
            plan.add_solid(fill->device_box.left, fill->device_box.right, fill->colour);
            x = fill->device_box.right;
        }
        plan.add_gap(x, box.right);

        for (const RowPart& part : parts) {
            switch (part.kind) {
            case RowPart::Kind::copy:
                copy_part(to, from, shift_x, shift_y, band_top, band_bottom, part.begin, part.end, changed);
                break;
            case RowPart::Kind::fill:
                for (std::int64_t row = band_top; row < band_bottom; ++row)
                    fill_part(to.row(static_cast<int>(row)), row, part.begin, part.end, part.colour, changed);
                break;
            }
        }
    }
}

}  // namespace

raster::Box copy_changed_pixels(const raster::Surface& to, std::span<const PendingFill> to_shown,
                                const raster::Surface& from, std::span<const PendingFill> source_pending,
                                const raster::Box& area, std::int64_t shift_x, std::int64_t shift_y,
                                std::vector<PendingFill>& now_shown, const TilesShown& tiles_shown) {
    std::vector<PendingFill>& solid = now_shown;  // the pending boxes in target coordinates, within area
    solid.clear();
    for (const PendingFill& fill : source_pending) {
        const raster::Box moved = fill.device_box.moved(-shift_x, -shift_y).intersected(area);
        if (!moved.empty()) solid.push_back(PendingFill{moved, fill.colour});
    }
    // Only the tiles the target is not known to show are looked at, each row of them with the
    // boxes that reach it: planning the whole area would look through every box for every band
    // of rows, where a frame that moves one small figure leaves a few tiles to copy.
    ChangedBounds changed;
    tiles_shown.for_each_unknown(area, [&](const raster::Box& unknown) {
        copy_box(to, to_shown, from, solid, unknown, shift_x, shift_y, changed);
    });
    return changed.box;
}

void forget_shown_solid(WindowSurface& window, const raster::Box& device_area) {
    const raster::Box reach = device_area.grown(drawing_overreach);
    std::erase_if(window.shown_solid,
                  [&reach](const PendingFill& fill) { return fill.device_box.overlaps(reach); });
}

}  // namespace kd508::platform
