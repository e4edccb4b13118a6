// The message ring and the text window: what is kept, what is drawn, and the logging switch.
#include <algorithm>
#include <cstdarg>
#include <string>
#include <vector>

#include "drawing_fixture.h"
#include "formatted_text.h"
#include "run_menu.h"
#include "text_log.h"

namespace kd508::testing {
namespace {

using ::testing::ElementsAre;

class TextLog : public OpenRuntime {
protected:
    // The windows get their first paint, as the event wait would give them, so that the text
    // window starts white.
    TextLog() { dispatch_pending(); }

    HWND text_window() const { return runtime_state().text_window; }

    int line_pitch() const {
        HDC surface = GetDC(text_window());
        HGDIOBJ previous = SelectObject(surface, GetStockObject(ANSI_FIXED_FONT));
        TEXTMETRICA metrics = {};
        GetTextMetricsA(surface, &metrics);
        SelectObject(surface, previous);
        ReleaseDC(text_window(), surface);
        return metrics.tmHeight + metrics.tmExternalLeading;
    }

    // The rightmost column with a non-white pixel in the strip of rows [top, top + height), or
    // -1 for a blank strip. Lines logged are drawn when the event wait next passes; the test
    // draws them as it would.
    int rightmost_ink(int top, int height) const {
        flush_log_window();
        int rightmost = -1;
        const int width = driver.client_width(text_window());
        const int bottom = std::min(top + height, driver.client_height(text_window()));
        for (int y = std::max(top, 0); y < bottom; ++y) {
            for (int x = 0; x < width; ++x) {
                if (driver.client_pixel(text_window(), x, y) != 0xFFFFFF && x > rightmost) {
                    rightmost = x;
                }
            }
        }
        return rightmost;
    }

    // Line k counted from the bottom: 0 is the newest.
    int strip_top(int k) const {
        return driver.client_height(text_window()) - (k + 1) * line_pitch();
    }

    void dispatch_pending() {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    }

    // Logs the lines, drawing the waiting ones where flush_after says, then compares the window
    // with the lines `before` and then these scrolled in and drawn one by one on a white window.
    template <typename FlushAfter>
    void expect_drawing_together_as_one_by_one(const std::vector<std::string>& lines, FlushAfter flush_after,
                                               const std::vector<std::string>& before = {}) {
        for (std::size_t i = 0; i < lines.size(); ++i) {
            KD508_printf("%s", lines[i].c_str());
            if (flush_after(i)) flush_log_window();
        }
        flush_log_window();
        const std::vector<std::uint32_t> together = driver.client_pixels(text_window());

        HDC surface = GetDC(text_window());
        SelectObject(surface, GetStockObject(WHITE_BRUSH));
        SelectObject(surface, GetStockObject(NULL_PEN));
        Rectangle(surface, 0, 0, driver.client_width(text_window()) + 1, driver.client_height(text_window()) + 1);
        ReleaseDC(text_window(), surface);
        for (const std::vector<std::string>* batch : {&before, &lines}) {
            for (const std::string& line : *batch) {
                std::vector<char> copy(line.begin(), line.end());
                copy.push_back('\0');
                paint_log_line(copy.data());
            }
        }
        const std::vector<std::uint32_t> one_by_one = driver.client_pixels(text_window());
        const int width = driver.client_width(text_window());
        EXPECT_NE(std::count(one_by_one.begin(), one_by_one.end(), 0xFFFFFFu), static_cast<long>(one_by_one.size()));
        for (std::size_t i = 0; i < together.size(); ++i)
            ASSERT_EQ(together[i], one_by_one[i]) << "pixel " << i % width << "," << i / width;
    }
};

TEST_F(TextLog, KeepsEachMessageAsOneLineAndReturnsTheFormattedCount) {
    EXPECT_EQ(KD508_printf("value %d\n", 42), 9);
    EXPECT_EQ(KD508_printf("%s", ""), 0);
    EXPECT_EQ(KD508_printf("two\nparts\n\n"), 11);
    EXPECT_THAT(ring_lines(), ElementsAre("value 42\n", "", "two\nparts\n\n"));
    // Each line sits in a block of exactly its length plus the terminator.
    EXPECT_EQ(GlobalSize(runtime_state().log_ring[0]), 10u);
    EXPECT_EQ(GlobalSize(runtime_state().log_ring[1]), 1u);
}

TEST_F(TextLog, CutsALongMessageToTheBufferButReturnsTheFullCount) {
    const std::string long_text(2000, 'x');
    EXPECT_EQ(KD508_printf("%s", long_text.c_str()), 2000);
    ASSERT_EQ(ring_lines().size(), 1u);
    EXPECT_EQ(ring_lines()[0], std::string(printf_buffer_size - 1, 'x'));
}

TEST_F(TextLog, TheTwentySixthMessageReplacesTheOldestLine) {
    KD508_printf("message 1\n");
    const HGLOBAL first_block = runtime_state().log_ring[0];
    for (int i = 2; i <= 25; ++i) KD508_printf("message %d\n", i);
    EXPECT_EQ(runtime_state().log_first, 0);
    EXPECT_EQ(runtime_state().log_next, 0);
    EXPECT_EQ(platform::live_global_block_count(), 25u);

    KD508_printf("message 26\n");
    EXPECT_EQ(runtime_state().log_first, 1);
    EXPECT_EQ(runtime_state().log_next, 1);
    EXPECT_EQ(GlobalLock(first_block), nullptr) << "the first line's block was not freed";
    EXPECT_EQ(platform::live_global_block_count(), 25u);
    EXPECT_EQ(ring_lines().back(), "message 26\n");
}

TEST_F(TextLog, AfterFiftyMessagesTheLastTwentyFiveAreKeptInOrder) {
    for (int i = 1; i <= 50; ++i) KD508_printf("message %d\n", i);
    std::vector<std::string> expected;
    for (int i = 26; i <= 50; ++i) expected.push_back("message " + std::to_string(i) + "\n");
    EXPECT_EQ(ring_lines(), expected);
    const char* oldest = static_cast<const char*>(GlobalLock(runtime_state().log_ring[0]));
    EXPECT_STREQ(oldest, "message 26\n");
    GlobalUnlock(runtime_state().log_ring[0]);
}

TEST_F(TextLog, PaintingRemovesOnlyOneTrailingNewlineInPlace) {
    char two_newlines[] = "ab\n\n";
    paint_log_line(two_newlines);
    EXPECT_STREQ(two_newlines, "ab\n");
    char inner_newline[] = "a\nb";
    paint_log_line(inner_newline);
    EXPECT_STREQ(inner_newline, "a\nb");
    // An empty line has no last character: the byte before it, here a newline, is not its own.
    char newline_then_empty[] = "\n";
    paint_log_line(newline_then_empty + 1);
    EXPECT_EQ(newline_then_empty[0], '\n');
    EXPECT_STREQ(newline_then_empty + 1, "");
}

TEST_F(TextLog, TheNewestLineStandsAtTheBottomAndEarlierOnesMoveUp) {
    KD508_printf("MMMMMMMMMM\n");
    const int ink_of_ten = rightmost_ink(strip_top(0), line_pitch());
    EXPECT_GT(ink_of_ten, 5);

    KD508_printf("MM\n");
    EXPECT_EQ(rightmost_ink(strip_top(1), line_pitch()), ink_of_ten) << "older line moved up";
    const int ink_of_two = rightmost_ink(strip_top(0), line_pitch());
    EXPECT_GT(ink_of_two, 5);
    EXPECT_LT(ink_of_two, ink_of_ten);

    // An empty message is a blank line: the window scrolls, nothing is drawn.
    KD508_printf("\n");
    EXPECT_EQ(rightmost_ink(strip_top(0), line_pitch()), -1);
    EXPECT_EQ(rightmost_ink(strip_top(1), line_pitch()), ink_of_two);
    EXPECT_EQ(rightmost_ink(strip_top(2), line_pitch()), ink_of_ten);
}

TEST_F(TextLog, ARepaintDrawsTheLastTwentyFiveLinesOldestAtTheTop) {
    // Message i has i letters, so each line's length tells which message it is.
    for (int i = 1; i <= 30; ++i) KD508_printf("%s\n", std::string(i, 'M').c_str());
    flush_log_window();
    const std::vector<std::uint32_t> scrolled = driver.client_pixels(text_window());

    driver.expose(text_window());
    dispatch_pending();

    // The window may be too low for all 25; the lines it can hold are checked.
    int previous_ink = 1 << 30;
    int shown = 0;
    for (int k = 0; k < log_ring_size && strip_top(k) >= 0; ++k, ++shown) {
        const int ink = rightmost_ink(strip_top(k), line_pitch());
        EXPECT_GT(ink, 5) << "line " << k << " from the bottom is blank";
        EXPECT_LT(ink, previous_ink) << "line " << k << " from the bottom is out of order";
        previous_ink = ink;
    }
    EXPECT_GE(shown, 15);
    if (strip_top(log_ring_size) >= 0) {
        EXPECT_EQ(rightmost_ink(strip_top(log_ring_size), line_pitch()), -1)
            << "a line older than the ring was drawn";
    }
    // The repainted lines are the very pixels that scrolling left there.
    const std::vector<std::uint32_t> repainted = driver.client_pixels(text_window());
    const int width = driver.client_width(text_window());
    const int first_row = std::max(0, strip_top(log_ring_size - 1));
    for (std::size_t i = static_cast<std::size_t>(first_row) * width; i < repainted.size(); ++i) {
        ASSERT_EQ(repainted[i], scrolled[i]) << "pixel " << i % width << "," << i / width;
    }
    EXPECT_EQ(ring_lines().front(), std::string(6, 'M') + "\n") << "a repaint changed the ring";
}

TEST_F(TextLog, LinesDrawnTogetherLeaveThePixelsOfDrawingThemOneByOne) {
    // Short lines, blank ones, a line reaching the last column that erasing leaves (whose ink
    // then carries down from strip to strip), and more lines than the window holds or the ring
    // keeps, flushed at different points.
    std::vector<std::string> lines;
    for (int i = 0; i < 70; ++i) {
        if (i % 23 == 5) lines.push_back(std::string(printf_buffer_size - 2, static_cast<char>('A' + i % 26)) + "\n");
        else if (i % 7 == 3) lines.push_back("\n");
        else lines.push_back("line " + std::to_string(i) + std::string(static_cast<std::size_t>(i % 13), 'W') + "\n");
    }
    expect_drawing_together_as_one_by_one(lines, [](std::size_t i) { return i % 17 == 16 || i == 40; });
}

TEST_F(TextLog, ShortLinesMoveOnlyTheInkedColumnsYetLeaveThePixelsOfTheWholeScroll) {
    // Lines that never reach the right part of the window, first wider from batch to batch (each
    // batch must scroll what the one before drew), then narrower, blank and empty; the window
    // was erased whole by its first paint, so these batches move only the columns with ink.
    std::vector<std::string> lines;
    for (int i = 0; i < 60; ++i) {
        const int width = i < 40 ? i * 2 : 80 - i;
        if (i % 9 == 4) lines.push_back("\n");
        else if (i % 11 == 7) lines.push_back("");
        else lines.push_back(std::to_string(i) + std::string(static_cast<std::size_t>(width), 'W') + "\n");
    }
    expect_drawing_together_as_one_by_one(lines, [](std::size_t i) { return i % 5 == 2 || i == 30 || i == 31; });

    // After a longer line than any before, drawn alone, and a repaint, the short lines go on.
    KD508_printf("%s\n", std::string(150, 'M').c_str());
    lines.push_back(std::string(150, 'M') + "\n");
    driver.expose(text_window());
    dispatch_pending();
    std::vector<std::string> more;
    for (int i = 0; i < 30; ++i) more.push_back("after " + std::to_string(i * 7) + "\n");
    expect_drawing_together_as_one_by_one(more, [](std::size_t i) { return i % 4 == 3; }, lines);
}

TEST_F(TextLog, APartialRepaintLeavesTheInkOfLinesNoLongerKept) {
    // A window taller than the ring shows lines it no longer keeps; a repaint of a corner draws
    // only the kept ones, narrower here, and the wider ink above them must still scroll away.
    // Tall enough to show the oldest lines still after the repaint has scrolled the ring in again.
    const int strips = 2 * log_ring_size + 8;
    driver.resize_client(text_window(), driver.client_width(text_window()), strips * line_pitch());
    dispatch_pending();
    ASSERT_EQ(driver.client_height(text_window()), strips * line_pitch());
    std::vector<std::string> lines;
    for (int i = 0; i < log_ring_size + 5; ++i) lines.push_back(std::string(i < 5 ? 100 : 20, 'M') + "\n");
    for (const std::string& line : lines) KD508_printf("%s", line.c_str());
    flush_log_window();
    // The corner lies in the left margin: erasing it changes no pixel.
    const RECT corner{0, 0, 1, 1};
    InvalidateRect(text_window(), &corner, TRUE);
    dispatch_pending();
    // The repaint drew the kept lines once more, oldest first.
    for (const std::string& kept : ring_lines()) lines.push_back(kept);
    std::vector<std::string> shorter;
    for (int i = 0; i < 12; ++i) shorter.push_back("short " + std::to_string(i) + "\n");
    expect_drawing_together_as_one_by_one(shorter, [](std::size_t i) { return i % 3 == 1; }, lines);
}

TEST_F(TextLog, ARepaintWithNoLinesDrawsNothing) {
    driver.expose(text_window());
    dispatch_pending();
    for (std::uint32_t pixel : driver.client_pixels(text_window())) ASSERT_EQ(pixel, 0xFFFFFFu);
}

TEST_F(TextLog, KeysPressedInTheTextWindowArePassedToTheGraphicsWindow) {
    EXPECT_EQ(text_window_proc(text_window(), WM_KEYDOWN, 'Q', 0x10001), 0);
    EXPECT_EQ(text_window_proc(text_window(), WM_KEYUP, 'Q', 0x10002), 0);
    MSG message;
    ASSERT_TRUE(PeekMessageA(&message, runtime_state().graphics_window, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_KEYDOWN));
    EXPECT_EQ(message.wParam, static_cast<WPARAM>('Q'));
    EXPECT_EQ(message.lParam, 0x10001);
    ASSERT_TRUE(PeekMessageA(&message, runtime_state().graphics_window, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_KEYUP));
    EXPECT_EQ(message.lParam, 0x10002);
}

TEST_F(TextLog, LoggingSwitchSetsTheFlagTheCheckMarkAndShowsTheWindow) {
    const HMENU menu = runtime_state().run_menu;
    ShowWindow(text_window(), SW_HIDE);

    EXPECT_EQ(KD508_logging(0), 1);
    EXPECT_EQ(runtime_state().logging_enabled, 0);
    EXPECT_EQ(GetMenuState(menu, command_logging, MF_BYCOMMAND) & MF_CHECKED, 0u);
    EXPECT_FALSE(IsWindowVisible(text_window())) << "turning logging off showed the window";

    EXPECT_EQ(KD508_logging(7), 1);
    EXPECT_EQ(runtime_state().logging_enabled, 1);
    EXPECT_EQ(GetMenuState(menu, command_logging, MF_BYCOMMAND) & MF_CHECKED,
              static_cast<UINT>(MF_CHECKED));
    EXPECT_TRUE(IsWindowVisible(text_window()));

    // Turning it off again leaves the window shown.
    KD508_logging(0);
    EXPECT_TRUE(IsWindowVisible(text_window()));
}

TEST_F(TextLog, MessagesStillReachTheWindowWithLoggingOff) {
    KD508_logging(0);
    KD508_printf("MMMM\n");
    EXPECT_THAT(ring_lines(), ElementsAre("MMMM\n"));
    EXPECT_GT(rightmost_ink(strip_top(0), line_pitch()), 5);
}

// Before the windows exist there is nothing to switch or draw on.
TEST(TextLogBeforeOpen, LoggingIsRefusedAndMessagesAreOnlyKept) {
    headless::Driver driver;
    reset_runtime_state();
    EXPECT_EQ(KD508_logging(0), 0);
    EXPECT_EQ(runtime_state().logging_enabled, 1);

    EXPECT_EQ(KD508_printf("early %s\n", "bird"), 11);
    EXPECT_THAT(ring_lines(), ElementsAre("early bird\n"));
    empty_ring();
}

// The shortcut for a lone string must give what vsnprintf gives: the same bytes, cut at the same
// place, and the same count.
struct Formatted {
    std::string text;
    int count = 0;
};

Formatted formatted(const char* format, ...) {
    char buffer[printf_buffer_size];
    va_list arguments;
    va_start(arguments, format);
    const int count = format_text(buffer, format, arguments);
    va_end(arguments);
    return {buffer, count};
}

TEST(FormattedText, ALoneStringReadsAsVsnprintfWouldFormatIt) {
    const std::string exact(printf_buffer_size - 1, 'e');
    const std::string over(printf_buffer_size, 'o');
    EXPECT_EQ(formatted("%s", exact.c_str()).text, exact);
    EXPECT_EQ(formatted("%s", exact.c_str()).count, 1023);
    EXPECT_EQ(formatted("%s", over.c_str()).text, over.substr(0, 1023));
    EXPECT_EQ(formatted("%s", over.c_str()).count, 1024);
    EXPECT_EQ(formatted("%s", "").text, "");
    EXPECT_EQ(formatted("%s", "").count, 0);
    // A null string is left to the C library, which writes it as "(null)".
    const char* nothing = nullptr;
    EXPECT_EQ(formatted("%s", nothing).text, "(null)");
    EXPECT_EQ(formatted("%s", nothing).count, 6);
    EXPECT_EQ(formatted("%s!", over.c_str()).text, over.substr(0, 1023));
    EXPECT_EQ(formatted("%s!", over.c_str()).count, 1025);
    EXPECT_EQ(formatted("%d-%s", 7, "x").text, "7-x");
}

}  // namespace
}  // namespace kd508::testing
