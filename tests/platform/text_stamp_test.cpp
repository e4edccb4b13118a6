// Stamps of lines of text: made when a line is seen a second time, holding each glyph's ink
// where the line puts it, and held within their limit.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <string_view>
#include <utility>

#include "font/font_state.h"
#include "font/sized_font.h"
#include "font/text_stamp.h"
#include "headless/headless_driver.h"
#include "raster/geometry.h"
#include "win32_subset.h"

namespace kd508::font {
namespace {

using Pixels = std::set<std::pair<std::int64_t, std::int64_t>>;  // columns and rows from the pen's start on the baseline

SizedFont& sans(int height) { return sized_font(FontRequest{height, false, ""}); }
SizedFont& mono(int height) { return sized_font(FontRequest{height, true, ""}); }

bool bit_set(const std::vector<std::uint64_t>& mask, int width, int row, int column) {
    const auto word = static_cast<std::size_t>(row * ink_mask_words(width) + column / 64);
    return (mask[word] >> (column % 64)) & 1;
}

// The inked pixels of a line drawn glyph by glyph, and the box of its glyphs.
std::pair<Pixels, raster::Box> glyph_by_glyph(SizedFont& font, std::string_view text) {
    Pixels inked;
    raster::Box box;
    std::int64_t pen = 0;
    for (const char character : text) {
        const Glyph& glyph = font.glyph(static_cast<unsigned char>(character));
        const std::int64_t left = pen + glyph.left;
        const std::int64_t top = -std::int64_t{glyph.top};
        box = box.united({left, top, left + glyph.width, top + glyph.rows});
        for (int row = 0; row < glyph.rows; ++row)
            for (int column = 0; column < glyph.width; ++column)
                if (bit_set(glyph.ink, glyph.width, row, column)) inked.emplace(left + column, top + row);
        pen += glyph.advance;
    }
    return {inked, box};
}

Pixels stamp_pixels(const TextStamp& stamp) {
    Pixels inked;
    for (int row = 0; row < stamp.rows; ++row)
        for (int column = 0; column < stamp.width; ++column)
            if (bit_set(stamp.ink, stamp.width, row, column)) inked.emplace(stamp.left + column, row - stamp.top);
    return inked;
}

TEST(TextStamps, ALineSeenASecondTimeGetsTheInkOfItsGlyphs) {
    kd508::headless::Driver driver;
    TextStamps stamps;
    // Short labels and lines over several mask words, letters reaching left of their pen
    // position and below the baseline, and a line with no ink at all.
    for (int height : {-12, -33, -60}) {
        for (std::string_view text : {"Delete Bug", "SCARE", "j_gy", "   ", "W"}) {
            SCOPED_TRACE(testing::Message() << height << " '" << text << "'");
            SizedFont& font = sans(height);
            EXPECT_EQ(stamps.find(font, text), nullptr);
            const TextStamp* stamp = stamps.find(font, text);
            ASSERT_NE(stamp, nullptr);
            const auto [inked, box] = glyph_by_glyph(font, text);
            EXPECT_EQ(stamp_pixels(*stamp), inked);
            if (!box.empty()) {
                EXPECT_EQ(stamp->left, box.left);
                EXPECT_EQ(stamp->top, -box.top);
                EXPECT_EQ(stamp->width, box.width());
                EXPECT_EQ(stamp->rows, box.height());
            }
        }
    }

    // Every character of a fixed-pitch font advances as far: the last starts two advances in.
    SizedFont& fixed = mono(-16);
    const int advance = fixed.advance('M');
    stamps.find(fixed, "MMM");
    const TextStamp* line = stamps.find(fixed, "MMM");
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->last_pen, 2 * advance);
    EXPECT_EQ(line->advance, 3 * advance);

    // The same bytes in another font are another line, seen for the first time.
    EXPECT_EQ(stamps.find(mono(-17), "MMM"), nullptr);
}

TEST(TextStamps, LongOrHugeLinesAreDrawnGlyphByGlyph) {
    kd508::headless::Driver driver;
    TextStamps stamps;
    SizedFont& small = sans(-12);
    const std::string longest(256, 'i');
    const std::string too_long(257, 'i');
    stamps.find(small, longest);
    EXPECT_NE(stamps.find(small, longest), nullptr);
    stamps.find(small, too_long);
    EXPECT_EQ(stamps.find(small, too_long), nullptr);

    // At the largest height one narrow letter, two mask words wide, fits a stamp of 2,048 words,
    // and would not at three words; two of them side by side, six words wide, do not.
    SizedFont& huge = sans(-largest_height);
    const Glyph& letter = huge.glyph('I');
    ASSERT_EQ(ink_mask_words(letter.width), 2);
    ASSERT_LE(2 * letter.rows, 2048);
    ASSERT_GT(3 * letter.rows, 2048);
    stamps.find(huge, "I");
    EXPECT_NE(stamps.find(huge, "I"), nullptr);
    stamps.find(huge, "II");
    EXPECT_EQ(stamps.find(huge, "II"), nullptr);
}

TEST(TextStamps, WhatTheyHoldStaysWithinTheLimitAndClearStartsAfresh) {
    kd508::headless::Driver driver;
    TextStamps stamps;
    SizedFont& font = sans(-40);
    // Lines seen once each, as a log's are, and then lines seen twice, which get stamps.
    for (int i = 0; i < 5000; ++i) {
        stamps.find(font, "once " + std::to_string(i));
        ASSERT_LE(stamps.held_bytes(), TextStamps::held_bytes_limit()) << i;
    }
    std::size_t most_held = 0;
    int starts_afresh = 0;
    for (int i = 0; i < 3000; ++i) {
        const std::string text = "line " + std::to_string(i);
        const std::size_t held_before = stamps.held_bytes();
        stamps.find(font, text);
        ASSERT_NE(stamps.find(font, text), nullptr) << text;
        ASSERT_LE(stamps.held_bytes(), TextStamps::held_bytes_limit()) << text;
        most_held = std::max(most_held, stamps.held_bytes());
        starts_afresh += stamps.held_bytes() < held_before;
    }
    // Each line takes well under a kilobyte, and the stamps go only when the next would not fit.
    EXPECT_GT(most_held, TextStamps::held_bytes_limit() - 1024);
    EXPECT_GE(starts_afresh, 2);
    stamps.clear();
    EXPECT_EQ(stamps.held_bytes(), 0u);
    EXPECT_EQ(stamps.find(font, "line 2999"), nullptr);
}

// A line drawn once on a bitmap, as a log's lines are, is only noted: its stamp is made when it
// is drawn a second time.
TEST(TextStamps, ALineDrawnOnceOnABitmapGetsNoStampYet) {
    kd508::headless::Driver driver;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 80, 20);
    HGDIOBJ old_bitmap = SelectObject(dc, bitmap);
    const TextStamps& stamps = font_state().stamps;
    TextOutA(dc, 2, 2, "Once", 4);
    const std::size_t held_once = stamps.held_bytes();
    TextOutA(dc, 2, 2, "Once", 4);
    EXPECT_GT(stamps.held_bytes(), held_once);
    SelectObject(dc, old_bitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
}

}  // namespace
}  // namespace kd508::font
