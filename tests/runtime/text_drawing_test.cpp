// Text on the canvas: corrections and their order, where the lines stand, and the result.
#include <climits>
#include <string>
#include <vector>

#include "drawing_fixture.h"

namespace kd508::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// Canvas rows that hold a non-white pixel, as a first and last row; -1 for none.
struct InkRows {
    int first = -1;
    int last = -1;
};

class TextDrawing : public OpenRuntime {
protected:
    TextDrawing() {
        KD508_clear();
        empty_ring();
    }

    static InkRows ink_rows() {
        InkRows rows;
        for (int y = 1; y < canvas_height - 1; ++y) {
            for (int x = 1; x < canvas_width - 1; ++x) {
                if (GetPixel(canvas(), x, y) != white) {
                    if (rows.first < 0) rows.first = y;
                    rows.last = y;
                    break;
                }
            }
        }
        return rows;
    }

    // The line height the renderer uses: the extent of the whole text in the text font.
    static int line_height(int point_size, const char* text) {
        HFONT font = CreateFontA(-point_size, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET,
                                 OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                 DEFAULT_PITCH | FF_DONTCARE, "KD508-font");
        HGDIOBJ previous = SelectObject(canvas(), font);
        SIZE extent = {};
        GetTextExtentPointA(canvas(), text, static_cast<int>(std::string(text).size()), &extent);
        SelectObject(canvas(), previous);
        DeleteObject(font);
        return extent.cy;
    }

    std::vector<COLORREF> pixels_of_text(int point_size) {
        KD508_clear();
        KD508_text(KD508_BLACK, -100, 0, point_size, "Wg");
        return canvas_pixels();
    }
};

TEST_F(TextDrawing, AOneLineTextStandsOnItsAnchorRow) {
    EXPECT_EQ(KD508_text(KD508_BLUE, -50, 10, 24, "Hg"), 2);
    EXPECT_THAT(ring_lines(), ElementsAre("blue text at (-50,10), \"Hg\"\n"));
    const int anchor_row = origin_y() - 10;
    const int h = line_height(24, "Hg");
    const InkRows rows = ink_rows();
    ASSERT_GE(rows.first, 0) << "nothing was drawn";
    EXPECT_GE(rows.first, anchor_row - h);
    EXPECT_LE(rows.last, anchor_row - 1) << "the text reaches below its anchor row";
    EXPECT_GT(rows.last, anchor_row - h / 2) << "the text does not stand on its anchor row";
    EXPECT_EQ(GetTextColor(canvas()), blue) << "the canvas keeps the last text colour";
}

TEST_F(TextDrawing, ASecondLineStartsAtTheAnchorRow) {
    KD508_text(KD508_BLACK, -50, 0, 24, "Hg\nHg");
    const int anchor_row = origin_y();
    const int h = line_height(24, "Hg\nHg");
    const InkRows rows = ink_rows();
    EXPECT_GE(rows.first, anchor_row - h);
    EXPECT_LE(rows.last, anchor_row + h - 1);
    EXPECT_GT(rows.last, anchor_row + h / 2) << "no second line below the anchor";
    EXPECT_THAT(ring_lines(), ElementsAre("black text at (-50,0), \"Hg\nHg\"\n"));
}

TEST_F(TextDrawing, ATrailingNewlineAddsAnEmptyLineThatDrawsNothing) {
    KD508_text(KD508_BLACK, -50, 0, 24, "Hg\n");
    const InkRows rows = ink_rows();
    ASSERT_GE(rows.first, 0);
    EXPECT_LE(rows.last, origin_y() - 1);
}

TEST_F(TextDrawing, AnEmptyTextIsLoggedAndMarksTheCanvasChangedWithoutDrawing) {
    runtime_state().canvas_dirty = 0;
    EXPECT_EQ(KD508_text(KD508_RED, 5, 6, 12, "%s", ""), 0);
    EXPECT_THAT(ring_lines(), ElementsAre("red text at (5,6), \"\"\n"));
    EXPECT_EQ(runtime_state().canvas_dirty, 1);
    EXPECT_EQ(ink_rows().first, -1);
}

TEST_F(TextDrawing, PointSizesAreCorrectedWithTheirMessagesBeforeTheColour) {
    KD508_logging(0);
    const std::vector<COLORREF> at_127 = pixels_of_text(127);
    const std::vector<COLORREF> at_5 = pixels_of_text(5);
    const std::vector<COLORREF> at_0 = pixels_of_text(0);
    EXPECT_THAT(ring_lines(), IsEmpty()) << "sizes 0 to 127 are accepted silently";
    EXPECT_NE(at_127, at_5);
    EXPECT_NE(at_0, at_5);

    empty_ring();
    EXPECT_EQ(pixels_of_text(-5), at_5);
    EXPECT_EQ(pixels_of_text(128), at_127);
    EXPECT_EQ(pixels_of_text(-300), at_127);
    EXPECT_THAT(ring_lines(), ElementsAre("ptsize of -5 not possible, using ptsize 5\n",
                                          "ptsize of 128 not possible, using ptsize 127\n",
                                          "ptsize of -300 not possible, using ptsize 300\n",
                                          "ptsize of 300 not possible, using ptsize 127\n"));

    empty_ring();
    KD508_text(40, 0, 0, INT_MIN, "x");
    EXPECT_THAT(ring_lines(),
                ElementsAre("ptsize of -2147483648 not possible, using ptsize 2147483647\n",
                            "ptsize of 2147483647 not possible, using ptsize 127\n",
                            "Illegal color 40; using RED.\n"));
}

TEST_F(TextDrawing, ReturnsTheFormattedLengthAndCutsLongTexts) {
    EXPECT_EQ(KD508_text(KD508_BLACK, 0, 0, 10, "Go"), 2);
    EXPECT_EQ(KD508_text(KD508_BLACK, 0, 0, 10, "%d bugs", 11), 7);
    const std::string long_text(3000, 'W');
    empty_ring();
    EXPECT_EQ(KD508_text(KD508_BLACK, 0, 0, 10, "%s", long_text.c_str()), 3000);
    ASSERT_EQ(ring_lines().size(), 1u);
    // The log line is cut to what the message buffer holds.
    EXPECT_EQ(ring_lines()[0].size(), 1023u);
    EXPECT_EQ(ring_lines()[0].rfind("black text at (0,0), \"WWW", 0), 0u);
}

TEST_F(TextDrawing, ALoneStringIsCutAndPrintedAsTheFormattingWould) {
    const char* volatile none = nullptr;
    EXPECT_EQ(KD508_text(KD508_BLACK, 0, 0, 10, "%s", none), 6);
    EXPECT_THAT(ring_lines(), ElementsAre("black text at (0,0), \"(null)\"\n"));

    // 1022 newlines and "AB" are cut after the A; the last line is placed on the canvas, so the
    // cut shows, and must match what the formatting of a longer format leaves.
    const std::string lines = std::string(1022, '\n') + "AB";
    const int last_line_row = 100;
    const int y = origin_y() - last_line_row + 1021 * line_height(10, "A");
    KD508_clear();
    EXPECT_EQ(KD508_text(KD508_BLACK, -100, y, 10, "%s", lines.c_str()), 1024);
    const std::vector<COLORREF> copied = canvas_pixels();
    ASSERT_GE(ink_rows().first, last_line_row - 1);
    KD508_clear();
    EXPECT_EQ(KD508_text(KD508_BLACK, -100, y, 10, "%s%s", lines.c_str(), ""), 1024);
    EXPECT_EQ(canvas_pixels(), copied);
}

TEST_F(TextDrawing, LeavesNoBlockAndRestoresTheCanvasState) {
    KD508_logging(0);
    const HGDIOBJ font = SelectObject(canvas(), GetStockObject(ANSI_FIXED_FONT));
    SelectObject(canvas(), font);
    const int mode = GetBkMode(canvas());
    const std::size_t blocks = platform::live_global_block_count();
    const std::size_t objects = platform::live_gdi_object_count();

    KD508_text(KD508_GREEN, 0, 0, 30, "two\nlines");

    EXPECT_EQ(platform::live_global_block_count(), blocks);
    EXPECT_EQ(platform::live_gdi_object_count(), objects);
    EXPECT_EQ(GetBkMode(canvas()), mode);
    EXPECT_EQ(SelectObject(canvas(), font), font);
    EXPECT_EQ(GetTextColor(canvas()), RGB(0, 255, 0));
}

TEST_F(TextDrawing, TextFarOffTheCanvasIsClippedAway) {
    KD508_text(KD508_BLACK, INT_MAX, INT_MIN, 127, "far\naway");
    KD508_text(KD508_BLACK, INT_MIN, INT_MAX, 127, "far\naway");
    EXPECT_EQ(ink_rows().first, -1);
}

}  // namespace
}  // namespace kd508::testing
