#include "screenshot_png.h"

#include <png.h>

#include <cstdio>
#include <memory>
#include <vector>

namespace kd508::platform {

namespace {

constexpr int bytes_per_rgb_pixel = 3;

struct PngFileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// Everything with a destructor lives outside this function: libpng reports errors by a long
// jump back into it.
bool encode(std::FILE* file, const PixelBuffer& pixels, std::vector<png_byte>& row) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(pixels.width), static_cast<png_uint_32>(pixels.height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < pixels.height; ++y) {
        const raster::Pixel* source = pixels.pixels.data() + static_cast<std::size_t>(y) * pixels.width;
        for (int x = 0; x < pixels.width; ++x) {
            row[x * bytes_per_rgb_pixel + 0] = static_cast<png_byte>(source[x] >> 16);
            row[x * bytes_per_rgb_pixel + 1] = static_cast<png_byte>(source[x] >> 8);
            row[x * bytes_per_rgb_pixel + 2] = static_cast<png_byte>(source[x]);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

bool write_png_image(const std::string& path, const PixelBuffer& pixels) {
    if (pixels.width <= 0 || pixels.height <= 0) return false;
    std::unique_ptr<std::FILE, PngFileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file) return false;
    std::vector<png_byte> row(static_cast<std::size_t>(pixels.width) * bytes_per_rgb_pixel);
    const bool encoded = encode(file.get(), pixels, row);
    // The data may still sit in the stream's buffer: only a successful close means it is there.
    const bool closed = std::fclose(file.release()) == 0;
    if (encoded && closed) return true;
    // Half an image would pass for a picture of something else.
    std::remove(path.c_str());
    return false;
}

}  // namespace kd508::platform
