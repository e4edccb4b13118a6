// The control panel: its drawing, its hit test and what each button does to the walk state.
#include <climits>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/app_test_support.h"
#include "kd508.h"
#include "panel.h"

namespace bugwalk {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Lines = std::vector<std::string>;

const std::string internal_error_line = "red text at (0,0), \"INTERNAL ERROR!\"";

struct PanelState {
    std::int32_t moving = 1;
    std::int32_t scared = 0;
    std::int32_t bug_color = 2;
    std::int32_t speed = 5;
    std::int32_t bug_count = 1;
    bool operator==(const PanelState&) const = default;
};

class PanelTest : public ::testing::Test {
protected:
    testing::OpenedRuntime runtime;
    testing::LogReader log;

    PanelState press(int x, int y, PanelState state) {
        press_button(x, y, state.moving, state.scared, state.bug_color, state.speed,
                     state.bug_count);
        return state;
    }

    // The label of the button that a press at (x, y) acts as, told apart by its effect on two
    // states between which every action changes something; "error" for the internal error.
    std::string button_at(int x, int y) {
        const PanelState low{.moving = 0, .scared = 0, .bug_color = 5, .speed = 5, .bug_count = 5};
        const PanelState high{.moving = 1, .scared = 1, .bug_color = 5, .speed = 5, .bug_count = 5};
        const PanelState from_low = press(x, y, low);
        const PanelState from_high = press(x, y, high);
        const Lines lines = log.take();
        if (from_low == low && from_high == high) {
            return lines == Lines{internal_error_line, internal_error_line} ? "error" : "nothing";
        }
        if (!lines.empty()) return "drew something";
        if (from_low.moving == 1) return "Go";
        if (from_high.moving == 0) return "Stop";
        if (from_low.speed == 6) return "Faster";
        if (from_low.speed == 4) return "Slower";
        if (from_high.scared == 0) return "Walking";
        if (from_low.scared == 1) return "SCARE";
        if (from_low.bug_color == 6) return "New Color";
        if (from_low.bug_count == 6) return "Add Bug";
        if (from_low.bug_count == 4) return "Delete Bug";
        return "unknown";
    }
};

TEST_F(PanelTest, DrawsNineOutlinedBoxesThenNineLabels) {
    draw_panel();
    EXPECT_THAT(log.take(), ElementsAre(
        "white rectangle with bounding box (-295,245) to (-220,220) with line width 1",
        "white rectangle with bounding box (-295,220) to (-220,195) with line width 1",
        "white rectangle with bounding box (-295,195) to (-220,170) with line width 1",
        "white rectangle with bounding box (-295,170) to (-220,145) with line width 1",
        "white rectangle with bounding box (-295,145) to (-220,120) with line width 1",
        "white rectangle with bounding box (-295,120) to (-220,95) with line width 1",
        "white rectangle with bounding box (-295,95) to (-220,70) with line width 1",
        "white rectangle with bounding box (-295,70) to (-220,45) with line width 1",
        "white rectangle with bounding box (-295,45) to (-220,20) with line width 1",
        "green text at (-285,227), \"Go\"",
        "red text at (-285,202), \"Stop\"",
        "white text at (-285,177), \"Faster\"",
        "white text at (-285,152), \"Slower\"",
        "white text at (-285,127), \"Walking\"",
        "white text at (-285,102), \"SCARE\"",
        "white text at (-285,77), \"New Color\"",
        "white text at (-285,52), \"Add Bug\"",
        "white text at (-285,27), \"Delete Bug\""));
}

TEST_F(PanelTest, HitTestExcludesTheOuterOutline) {
    EXPECT_EQ(panel_hit(-294, 244), 1);
    EXPECT_EQ(panel_hit(-221, 21), 1);
    EXPECT_EQ(panel_hit(-295, 100), 0);
    EXPECT_EQ(panel_hit(-220, 100), 0);
    EXPECT_EQ(panel_hit(-250, 245), 0);
    EXPECT_EQ(panel_hit(-250, 20), 0);
    EXPECT_EQ(panel_hit(0, 0), 0);
    EXPECT_EQ(panel_hit(INT_MIN, INT_MIN), 0);
    EXPECT_EQ(panel_hit(INT_MAX, INT_MAX), 0);
}

TEST_F(PanelTest, EachBoxOwnsItsTopOutlineAndTheBoxBelowItsBottom) {
    EXPECT_EQ(button_at(-294, 244), "Go");
    EXPECT_EQ(button_at(-250, 221), "Go");
    EXPECT_EQ(button_at(-250, 220), "Stop");
    EXPECT_EQ(button_at(-250, 196), "Stop");
    EXPECT_EQ(button_at(-250, 195), "Faster");
    EXPECT_EQ(button_at(-250, 170), "Slower");
    EXPECT_EQ(button_at(-250, 145), "Walking");
    EXPECT_EQ(button_at(-250, 120), "SCARE");
    EXPECT_EQ(button_at(-250, 95), "New Color");
    EXPECT_EQ(button_at(-250, 70), "Add Bug");
    EXPECT_EQ(button_at(-250, 45), "Delete Bug");
    EXPECT_EQ(button_at(-250, 21), "Delete Bug");
}

TEST_F(PanelTest, PressAcceptsWiderBoundsThanTheHitTest) {
    // Both x bounds are inclusive; truncating division maps y 246 to 269 to the first button.
    EXPECT_EQ(button_at(-295, 100), "SCARE");
    EXPECT_EQ(button_at(-220, 100), "SCARE");
    EXPECT_EQ(button_at(-250, 245), "Go");
    EXPECT_EQ(button_at(-250, 269), "Go");
}

TEST_F(PanelTest, PointsItCannotMapDrawTheInternalErrorAndChangeNothing) {
    EXPECT_EQ(button_at(-296, 100), "error");
    EXPECT_EQ(button_at(-219, 100), "error");
    EXPECT_EQ(button_at(-250, 270), "error");
    EXPECT_EQ(button_at(-250, 20), "error");
    EXPECT_EQ(button_at(-250, -1000), "error");
    EXPECT_EQ(button_at(-250, INT_MIN), "error");
    EXPECT_EQ(button_at(-250, INT_MAX), "error");
    EXPECT_EQ(button_at(INT_MIN, 100), "error");
}

constexpr int x_in_column = -250;
constexpr int go_y = 230;
constexpr int stop_y = 210;
constexpr int faster_y = 180;
constexpr int slower_y = 160;
constexpr int walking_y = 130;
constexpr int scare_y = 110;
constexpr int new_color_y = 80;
constexpr int add_bug_y = 60;
constexpr int delete_bug_y = 30;

TEST_F(PanelTest, FlagButtonsSetTheirFlagAndRepeatingChangesNothing) {
    PanelState state;
    state = press(x_in_column, stop_y, state);
    EXPECT_EQ(state.moving, 0);
    state = press(x_in_column, stop_y, state);
    EXPECT_EQ(state.moving, 0);
    state = press(x_in_column, go_y, state);
    EXPECT_EQ(state.moving, 1);
    state = press(x_in_column, go_y, state);
    EXPECT_EQ(state.moving, 1);

    state = press(x_in_column, scare_y, state);
    EXPECT_EQ(state.scared, 1);
    state = press(x_in_column, scare_y, state);
    EXPECT_EQ(state.scared, 1);
    state = press(x_in_column, walking_y, state);
    EXPECT_EQ(state.scared, 0);
    state = press(x_in_column, walking_y, state);
    EXPECT_EQ(state.scared, 0);
    EXPECT_THAT(log.take(), IsEmpty());
}

TEST_F(PanelTest, SpeedNeverGoesBelowZeroNorOverflows) {
    PanelState state{.speed = 1};
    state = press(x_in_column, slower_y, state);
    EXPECT_EQ(state.speed, 0);
    state = press(x_in_column, slower_y, state);
    EXPECT_EQ(state.speed, 0);
    state = press(x_in_column, faster_y, state);
    EXPECT_EQ(state.speed, 1);

    state.speed = INT_MAX - 1;
    state = press(x_in_column, faster_y, state);
    EXPECT_EQ(state.speed, INT_MAX);
    state = press(x_in_column, faster_y, state);
    EXPECT_EQ(state.speed, INT_MAX);

    // Not reachable through the buttons, but no value may overflow.
    state.speed = INT_MIN;
    state = press(x_in_column, slower_y, state);
    EXPECT_EQ(state.speed, 0);
}

TEST_F(PanelTest, BugCountStaysWithinNoneAndEleven) {
    PanelState state{.bug_count = 10};
    state = press(x_in_column, add_bug_y, state);
    EXPECT_EQ(state.bug_count, 11);
    state = press(x_in_column, add_bug_y, state);
    EXPECT_EQ(state.bug_count, 11);

    state.bug_count = 1;
    state = press(x_in_column, delete_bug_y, state);
    EXPECT_EQ(state.bug_count, 0);
    state = press(x_in_column, delete_bug_y, state);
    EXPECT_EQ(state.bug_count, 0);
    state = press(x_in_column, add_bug_y, state);
    EXPECT_EQ(state.bug_count, 1);

    state.bug_count = INT_MAX;
    state = press(x_in_column, add_bug_y, state);
    EXPECT_EQ(state.bug_count, 11);
    state.bug_count = INT_MIN;
    state = press(x_in_column, delete_bug_y, state);
    EXPECT_EQ(state.bug_count, 0);
}

TEST_F(PanelTest, NewColorCyclesThroughAllTwentyFourAndWrapsToBlack) {
    PanelState state;
    std::vector<int> colours;
    for (int press_count = 0; press_count < 24; ++press_count) {
        state = press(x_in_column, new_color_y, state);
        colours.push_back(state.bug_color);
    }
    EXPECT_EQ(colours.front(), 3);
    EXPECT_EQ(colours[20], 23);
    EXPECT_EQ(colours[21], 0);
    EXPECT_EQ(colours[22], 1);
    EXPECT_EQ(colours.back(), 2);

    state.bug_color = INT_MAX;
    state = press(x_in_column, new_color_y, state);
    EXPECT_EQ(state.bug_color, static_cast<int>((std::int64_t{INT_MAX} + 1) % 24));
}

}  // namespace
}  // namespace bugwalk
