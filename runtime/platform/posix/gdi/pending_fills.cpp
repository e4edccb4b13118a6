#include "pending_fills.h"

#include <algorithm>

#include "deferred_copy.h"
#include "raster/span.h"

namespace kd508::platform {
namespace {

// Past this many pending boxes a bitmap writes them all: every drawing call looks through the
// list.
constexpr std::size_t most_pending_fills = 64;

// Boxes smaller than this are not kept pending but written at once, whether drawn so or left
// over when a box is cut: a thin one (a one-pixel outline, the sliver beside a shape) saves
// little and would cut the large boxes around it into ever more pieces. The limit was measured
// on the bug walk's frames: 3,072 takes a few percent fewer instructions per frame than 4,096,
// while from 2,048 down the boxes kept cost every call's look through the list more than they
// save in writes.
constexpr std::int64_t smallest_pending_box = 3072;

std::int64_t area_of(const raster::Box& box) { return box.width() * box.height(); }

// Writes a box of one colour onto the bitmap's bits, which a copy to a window may be waiting on.
void write_box(BitmapObject& bitmap, const raster::Box& box, raster::Pixel colour) {
    release_bits_to_waiting_copy(bitmap);
    raster::fill_box(bitmap.bits.surface(), box, colour);
}

// Replaces the pending box at index with its parts outside cut, writing those too small to keep.
// The parts kept go to the end of the list, where they do not overlap cut; returns whether the
// slot at index now holds another box that still has to be looked at.
bool replace_with_parts_outside(BitmapObject& bitmap, std::size_t index, const raster::Box& cut) {
    std::vector<PendingFill>& list = bitmap.pending_fills;
    raster::Box pieces[4];
    const PendingFill fill = list[index];
    const int count = box_less(fill.device_box, cut, pieces);
    bool index_kept = false;
    for (int i = 0; i < count; ++i) {
        if (area_of(pieces[i]) < smallest_pending_box) {
            write_box(bitmap, pieces[i], fill.colour);
        } else if (!index_kept) {
            list[index].device_box = pieces[i];
            index_kept = true;
        } else {
            list.push_back(PendingFill{pieces[i], fill.colour});
        }
    }
    if (index_kept) return false;
    list[index] = list.back();
    list.pop_back();
    return index < list.size();
}

// Takes device_area out of every pending box, writing what the boxes held there when
// write_inside, and dropping it when the caller is about to cover the whole area itself.
void take_pending_area(BitmapObject& bitmap, const raster::Box& device_area, bool write_inside) {
    std::vector<PendingFill>& list = bitmap.pending_fills;
    // Most calls find nothing to take: the look for the next box in the area is a loop of its
    // own, which keeps the list where the processor can hold it, and it decides each box with
    // one branch rather than one for each edge, whose outcomes follow no pattern the processor
    // could learn.
    const auto next_in_area = [&list, &device_area](std::size_t i) {
        const PendingFill* const fills = list.data();
        const std::size_t count = list.size();
        for (; i < count; ++i) {
            const raster::Box& box = fills[i].device_box;
            const bool meets = (box.left < device_area.right) & (device_area.left < box.right) &
                               (box.top < device_area.bottom) & (device_area.top < box.bottom);
            if (meets) break;
        }
        return i;
    };
    for (std::size_t i = next_in_area(0); i < list.size(); i = next_in_area(i)) {
        if (write_inside) write_box(bitmap, list[i].device_box.intersected(device_area), list[i].colour);
        if (!replace_with_parts_outside(bitmap, i, device_area)) ++i;
    }
}

}  // namespace

void boxes_across(std::span<const PendingFill> boxes, std::int64_t band_top, std::int64_t band_bottom,
                  std::vector<const PendingFill*>& across) {
    across.clear();
    for (const PendingFill& fill : boxes) {
        if (fill.device_box.top <= band_top && fill.device_box.bottom >= band_bottom) across.push_back(&fill);
    }
    std::sort(across.begin(), across.end(),
              [](const PendingFill* a, const PendingFill* b) { return a->device_box.left < b->device_box.left; });
}

int box_less(const raster::Box& box, const raster::Box& cut, raster::Box pieces[4]) {
    if (!box.overlaps(cut)) {
        pieces[0] = box;
        return 1;
    }
    int count = 0;
    // The rows above and below the cut span the box's width; the rows beside it lie between.
    if (box.top < cut.top) pieces[count++] = raster::Box{box.left, box.top, box.right, cut.top};
    if (cut.bottom < box.bottom) pieces[count++] = raster::Box{box.left, cut.bottom, box.right, box.bottom};
    const raster::Box middle = box.intersected(cut);
    if (box.left < cut.left) pieces[count++] = raster::Box{box.left, middle.top, cut.left, middle.bottom};
    if (cut.right < box.right) pieces[count++] = raster::Box{cut.right, middle.top, box.right, middle.bottom};
    return count;
}

void defer_solid_box(BitmapObject& bitmap, const raster::Box& device_box, raster::Pixel colour) {
    const raster::Box box = device_box.intersected(raster::bounds_of(bitmap.bits.surface()));
    if (box.empty()) return;
    if (area_of(box) < smallest_pending_box) {
        // The box covers what the pending boxes hold under it, so that is dropped, not written.
        take_pending_area(bitmap, box, false);
        write_box(bitmap, box, colour);
        return;
    }
    if (bitmap.pending_fills.size() >= most_pending_fills) settle_all_pending_fills(bitmap);
    // What the new box covers of older ones will never be seen.
    take_pending_area(bitmap, box, false);
    bitmap.pending_fills.push_back(PendingFill{box, colour});
}

void settle_pending_fills(BitmapObject& bitmap, const raster::Box& device_area) {
    take_pending_area(bitmap, device_area, true);
}

void settle_all_pending_fills(BitmapObject& bitmap) {
    for (const PendingFill& fill : bitmap.pending_fills) write_box(bitmap, fill.device_box, fill.colour);
    bitmap.pending_fills.clear();
}

std::optional<raster::Pixel> pending_colour_at(const BitmapObject& bitmap, std::int64_t x, std::int64_t y) {
    for (const PendingFill& fill : bitmap.pending_fills) {
        const raster::Box& box = fill.device_box;
        if (x >= box.left && x < box.right && y >= box.top && y < box.bottom) return fill.colour;
    }
    return std::nullopt;
}

}  // namespace kd508::platform
