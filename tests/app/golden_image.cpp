#include "golden_image.h"

#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

namespace bugwalk::testing {

namespace {

constexpr int bytes_per_rgb_pixel = 3;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

std::filesystem::path output_directory() {
    const char* configured = std::getenv("KD508_TEST_OUTPUT");
    std::filesystem::path directory = configured != nullptr && *configured != '\0'
                                          ? std::filesystem::path(configured)
                                          : std::filesystem::current_path();
    std::filesystem::create_directories(directory);
    return directory;
}

bool updating_goldens() {
    const char* update = std::getenv("KD508_UPDATE_GOLDEN");
    return update != nullptr && std::string(update) == "1";
}

}  // namespace

bool write_png(const std::string& path, const Image& image) {
    File file(std::fopen(path.c_str(), "wb"));
    if (!file) return false;
    // Everything with a destructor lives before the setjmp, which libpng's errors return to.
    std::vector<png_byte> row(static_cast<std::size_t>(image.width) * bytes_per_rgb_pixel);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file.get());
    png_set_IHDR(png, info, image.width, image.height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const std::uint32_t pixel = image.pixels[static_cast<std::size_t>(y) * image.width + x];
            row[x * bytes_per_rgb_pixel + 0] = static_cast<png_byte>(pixel >> 16);
            row[x * bytes_per_rgb_pixel + 1] = static_cast<png_byte>(pixel >> 8);
            row[x * bytes_per_rgb_pixel + 2] = static_cast<png_byte>(pixel);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

bool read_png(const std::string& path, Image& image) {
    File file(std::fopen(path.c_str(), "rb"));
    if (!file) return false;
    std::vector<png_byte> row;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_init_io(png, file.get());
    png_read_info(png, info);
    // Whatever the file's own format, read it back as 8-bit RGB.
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_strip_alpha(png);
    png_set_gray_to_rgb(png);
    png_read_update_info(png, info);
    image.width = static_cast<int>(png_get_image_width(png, info));
    image.height = static_cast<int>(png_get_image_height(png, info));
    image.pixels.assign(static_cast<std::size_t>(image.width) * image.height, 0);
    row.resize(png_get_rowbytes(png, info));
    for (int y = 0; y < image.height; ++y) {
        png_read_row(png, row.data(), nullptr);
        for (int x = 0; x < image.width; ++x) {
            const png_byte* rgb = &row[x * bytes_per_rgb_pixel];
            image.pixels[static_cast<std::size_t>(y) * image.width + x] =
                (std::uint32_t{rgb[0]} << 16) | (std::uint32_t{rgb[1]} << 8) | rgb[2];
        }
    }
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

::testing::AssertionResult matches_golden(const std::string& name, const Image& actual) {
    const std::string golden_path = std::string(KD508_APP_GOLDEN_DIR) + "/" + name + ".png";
    if (updating_goldens()) {
        if (!write_png(golden_path, actual)) {
            return ::testing::AssertionFailure() << "could not write " << golden_path;
        }
        return ::testing::AssertionSuccess() << "rewrote " << golden_path;
    }

    Image expected;
    std::string difference;
    if (!read_png(golden_path, expected)) {
        difference = "no readable golden image " + golden_path;
    } else if (expected.width != actual.width || expected.height != actual.height) {
        difference = "size " + std::to_string(actual.width) + "x" + std::to_string(actual.height) +
                     ", expected " + std::to_string(expected.width) + "x" +
                     std::to_string(expected.height);
    } else {
        std::size_t differing = 0;
        std::size_t first = 0;
        for (std::size_t i = actual.pixels.size(); i-- > 0;) {
            if (actual.pixels[i] != expected.pixels[i]) {
                ++differing;
                first = i;
            }
        }
        if (differing == 0) return ::testing::AssertionSuccess();
        char colours[64];
        std::snprintf(colours, sizeof colours, "#%06X, expected #%06X", actual.pixels[first],
                      expected.pixels[first]);
        difference = std::to_string(differing) + " pixels differ, the first at (" +
                     std::to_string(first % actual.width) + "," +
                     std::to_string(first / actual.width) + "): " + colours;
    }

    const std::string actual_path = (output_directory() / (name + ".actual.png")).string();
    write_png(actual_path, actual);
    return ::testing::AssertionFailure() << name << ": " << difference << "; actual image written to "
                                         << actual_path;
}

}  // namespace bugwalk::testing
