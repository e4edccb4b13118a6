// Whole frames: what the frame draws, in which order and how many calls, and golden images of
// what the window shows afterwards.
#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/app_test_support.h"
#include "app/golden_image.h"
#include "backdrop.h"
#include "bug_figures.h"
#include "frame.h"
#include "kd508.h"
#include "panel.h"
#include "walk_state.h"
#include "window_lifecycle.h"

namespace bugwalk {
namespace {

using ::testing::ElementsAreArray;
using ::testing::SizeIs;
using Lines = std::vector<std::string>;

// Points inside the "Add Bug", "New Color" and "SCARE" buttons.
constexpr int button_x = -250;
constexpr int add_bug_y = 60;
constexpr int new_color_y = 80;
constexpr int scare_y = 110;
constexpr int most_calls_in_a_frame = 289;

class FrameTest : public ::testing::Test {
protected:
    testing::OpenedRuntime runtime;
    WalkState state;

    void SetUp() override {
        KD508_clear();
        init_walk_state(state);
    }

    void click(int x, int y) {
        state.click_x = x;
        state.click_y = y;
        apply_event(state, KD508_MOUSE);
    }

    void periodic_events(int count) {
        for (int i = 0; i < count; ++i) {
            apply_event(state, KD508_PERIODIC);
        }
    }

    // The lines a call sequence writes, read piece by piece so that none is lost from the ring.
    template <typename Draw>
    Lines lines_of(Draw draw) {
        testing::LogReader log;
        draw();
        return log.take();
    }

    // What the window shows once the runtime has copied the canvas to it.
    testing::Image shown() {
        kd508::copy_canvas_to_window();
        const HWND window = runtime.graphics_window();
        return {runtime.driver().client_width(window), runtime.driver().client_height(window),
                runtime.driver().client_pixels(window)};
    }
};

Lines tail(const Lines& lines, std::size_t n) {
    return Lines(lines.end() - static_cast<std::ptrdiff_t>(n), lines.end());
}

TEST_F(FrameTest, FirstFrameIsBackdropPanelAndSlotZeroWalking) {
    state.bug_count = 3;  // the first frame shows slot 0 alone, whatever the count says
    Lines expected = lines_of([] { draw_panel(); });
    for (const std::string& line :
         lines_of([this] { draw_walking_bug(state.bug_x[0], -90, 16, KD508_RED, 0); })) {
        expected.push_back(line);
    }
    const int before = testing::log_position();
    draw_first_frame(state);
    // 17 backdrop + 18 panel + 15 bug calls: twice round the ring.
    EXPECT_EQ(testing::log_position(), before);
    EXPECT_EQ(testing::newest_log_lines(25), tail(expected, 25));
}

TEST_F(FrameTest, ElevenScaredBugsMakeAtMost289CallsAndTheFrameMakesThoseCalls) {
    state.bug_count = max_bugs;
    state.scared = 1;
    state.step_count = 0;  // the even scared pose is the longer one
    state.bug_x[0] = 112;  // both scare figures

    Lines pieces = lines_of([] { draw_backdrop(); });
    EXPECT_THAT(pieces, SizeIs(17));
    const Lines panel = lines_of([] { draw_panel(); });
    EXPECT_THAT(panel, SizeIs(18));
    pieces.insert(pieces.end(), panel.begin(), panel.end());
    for (int i = 0; i < max_bugs; ++i) {
        const Lines bug = lines_of([&] {
            draw_bug(state.bug_x[i], state.bug_y, state.bug_size, state.bug_color, state.scared,
                     state.step_count);
        });
        EXPECT_THAT(bug, SizeIs(22));
        pieces.insert(pieces.end(), bug.begin(), bug.end());
    }
    const Lines figures = lines_of([&] { draw_scare_figures(state.bug_x[0], state.bug_size); });
    EXPECT_THAT(figures, SizeIs(12));
    pieces.insert(pieces.end(), figures.begin(), figures.end());
    EXPECT_LE(pieces.size(), static_cast<std::size_t>(most_calls_in_a_frame));

    const int before = testing::log_position();
    draw_frame(state);
    const int written = (testing::log_position() - before + 25) % 25;
    EXPECT_EQ(written, static_cast<int>(pieces.size() % 25));
    EXPECT_EQ(testing::newest_log_lines(25), tail(pieces, 25));
}

TEST_F(FrameTest, NoMoreThanElevenBugsAreDrawnWhateverTheCount) {
    state.bug_count = max_bugs;
    int before = testing::log_position();
    draw_frame(state);
    const int eleven = (testing::log_position() - before + 25) % 25;
    const Lines eleven_tail = testing::newest_log_lines(25);

    state.bug_count = 1000;
    before = testing::log_position();
    draw_frame(state);
    EXPECT_EQ((testing::log_position() - before + 25) % 25, eleven);
    EXPECT_EQ(testing::newest_log_lines(25), eleven_tail);
}

TEST_F(FrameTest, ScareFiguresFollowSlotZeroEvenWithNoBugShown) {
    state.bug_count = 0;
    state.scared = 1;
    state.bug_x[0] = 0;
    const Lines panel = lines_of([] { draw_panel(); });
    const Lines figures = lines_of([] { draw_scare_figures(0, 16); });
    Lines expected(panel.end() - 1, panel.end());
    expected.insert(expected.end(), figures.begin(), figures.end());

    draw_frame(state);
    EXPECT_EQ(testing::newest_log_lines(13), expected);
}

// ---- golden images of what the window shows ----

TEST_F(FrameTest, EveryPanelLabelLeavesAColumnFreeBeforeTheRightBorderOfItsBox) {
    // The boxes stand between logical x -295 and -220, 25 high from y 245 down; the outline is
    // one pixel, so the box's right border is client column 297 - 220 - 1. The longest label,
    // "Delete Bug", leaves the column before it free where text takes its Windows width.
    constexpr int right_border_column = 297 - 220 - 1;
    constexpr int first_box_top_row = 247 - 245;
    constexpr int box_height = 25;
    constexpr int label_colours[] = {0x00FF00, 0xFF0000, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF,
                                     0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF};
    draw_first_frame(state);
    const testing::Image frame = shown();
    auto pixel = [&](int x, int y) { return static_cast<int>(frame.pixels[y * frame.width + x]); };
    for (int box = 0; box < 9; ++box) {
        const int top = first_box_top_row + box * box_height;
        int label_pixels = 0;
        int rightmost_label_column = -1;
        for (int y = top + 1; y < top + box_height - 1; ++y) {
            for (int x = right_border_column - 60; x < right_border_column; ++x) {
                if (pixel(x, y) != label_colours[box]) continue;
                ++label_pixels;
                rightmost_label_column = std::max(rightmost_label_column, x);
            }
        }
        EXPECT_GT(label_pixels, 20) << "box " << box << " shows no label";
        EXPECT_LT(rightmost_label_column, right_border_column - 1) << "box " << box;
    }
}

TEST_F(FrameTest, GoldenFirstFrame) {
    draw_first_frame(state);
    EXPECT_TRUE(testing::matches_golden("first_frame", shown()));
}

TEST_F(FrameTest, GoldenAfterThirteenPeriodicEvents) {
    // The thirteenth event wraps slot 10, the last one, so the count starts again at 0.
    periodic_events(13);
    ASSERT_EQ(state.bug_x[0], 215);
    ASSERT_EQ(state.step_count, 0);
    draw_frame(state);
    EXPECT_TRUE(testing::matches_golden("after_13_periodic_events", shown()));
}

TEST_F(FrameTest, GoldenScareWithBothFigures) {
    click(button_x, scare_y);
    state.bug_x[0] = 112;
    draw_frame(state);
    EXPECT_TRUE(testing::matches_golden("scare_both_figures", shown()));
}

TEST_F(FrameTest, GoldenScareDuringAHop) {
    click(button_x, scare_y);
    periodic_events(5);
    ASSERT_EQ(state.bug_y, -70);
    draw_frame(state);
    EXPECT_TRUE(testing::matches_golden("scare_hop", shown()));
}

TEST_F(FrameTest, GoldenElevenBugsAfterTwentyThreeNewColors) {
    for (int i = 0; i < 10; ++i) {
        click(button_x, add_bug_y);
    }
    for (int i = 0; i < 23; ++i) {
        click(button_x, new_color_y);
    }
    ASSERT_EQ(state.bug_count, 11);
    ASSERT_EQ(state.bug_color, KD508_WHITE);
    draw_frame(state);
    EXPECT_TRUE(testing::matches_golden("eleven_bugs_new_color_23", shown()));
}

// On a screen every frame is copied to the window as it comes, and a copy takes the tiles whose
// drawing calls repeat on trust: the frames must come out as the golden ones all the same.
TEST_F(FrameTest, GoldenFramesComeOutAlikeWhenEveryFrameIsShownAsItComes) {
    runtime.driver().set_reads_client_pixels(true);
    draw_first_frame(state);
    (void)shown();
    for (int i = 0; i < 13; ++i) {
        apply_event(state, KD508_PERIODIC);
        draw_frame(state);
        (void)shown();
    }
    EXPECT_TRUE(testing::matches_golden("after_13_periodic_events", shown()));
}

TEST_F(FrameTest, GoldenBugsAndColoursComeOutAlikeWhenEveryFrameIsShownAsItComes) {
    runtime.driver().set_reads_client_pixels(true);
    draw_first_frame(state);
    (void)shown();
    for (int i = 0; i < 10 + 23; ++i) {
        click(button_x, i < 10 ? add_bug_y : new_color_y);
        draw_frame(state);
        (void)shown();
    }
    EXPECT_TRUE(testing::matches_golden("eleven_bugs_new_color_23", shown()));
}

// The frames of a walk through every button, each as the window shows it once the frame is
// copied: as it comes, as on a screen, or once something looks at the window.
std::vector<std::uint64_t> frames_shown(bool as_they_come) {
    testing::OpenedRuntime runtime;
    runtime.driver().set_reads_client_pixels(as_they_come);
    KD508_clear();
    WalkState state;
    init_walk_state(state);
    std::mt19937 random(508);
    std::vector<std::uint64_t> frames;
    draw_first_frame(state);
    for (int frame = 0; frame < 300; ++frame) {
        if (random() % 100 < 15) {
            // Rows of 25 from 245 down: the middle of button k is 245 - 25 k - 12.
            state.click_x = button_x;
            state.click_y = 245 - 25 * static_cast<int>(random() % 9) - 12;
            apply_event(state, KD508_MOUSE);
        } else {
            apply_event(state, KD508_PERIODIC);
        }
        draw_frame(state);
        kd508::copy_canvas_to_window();
        const HWND window = runtime.graphics_window();
        std::uint64_t hash = 14695981039346656037ULL;
        for (const std::uint32_t pixel : runtime.driver().client_pixels(window))
            hash = (hash ^ pixel) * 1099511628211ULL;
        frames.push_back(hash);
    }
    return frames;
}

// A screen's copies pass over the tiles whose calls repeat, and the canvas keeps its calls for
// them: every frame must come out as it does when the copies wait.
TEST(FrameWalkTest, EveryFrameOfAWalkThroughEveryButtonIsShownAlikeAsItComes) {
    const std::vector<std::uint64_t> waiting = frames_shown(false);
    const std::vector<std::uint64_t> as_they_come = frames_shown(true);
    ASSERT_EQ(waiting.size(), as_they_come.size());
    for (std::size_t frame = 0; frame < waiting.size(); ++frame)
        ASSERT_EQ(waiting[frame], as_they_come[frame]) << "frame " << frame;
}

}  // namespace
}  // namespace bugwalk
