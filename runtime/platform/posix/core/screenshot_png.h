// Client pixels written as a PNG image, through libpng.
#pragma once

#include <string>

#include "pixel_buffer.h"

namespace kd508::platform {

// Writes the pixels as 8-bit RGB without any time stamp, so that the same pixels always give
// the same file. False when the file cannot be written whole.
bool write_png_image(const std::string& path, const PixelBuffer& pixels);

}  // namespace kd508::platform
