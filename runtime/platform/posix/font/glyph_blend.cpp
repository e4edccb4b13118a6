#include "font/glyph_blend.h"

#include <algorithm>
#include <bit>

#include "raster/span.h"

namespace kd508::font {

namespace {

constexpr unsigned full_coverage = 255;
constexpr int mask_word_bits = 64;

// The bits of a mask word for columns from `first` on, and for columns before `end`, both
// counted from the word's first column and allowed to lie beyond either end of it.
std::uint64_t columns_from(int first) {
    if (first <= 0) return ~std::uint64_t{0};
    if (first >= mask_word_bits) return 0;
    return ~std::uint64_t{0} << first;
}

std::uint64_t columns_before(int end) {
    if (end >= mask_word_bits) return ~std::uint64_t{0};
    if (end <= 0) return 0;
    return (std::uint64_t{1} << end) - 1;
}

// One 8-bit channel of colour over background at the given coverage, rounded to nearest.
unsigned mix_channel(unsigned colour, unsigned background, unsigned coverage) {
    return (colour * coverage + background * (full_coverage - coverage) + full_coverage / 2) /
           full_coverage;
}

// The three channels are written out rather than looped over: with constant shifts the
// compiler keeps the whole blend in registers, which makes text several times cheaper.
raster::Pixel mix(raster::Pixel colour, raster::Pixel background, unsigned coverage) {
    const auto channel = [&](int shift) {
        return static_cast<raster::Pixel>(mix_channel((colour >> shift) & 0xFF, (background >> shift) & 0xFF, coverage))
               << shift;
    };
    return channel(0) | channel(8) | channel(16);
}

inline TouchedArea clip(const raster::Surface& surface, std::int64_t left, std::int64_t top,
                        std::int64_t right, std::int64_t bottom) {
    TouchedArea area;
    area.left = static_cast<int>(std::clamp<std::int64_t>(left, 0, surface.width));
    area.top = static_cast<int>(std::clamp<std::int64_t>(top, 0, surface.height));
    area.right = static_cast<int>(std::clamp<std::int64_t>(right, 0, surface.width));
    area.bottom = static_cast<int>(std::clamp<std::int64_t>(bottom, 0, surface.height));
    if (area.empty()) return TouchedArea{};
    return area;
}

}  // namespace

TouchedArea blend_coverage(const raster::Surface& surface, std::int64_t left, std::int64_t top,
                           const std::uint8_t* coverage, int width, int rows, raster::Pixel colour) {
    if (!coverage || width <= 0 || rows <= 0) return TouchedArea{};
    const TouchedArea area = clip(surface, left, top, left + width, top + rows);
    for (int y = area.top; y < area.bottom; ++y) {
        const std::uint8_t* source = coverage + (y - top) * width + (area.left - left);
        raster::Pixel* target = surface.row(y) + area.left;
        for (int x = area.left; x < area.right; ++x, ++source, ++target) {
            if (*source == 0) continue;
            *target = *source == full_coverage ? colour : mix(colour, *target, *source);
        }
    }
    return area;
}

std::vector<std::uint64_t> ink_mask(const std::uint8_t* coverage, int width, int rows) {
    if (!coverage || width <= 0 || rows <= 0) return {};
    const int words = ink_mask_words(width);
    std::vector<std::uint64_t> mask(static_cast<std::size_t>(words) * static_cast<std::size_t>(rows));
    for (int y = 0; y < rows; ++y) {
        const std::uint8_t* source = coverage + static_cast<std::ptrdiff_t>(y) * width;
        std::uint64_t* target = mask.data() + static_cast<std::ptrdiff_t>(y) * words;
        for (int x = 0; x < width; ++x) {
            if (source[x] == full_coverage) target[x / mask_word_bits] |= std::uint64_t{1} << (x % mask_word_bits);
        }
    }
    return mask;
}

bool has_partial_coverage(const std::uint8_t* coverage, int width, int rows) {
    if (!coverage || width <= 0 || rows <= 0) return false;
    const std::uint8_t* end = coverage + static_cast<std::ptrdiff_t>(width) * rows;
    return std::any_of(coverage, end, [](std::uint8_t value) { return value != 0 && value != full_coverage; });
}

TouchedArea blend_ink_mask(const raster::Surface& surface, std::int64_t left, std::int64_t top, int width,
                           int rows, const std::uint64_t* mask, raster::Pixel colour) {
    if (!mask || width <= 0 || rows <= 0) return TouchedArea{};
    const TouchedArea area = clip(surface, left, top, left + width, top + rows);
    if (area.empty()) return area;
    // The clipped box in the bitmap's own columns; it lies on the surface, so it fits an int.
    const int first_column = static_cast<int>(area.left - left);
    const int end_column = static_cast<int>(area.right - left);
    const int words = ink_mask_words(width);
    // Held apart from the surface, so that the stores of the loop cannot make them read again.
    raster::Pixel* const pixels = surface.pixels;
    const std::ptrdiff_t stride = surface.stride;
    // Word by word, so that the clipping of a word's columns and where they land are worked out
    // once for all its rows; small glyphs have a single word per row.
    for (int word = 0; word < words; ++word) {
        const int word_column = word * mask_word_bits;
        const std::uint64_t on_surface =
            columns_from(first_column - word_column) & columns_before(end_column - word_column);
        if (on_surface == 0) continue;
        // The surface index of the word's first column; it is negative when the bitmap starts
        // left of the surface, but the bits kept by on_surface all land on the surface.
        const std::ptrdiff_t base = area.left - first_column + word_column;
        const std::uint64_t* bits_of_row = mask + (area.top - top) * words + word;
        // Pixels are reached by index from the surface's start, which steps a row at a time
        // without forming a pointer beyond the last row.
        std::ptrdiff_t row_start = area.top * stride + base;
        for (int y = area.top; y < area.bottom; ++y, bits_of_row += words, row_start += stride) {
            for (std::uint64_t bits = *bits_of_row & on_surface; bits != 0; bits &= bits - 1) {
                pixels[row_start + std::countr_zero(bits)] = colour;
            }
        }
    }
    return area;
}

TouchedArea fill_box(const raster::Surface& surface, std::int64_t left, std::int64_t top,
                     std::int64_t right, std::int64_t bottom, raster::Pixel colour) {
    const TouchedArea area = clip(surface, left, top, right, bottom);
    for (int y = area.top; y < area.bottom; ++y) raster::fill_span(surface, y, area.left, area.right, colour);
    return area;
}

}  // namespace kd508::font
