// Moving a box of pixels to another place on the same surface, as a copy of a surface onto
// itself and a scroll do.
#pragma once

#include <cstdint>

#include "geometry.h"
#include "surface.h"

namespace kd508::raster {

// Moves the pixels of source dx to the right and dy down. The source and the place it lands may
// overlap: every pixel lands with the value it had before the move. Only pixels that lie on the
// surface both where they are read and where they land are moved; the others are left as they
// were. Returns the box written, in the surface's pixels; empty when none was. The source's
// sides and the distances stay within the range Box::moved() takes.
Box move_box(const Surface& surface, const Box& source, std::int64_t dx, std::int64_t dy);

}  // namespace kd508::raster
