// Copying a picture onto a surface that mostly holds it already.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "core/platform_state.h"
#include "drawing_journal.h"
#include "raster/geometry.h"
#include "raster/surface.h"

namespace kd508::platform {

// Copies the device area of `to` from `from`, where each pixel comes from (x + shift_x,
// y + shift_y); the area lies on both. Only pixels that differ are written. Where a pending box
// of the source covers a pixel (source_pending, in source coordinates), its colour is what is
// copied, and the source itself is left as it is; where `to` is known to hold that colour
// already (to_shown, in target coordinates), it is not even read. now_shown receives the pending
// boxes as the target holds them after the copy. Nor is anything read in the tiles of the source
// that tiles_shown knows the target to show (drawing_journal.h). Returns the bounds of the pixels
// written, or an empty box.
raster::Box copy_changed_pixels(const raster::Surface& to, std::span<const PendingFill> to_shown,
                                const raster::Surface& from, std::span<const PendingFill> source_pending,
                                const raster::Box& area, std::int64_t shift_x, std::int64_t shift_y,
                                std::vector<PendingFill>& now_shown, const TilesShown& tiles_shown = {});

// Drawing on a window's client area inside device_area: the boxes it was known to hold there in
// one colour may no longer be so.
void forget_shown_solid(WindowSurface& window, const raster::Box& device_area);

}  // namespace kd508::platform
