// Copying onto a surface that mostly holds the picture already: which pixels are written, what
// bounds are reported, and which pixels are taken on trust.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gdi/changed_pixel_copy.h"

namespace {

using kd508::platform::copy_changed_pixels;
using kd508::platform::PendingFill;
using kd508::raster::Box;
using kd508::raster::Pixel;
using kd508::raster::Surface;

constexpr int width = 8;
constexpr int height = 6;

// A picture as text, one character per pixel: the character's code is the pixel.
std::vector<Pixel> pixels_of(const std::vector<std::string>& rows) {
    std::vector<Pixel> pixels;
    for (const std::string& row : rows)
        for (char c : row) pixels.push_back(static_cast<Pixel>(c));
    return pixels;
}

std::vector<std::string> rows_of(const std::vector<Pixel>& pixels) {
    std::vector<std::string> rows(height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) rows[y] += static_cast<char>(pixels[y * width + x]);
    return rows;
}

Surface surface_of(std::vector<Pixel>& pixels) { return Surface{pixels.data(), width, height, width}; }

struct Copy {
    std::vector<Pixel> to;
    std::vector<Pixel> from;
    std::vector<PendingFill> shown;
    std::vector<PendingFill> pending;
    std::vector<PendingFill> now_shown;

    Box run(const Box& area, int shift_x = 0, int shift_y = 0) {
        return copy_changed_pixels(surface_of(to), shown, surface_of(from), pending, area, shift_x, shift_y,
                                   now_shown);
    }
};

void expect_box(const Box& box, std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom) {
    EXPECT_EQ(box.left, left);
    EXPECT_EQ(box.top, top);
    EXPECT_EQ(box.right, right);
    EXPECT_EQ(box.bottom, bottom);
}

TEST(ChangedPixelCopy, WritesOnlyDifferingPixelsAndReportsTheirBounds) {
    Copy copy;
    copy.to = pixels_of({"........", "........", "........", "........", "........", "........"});
    copy.from = pixels_of({"........", "..a.....", "....b...", "........", ".c......", "........"});
    const Box changed = copy.run(Box{0, 0, width, height});
    expect_box(changed, 1, 1, 5, 5);
    EXPECT_EQ(rows_of(copy.to), rows_of(copy.from));
    expect_box(copy.run(Box{0, 0, width, height}), 0, 0, 0, 0);  // nothing left to change
}

TEST(ChangedPixelCopy, PendingBoxesGiveTheirColourAndOnlyTheAreaIsTouched) {
    Copy copy;
    copy.to = pixels_of({"xxxxxxxx", "xxxxxxxx", "xxxxxxxx", "xxxxxxxx", "xxxxxxxx", "xxxxxxxx"});
    copy.from = pixels_of({"........", "........", "........", "........", "........", "........"});
    // In source coordinates; the copy moves the source one pixel left and one up.
    copy.pending = {PendingFill{Box{2, 2, 6, 4}, 'P'}, PendingFill{Box{0, 4, 8, 6}, 'Q'}};
    const Box changed = copy.run(Box{1, 1, 7, 5}, 1, 1);
    EXPECT_EQ(rows_of(copy.to), (std::vector<std::string>{"xxxxxxxx", "xPPPP..x", "xPPPP..x", "xQQQQQQx",
                                                          "xQQQQQQx", "xxxxxxxx"}));
    expect_box(changed, 1, 1, 7, 5);
    // What the target now holds of the pending boxes, in its own coordinates, within the area.
    ASSERT_EQ(copy.now_shown.size(), 2u);
    expect_box(copy.now_shown[0].device_box, 1, 1, 5, 3);
    expect_box(copy.now_shown[1].device_box, 1, 3, 7, 5);
}

TEST(ChangedPixelCopy, WhatTheTargetIsKnownToShowIsNotReadAgain) {
    Copy copy;
    copy.to = pixels_of({"PPPPPPPP", "PPPPPPPP", "PPPzPPPP", "PPPPPPPP", "PPPPPPPP", "PPPPPPPP"});
    copy.from = pixels_of({"........", "........", "........", "........", "........", "........"});
    copy.pending = {PendingFill{Box{0, 0, 8, 6}, 'P'}};
    // Known to show P in its first three rows (above and through the area's top), and R below:
    // the first claim is taken on trust, the second is of another colour and is checked.
    copy.shown = {PendingFill{Box{0, 0, 8, 3}, 'P'}, PendingFill{Box{0, 3, 8, 6}, 'R'}};
    const Box changed = copy.run(Box{0, 1, width, 5});
    EXPECT_EQ(rows_of(copy.to)[2], "PPPzPPPP");
    expect_box(changed, 0, 0, 0, 0);
    copy.to[3 * width + 5] = 'y';
    copy.to[0] = 'y';  // above the area: never looked at
    expect_box(copy.run(Box{0, 1, width, 5}), 5, 3, 6, 4);
    EXPECT_EQ(copy.to[3 * width + 5], static_cast<Pixel>('P'));
    EXPECT_EQ(copy.to[0], static_cast<Pixel>('y'));
}

// A copy told which tiles the target shows already looks only at the others, whatever pending
// boxes lie in the tiles it passes over.
TEST(ChangedPixelCopy, TilesKnownToBeShownAreNotLookedAt) {
    using kd508::platform::journal_tile_height;
    using kd508::platform::journal_tile_width;
    constexpr int tiles_wide = 1;
    constexpr int tiles_high = 3;
    constexpr int surface_width = tiles_wide * journal_tile_width;
    constexpr int surface_height = tiles_high * journal_tile_height;
    std::vector<Pixel> to(surface_width * surface_height, '.');
    std::vector<Pixel> from(surface_width * surface_height, '.');
    const auto at = [](int x, int y) { return static_cast<std::size_t>(y * surface_width + x); };
    to[at(5, 5)] = 'y';   // in the top tile, which the copy must look at
    to[at(5, 40)] = 'x';  // in the middle tile, shown: passed over
    // A pending box in the bottom tile, shown too: neither its rows nor those above it are read.
    const std::vector<PendingFill> pending = {PendingFill{Box{0, 70, surface_width, 80}, 'P'}};
    const std::uint8_t shown_tiles[tiles_high] = {0, 1, 1};
    std::vector<PendingFill> now_shown;
    const Surface to_surface{to.data(), surface_width, surface_height, surface_width};
    const Surface from_surface{from.data(), surface_width, surface_height, surface_width};
    const kd508::platform::TilesShown tiles(shown_tiles, tiles_wide, 0, 0);
    const Box whole{0, 0, surface_width, surface_height};
    const Box changed = copy_changed_pixels(to_surface, {}, from_surface, pending, whole, 0, 0, now_shown, tiles);
    expect_box(changed, 5, 5, 6, 6);
    EXPECT_EQ(to[at(5, 5)], static_cast<Pixel>('.'));
    EXPECT_EQ(to[at(5, 40)], static_cast<Pixel>('x'));
    EXPECT_EQ(to[at(0, 75)], static_cast<Pixel>('.'));
    ASSERT_EQ(now_shown.size(), 1u);  // the box is what the target shows there all the same
    expect_box(now_shown[0].device_box, 0, 70, surface_width, 80);
}

}  // namespace
