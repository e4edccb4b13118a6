// The one rectangle type every clip goes through, and the kernel that moves a box of pixels on
// one surface: the cases where an off-by-one or an overflow would clip a pixel too many or few.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "raster/box_move.h"
#include "raster/geometry.h"

namespace {

using kd508::raster::Box;
using kd508::raster::move_box;
using kd508::raster::Pixel;
using kd508::raster::Surface;

constexpr std::int64_t most = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t least = std::numeric_limits<std::int64_t>::min();

TEST(BoxTest, IntersectedKeepsSharedPixelsAndGivesOneEmptyBoxForNone) {
    const Box a{0, 0, 10, 10};
    EXPECT_EQ(a.intersected(Box{5, -3, 20, 4}), (Box{5, 0, 10, 4}));
    EXPECT_EQ(a.intersected(Box{2, 2, 3, 3}), (Box{2, 2, 3, 3}));
    // Boxes that touch along an edge or at a corner share no pixel.
    EXPECT_TRUE(a.intersected(Box{10, 0, 20, 10}).empty());
    EXPECT_TRUE(a.intersected(Box{10, 10, 11, 11}).empty());
    EXPECT_TRUE(a.intersected(Box{0, -5, 10, 0}).empty());
    EXPECT_FALSE(a.overlaps(Box{0, 10, 10, 20}));
    EXPECT_FALSE(a.overlaps(Box{-5, 0, 0, 10}));
    EXPECT_FALSE(a.overlaps(Box{0, -5, 10, 0}));
    EXPECT_FALSE(a.overlaps(Box{10, 0, 15, 10}));
    EXPECT_TRUE(a.overlaps(Box{9, 9, 10, 10}));
    // An empty or inside-out box clips everything away, whatever its corners.
    EXPECT_TRUE(a.intersected(Box{3, 3, 3, 8}).empty());
    EXPECT_TRUE(a.intersected(Box{8, 2, 4, 6}).empty());
    EXPECT_TRUE((Box{8, 2, 4, 6}.intersected(Box{least, least, most, most})).empty());
    // The whole 64-bit plane clips nothing off.
    EXPECT_EQ((Box{least, -7, most, 7}.intersected(Box{least, least, most, most})), (Box{least, -7, most, 7}));
}

TEST(BoxTest, GrownAddsOrTakesPixelsOnEverySide) {
    EXPECT_EQ((Box{2, 3, 5, 9}.grown(2)), (Box{0, 1, 7, 11}));
    EXPECT_EQ((Box{2, 3, 5, 9}.grown(0)), (Box{2, 3, 5, 9}));
    EXPECT_EQ((Box{2, 3, 6, 9}.grown(-1)), (Box{3, 4, 5, 8}));
    // Shrunk to its middle or past it, a box is empty.
    EXPECT_TRUE((Box{2, 3, 6, 9}.grown(-2)).empty());
    EXPECT_TRUE((Box{2, 3, 6, 9}.grown(-100)).empty());
    EXPECT_FALSE((Box{2, 3, 6, 9}.grown(-1)).empty());
    // An empty box grown is the pixels around the point it stood at.
    EXPECT_EQ((Box{4, 4, 4, 4}.grown(1)), (Box{3, 3, 5, 5}));
    // A box as wide as the range shrinks to the pixels round its middle without overflow.
    EXPECT_EQ((Box{least + 1, least + 1, most, most}.grown(-(most - 1))), (Box{-1, -1, 1, 1}));
}

TEST(BoxTest, MovedUnitedAndContains) {
    EXPECT_EQ((Box{1, 2, 3, 4}.moved(-5, 10)), (Box{-4, 12, -2, 14}));
    // An empty box adds nothing to a union, whichever side it is on.
    EXPECT_EQ((Box{1, 2, 3, 4}.united(Box{9, 9, 9, 20})), (Box{1, 2, 3, 4}));
    EXPECT_EQ((Box{9, 9, 9, 20}.united(Box{1, 2, 3, 4})), (Box{1, 2, 3, 4}));
    EXPECT_EQ((Box{1, 2, 3, 4}.united(Box{5, 0, 6, 1})), (Box{1, 0, 6, 4}));
    EXPECT_TRUE((Box{0, 0, 10, 10}.contains(Box{0, 0, 10, 10})));
    EXPECT_FALSE((Box{0, 0, 10, 10}.contains(Box{0, 0, 11, 10})));
}

// A surface of letters, one per pixel, drawn in place of colours so that a picture reads as
// text and every pixel says where it came from.
class Letters {
public:
    Letters(int width, int height, int stride) : pixels_(static_cast<std::size_t>(stride * height), '#') {
        surface = Surface{pixels_.data(), width, height, stride};
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) surface.row(y)[x] = static_cast<Pixel>('a' + (y * width + x) % 26);
        }
    }
    std::string picture() const {
        std::string text;
        for (int y = 0; y < surface.height; ++y) {
            for (int x = 0; x < surface.stride; ++x) text += static_cast<char>(surface.row(y)[x]);
            text += '\n';
        }
        return text;
    }
    Surface surface;

private:
    std::vector<Pixel> pixels_;
};

TEST(MoveBoxTest, OverlappingMovesReadEveryPixelBeforeOverwritingIt) {
    // Down and to the right: the rows must go from the bottom up.
    Letters down(4, 4, 5);
    EXPECT_EQ(move_box(down.surface, Box{0, 0, 3, 3}, 1, 1), (Box{1, 1, 4, 4}));
    EXPECT_EQ(down.picture(),
              "abcd#\n"
              "eabc#\n"
              "iefg#\n"
              "mijk#\n");
    // Up and to the left: from the top down.
    Letters up(4, 4, 5);
    EXPECT_EQ(move_box(up.surface, Box{1, 1, 4, 4}, -1, -1), (Box{0, 0, 3, 3}));
    EXPECT_EQ(up.picture(),
              "fghd#\n"
              "jklh#\n"
              "nopl#\n"
              "mnop#\n");
    // Along a row: each row overlaps itself.
    Letters across(4, 2, 4);
    EXPECT_EQ(move_box(across.surface, Box{0, 0, 3, 2}, 1, 0), (Box{1, 0, 4, 2}));
    EXPECT_EQ(across.picture(),
              "aabc\n"
              "eefg\n");
}

TEST(MoveBoxTest, MovesOnlyPixelsOnTheSurfaceAtBothEndsAndNeverTouchesThePadding) {
    // The source reaches off the top left, the landing place off the bottom right: only the
    // pixels read from and written to the surface move, and the stride's padding stays.
    Letters part(4, 3, 5);
    EXPECT_EQ(move_box(part.surface, Box{-2, -2, 4, 3}, 2, 1), (Box{2, 1, 4, 3}));
    EXPECT_EQ(part.picture(),
              "abcd#\n"
              "efab#\n"
              "ijef#\n");
    // Moves that land wholly off the surface, or whose source is off it, change nothing.
    Letters none(3, 3, 3);
    const std::string before = none.picture();
    EXPECT_EQ(move_box(none.surface, Box{0, 0, 3, 3}, 3, 0), Box{});
    EXPECT_EQ(move_box(none.surface, Box{0, 0, 3, 3}, 0, -3), Box{});
    EXPECT_EQ(move_box(none.surface, Box{-5, 0, -1, 3}, 4, 0), Box{});
    EXPECT_EQ(move_box(none.surface, Box{0, 0, 3, 3}, 2147483647, -2147483647 - 1), Box{});
    EXPECT_EQ(move_box(none.surface, Box{least, least, most, most}, 0, 0), (Box{0, 0, 3, 3}));
    EXPECT_EQ(none.picture(), before);
}

}  // namespace
