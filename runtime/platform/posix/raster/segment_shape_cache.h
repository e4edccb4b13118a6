// The pixels of recently drawn wide segments, kept by shape so that the same shape drawn again
// is written as its runs instead of being worked out once more.
//
// A wide segment's pixels depend on where it is drawn only through a translation: its round ends
// and its body are decided from whole-pixel end points by rules that move with them, so a segment
// from a to b covers exactly the pixels of the segment from (0, 0) to b - a, moved by a. The
// figures of a frame draw the same few limbs over and over at different places, so the runs of
// a shape, recorded once, serve every later segment of that shape.
#pragma once

#include <cstdint>

#include "geometry.h"
#include "surface.h"

namespace kd508::raster {

// Draws a segment directly, unclipped pixels clipped to the surface.
using SegmentPainter = void (*)(const Surface& surface, Point a, Point b, std::int64_t width, Pixel colour);

// Paints the segment from its shape's recorded runs, recording them with draw first when the
// shape is new. False, with nothing painted, when the shape is too large to keep: the caller
// then draws it directly. The shape's pixels must move with its end points (see above), and
// draw must paint the same pixels on any surface, clipped to it.
bool paint_recorded_segment(const Surface& surface, Point a, Point b, std::int64_t width, Pixel colour,
                            SegmentPainter draw);

}  // namespace kd508::raster
