// Solid boxes that a memory bitmap holds before they are written.
//
// A program that redraws its whole picture every frame paints large boxes over one another: a
// sky over everything, a field over the sky, blocks over both. Written at once, most pixels of
// such a picture would be written two or three times a frame. Instead a box of one colour drawn
// on a bitmap is kept as pending and cut out of the pending boxes it covers; it is written only
// when something needs its pixels. A shape, text or a read settles the pending boxes under its
// own area first, and a copy of the bitmap to a window takes the pending colours straight from
// the list, so that pixels that end a frame as they began it are never written at all.
//
// The boxes of one bitmap never overlap, so the order in which they are written is free.
#pragma once

#include <optional>
#include <span>
#include <vector>

#include "core/platform_state.h"
#include "raster/geometry.h"

namespace kd508::platform {

// Drawing may reach this many pixels beyond the area a shape reports, by rounding at its edge:
// pending boxes are written, and what a window is known to show is forgotten, that much further.
inline constexpr std::int64_t drawing_overreach = 2;

// Fills device_box (any bounds: it is clipped to the bitmap) with colour, as a pending box.
void defer_solid_box(BitmapObject& bitmap, const raster::Box& device_box, raster::Pixel colour);

// Writes the part of every pending box that lies in device_area; what lies outside stays pending.
void settle_pending_fills(BitmapObject& bitmap, const raster::Box& device_area);

// Writes every pending box.
void settle_all_pending_fills(BitmapObject& bitmap);

// The colour a pending box gives the pixel, if one covers it.
std::optional<raster::Pixel> pending_colour_at(const BitmapObject& bitmap, std::int64_t x, std::int64_t y);

// The boxes of a list that span every row of band_top..band_bottom-1, left to right: between two
// rows where boxes begin or end, every row meets the same boxes.
void boxes_across(std::span<const PendingFill> boxes, std::int64_t band_top, std::int64_t band_bottom,
                  std::vector<const PendingFill*>& across);

// The parts of box outside cut, at most four, written to pieces; returns how many.
int box_less(const raster::Box& box, const raster::Box& cut, raster::Box pieces[4]);

}  // namespace kd508::platform
