// An owned block of 32-bit pixels: a bitmap's bits or a window's client area.
#pragma once

#include <cstdint>
#include <vector>

#include "raster/surface.h"

namespace kd508::platform {

struct PixelBuffer {
    int width = 0;
    int height = 0;
    std::vector<raster::Pixel> pixels;

    PixelBuffer() = default;
    PixelBuffer(int w, int h, raster::Pixel fill = 0)
        : width(w < 0 ? 0 : w), height(h < 0 ? 0 : h),
          pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), fill) {}

    raster::Surface surface() { return raster::Surface{pixels.data(), width, height, width}; }
};

}  // namespace kd508::platform
