// A view of 32-bit pixels that the kernels draw on. Kernels know nothing of pens, brushes or
// GDI rules, and expect their callers to have clipped every span to the surface.
#pragma once

#include <cstdint>

namespace kd508::raster {

// 0x00RRGGBB, the layout of a 32-bit device-independent bitmap and of the screen image.
using Pixel = std::uint32_t;

struct Surface {
    Pixel* pixels = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;  // pixels from one row to the next

    Pixel* row(int y) const { return pixels + static_cast<std::intptr_t>(y) * stride; }
    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
};

}  // namespace kd508::raster
