// The walk's motion rule and the main program's loop.
#include <gtest/gtest.h>

#include <array>
#include <limits>

#include "runtime_state.h"
#include "headless/headless_driver.h"
#include "kd508.h"
#include "walk_state.h"

namespace {

using namespace bugwalk;

class Motion : public ::testing::Test {
protected:
    Motion() { init_walk_state(state); }

    void step(int events = 1) {
        for (int i = 0; i < events; ++i) {
            move_bugs(state.bug_x, state.bug_y, state.step_count, state.scared, state.speed, state.bug_size);
        }
    }

    std::array<std::int32_t, max_bugs> positions() const {
        std::array<std::int32_t, max_bugs> result{};
        for (int i = 0; i < max_bugs; ++i) result[i] = state.bug_x[i];
        return result;
    }

    WalkState state;
};

TEST_F(Motion, StartUpPlacesTheSlotsFiftyApartFromTheWrapLimit) {
    EXPECT_EQ(bug_height(16), 40);
    EXPECT_EQ(bug_height(15), 37) << "15 x 2.5 = 37.5, truncated";
    EXPECT_EQ(bug_height(-15), -37) << "truncated toward zero";
    EXPECT_EQ(wrap_limit(16), 280);
    EXPECT_EQ(positions(), (std::array<std::int32_t, max_bugs>{280, 230, 180, 130, 80, 30, -20, -70, -120, -170, -220}));
    EXPECT_EQ(state.bug_y, -90);
    EXPECT_EQ(state.bug_count, 1);
    EXPECT_EQ(state.bug_color, 2);
    EXPECT_EQ(state.speed, 5);
    EXPECT_EQ(state.moving, 1);
}

TEST_F(Motion, OneEventMovesEverySlotAndCountsElevenSteps) {
    step();
    EXPECT_EQ(positions(), (std::array<std::int32_t, max_bugs>{275, 225, 175, 125, 75, 25, -25, -75, -125, -175, -225}));
    EXPECT_EQ(state.step_count, 11);
}

TEST_F(Motion, TheLastSlotWrapsOnTheThirteenthEvent) {
    step(12);
    EXPECT_EQ(state.bug_x[10], -280) << "exactly at the limit: stays";
    EXPECT_EQ(state.step_count, 132);
    state.bug_y = -70;  // a wrap puts the bugs back on the path
    step();
    EXPECT_EQ(state.bug_x[10], 280);
    EXPECT_EQ(state.bug_x[9], -235);
    EXPECT_EQ(state.step_count, 0);
    EXPECT_EQ(state.bug_y, -90);
}

TEST_F(Motion, AWrapResetsTheCounterAndLaterSlotsCountOn) {
    state.bug_x[4] = -278;
    step();
    EXPECT_EQ(state.bug_x[4], 280);
    EXPECT_EQ(state.step_count, 10 - 4);
}

TEST_F(Motion, SpeedZeroStandsStillButThePoseAndHopGoOn) {
    state.speed = 0;
    state.scared = 1;
    const auto before = positions();
    for (int event = 1; event <= 10; ++event) {
        step();
        EXPECT_EQ(state.step_count, 11 * event);
        EXPECT_EQ(state.bug_y, event % 5 == 0 ? -70 : -90) << "event " << event;
    }
    EXPECT_EQ(positions(), before);
}

TEST_F(Motion, SpeedsBeyondTwiceTheLimitWrapEverySlotEveryEvent) {
    state.speed = 561;
    state.scared = 1;
    for (int event = 0; event < 3; ++event) {
        step();
        for (const auto x : positions()) EXPECT_EQ(x, 280);
        EXPECT_EQ(state.step_count, 0);
        EXPECT_EQ(state.bug_y, -70);
    }

    init_walk_state(state);
    state.speed = 560;
    state.bug_x[0] = 280;
    step();
    EXPECT_EQ(state.bug_x[0], -280);
    step();
    EXPECT_EQ(state.bug_x[0], 280);
}

TEST_F(Motion, HugeSpeedsAndNegativeExtremesDoNotOverflow) {
    state.speed = std::numeric_limits<std::int32_t>::max();
    state.bug_x[3] = std::numeric_limits<std::int32_t>::min();
    step();
    for (const auto x : positions()) EXPECT_EQ(x, 280);
}

TEST_F(Motion, TheStepCounterWrapsToNegativeCountsAndKeepsAlternating) {
    state.speed = 0;
    state.step_count = std::numeric_limits<std::int32_t>::max() - 5;
    step();
    EXPECT_EQ(state.step_count, std::numeric_limits<std::int32_t>::min() + 5);
    EXPECT_NE(state.step_count % 2, 0) << "the pose still alternates: odd after an even count";
}

TEST_F(Motion, WalkingModeLeavesAHopUntilAWrap) {
    state.bug_y = -70;
    step(3);
    EXPECT_EQ(state.bug_y, -70);
}

TEST(EventHandling, OnlyMovingPeriodicEventsMoveAndOnlyQuitEnds) {
    WalkState state;
    init_walk_state(state);
    state.moving = 0;
    apply_event(state, KD508_PERIODIC);
    EXPECT_EQ(state.bug_x[0], 280);
    EXPECT_EQ(state.step_count, 0);
    apply_event(state, KD508_KBD);
    apply_event(state, 99);
    EXPECT_EQ(state.done, 0);
    state.moving = 1;
    apply_event(state, KD508_PERIODIC);
    EXPECT_EQ(state.bug_x[0], 275);
    apply_event(state, KD508_QUIT);
    EXPECT_EQ(state.done, 1);
}

// The whole program on the headless presenter: it starts, animates, and ends on the close box
// with status 0 and a last frame drawn after the quit.
TEST(MainProgram, RunsUntilTheCloseBoxAndReturnsZero) {
    kd508::headless::Driver driver;
    kd508::reset_runtime_state();
    driver.at_ms(1050, [&] {
        EXPECT_EQ(kd508::runtime_state().logging_enabled, 0);
        EXPECT_EQ(kd508::runtime_state().animation_running, 1);
        driver.close(kd508::runtime_state().graphics_window);
    });
    EXPECT_EQ(run_bug_walk(nullptr, nullptr, const_cast<char*>("ignored arguments"), SW_SHOWNORMAL), 0);
    EXPECT_EQ(driver.now_ms(), 1050);
    EXPECT_EQ(kd508::runtime_state().canvas_dirty, 1) << "the frame after the quit was drawn and never copied";
}

}  // namespace
