// Copies of a bitmap to a window that wait until something reads the window.
//
// A script played back headless redraws its picture and copies it to its window after every
// event, and nothing looks at the window until a test reads it or the run ends with a
// screenshot. With a presenter that does not read the pixels it is told about, a copy from a
// bitmap to a window is only noted; it is made when the window's pixels are read or drawn on,
// and if the next copy of the same area comes first, it is never made at all.
//
// Until then the bitmap's own bits are the copy's pixels. Before the bitmap writes any of them
// it hands its bits to the waiting copy and takes a spare buffer, into which it puts back what
// its pending boxes do not cover: nothing, for a program that starts each frame with a box over
// the whole bitmap, which is why this costs no copy of pixels at all.
#pragma once

#include <cstdint>
#include <span>

#include "core/platform_state.h"
#include "drawing_journal.h"
#include "raster/geometry.h"
#include "raster/surface.h"

namespace kd508::platform {

// Whether copies to this window may wait: the presenter does not read its pixels.
bool copies_may_wait();

// Notes a copy of source_bitmap to the window over area (window coordinates), each pixel
// coming from shift_x and shift_y further on; source_pending are the bitmap's pending boxes as
// it shows them (visible, never overlapping).
void defer_copy(HWND window_handle, WindowSurface& window, HGDIOBJ source_handle, BitmapObject& source_bitmap,
                std::span<const PendingFill> source_pending, const raster::Box& area, std::int64_t shift_x,
                std::int64_t shift_y);

// Makes the window's waiting copy, if it has one: before anything reads or draws its pixels.
void make_waiting_copy(HWND window_handle);

// Before a bitmap writes its bits: a copy waiting on them takes them as they are.
void release_bits_to_waiting_copy(BitmapObject& bitmap);

// Copies from `from` to the window over area, writing only changed pixels and telling the
// presenter what changed (changed_pixel_copy.h); tiles_shown are those it need not look at
// (drawing_journal.h).
void copy_to_window(WindowSurface& window, const raster::Surface& from, std::span<const PendingFill> source_pending,
                    const raster::Box& area, std::int64_t shift_x, std::int64_t shift_y,
                    const TilesShown& tiles_shown = {});

}  // namespace kd508::platform
