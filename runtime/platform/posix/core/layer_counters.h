// What the layer holds, counted, so that tests can prove that drawing leaks nothing.
#pragma once

#include <cstddef>

namespace kd508::platform {

std::size_t live_gdi_object_count();       // pens, brushes, fonts and bitmaps, stock ones left out
std::size_t live_device_context_count();
std::size_t live_global_block_count();

}  // namespace kd508::platform
