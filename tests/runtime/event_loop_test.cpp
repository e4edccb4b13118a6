// The event wait and animation control, driven on the virtual clock.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include <unistd.h>

#include "run_menu.h"
#include "runtime_state.h"
#include "headless/headless_driver.h"
#include "kd508.h"

namespace {

using kd508::headless::Driver;
using kd508::runtime_state;

struct Event {
    int kind = 0;
    int x = -1;
    int y = -1;
    char key = -1;
};

class EventWait : public ::testing::Test {
protected:
    EventWait() {
        kd508::reset_runtime_state();
        KD508_open(nullptr, nullptr, const_cast<char*>(""), SW_SHOWNORMAL);
        // Start from a copied canvas and an empty queue, as a program does after its first wait.
        settle();
    }
    ~EventWait() override { KD508_close(); }

    Event wait() {
        Event event;
        event.kind = KD508_await_event(&event.x, &event.y, &event.key);
        return event;
    }

    // Dispatches what is pending now, without waiting.
    void settle() {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        kd508::runtime_state().canvas_dirty = 0;
    }

    HWND graphics() const { return runtime_state().graphics_window; }
    int origin_x() const { return runtime_state().origin_x; }
    int origin_y() const { return runtime_state().origin_y; }

    Driver driver;
};

TEST_F(EventWait, RunningGivesAPeriodicEventAtTheFirstTickAfterTheLatch) {
    KD508_animate(ANIMATE_RUN);
    // A tick that is already due when the wait starts is taken by its first pass, before the
    // latch, and does not count.
    driver.advance_ms(100);
    const Event event = wait();
    EXPECT_EQ(event.kind, KD508_PERIODIC);
    EXPECT_EQ(driver.now_ms(), 200);
    EXPECT_EQ(event.x, 0);
    EXPECT_EQ(event.y, 0);
    EXPECT_EQ(event.key, 0);
}

TEST_F(EventWait, TicksThatArriveWhileTheApplicationIsBusyCountAsOne) {
    KD508_animate(ANIMATE_RUN);
    EXPECT_EQ(wait().kind, KD508_PERIODIC);
    EXPECT_EQ(driver.now_ms(), 100);
    driver.advance_ms(350);  // busy through three periods
    EXPECT_EQ(wait().kind, KD508_PERIODIC);
    EXPECT_EQ(driver.now_ms(), 550) << "one coalesced tick was taken before the latch; the next one delivers";
}

TEST_F(EventWait, HaltedTimerTicksAloneProduceNothing) {
    driver.at_ms(1000, [&] { driver.click(graphics(), origin_x(), origin_y()); });
    const Event event = wait();
    EXPECT_EQ(event.kind, KD508_MOUSE);
    EXPECT_EQ(driver.now_ms(), 1000);
}

TEST_F(EventWait, SingleStepGivesExactlyOnePeriodicEvent) {
    KD508_animate(ANIMATE_SINGLE_STEP);
    EXPECT_EQ(wait().kind, KD508_PERIODIC);
    EXPECT_EQ(runtime_state().single_step_requested, 0);
    driver.at_ms(2000, [&] { driver.type(graphics(), "x"); });
    const Event event = wait();
    EXPECT_EQ(event.kind, KD508_KBD);
    EXPECT_EQ(event.key, 'x');
    EXPECT_EQ(driver.now_ms(), 2000);
}

TEST_F(EventWait, ClicksAndCharactersReplaceALatchedPeriodicEvent) {
    KD508_animate(ANIMATE_RUN);
    driver.at_ms(50, [&] { driver.click(graphics(), origin_x() + 1, origin_y() - 1); });
    Event event = wait();
    EXPECT_EQ(event.kind, KD508_MOUSE);
    EXPECT_EQ(event.x, 1);
    EXPECT_EQ(event.y, 1);
    EXPECT_EQ(event.key, 0);

    driver.at_ms(60, [&] { driver.type(graphics(), "q"); });
    event = wait();
    EXPECT_EQ(event.kind, KD508_KBD);
    EXPECT_EQ(event.key, 'q');
    EXPECT_EQ(event.x, 0);
    EXPECT_EQ(event.y, 0);

    // The dropped periodic event is latched anew by the next wait.
    EXPECT_EQ(wait().kind, KD508_PERIODIC);
    EXPECT_EQ(driver.now_ms(), 100);
}

TEST_F(EventWait, ClickPositionsBecomeLogicalCoordinates) {
    driver.click(graphics(), origin_x(), origin_y());
    Event event = wait();
    EXPECT_EQ(event.x, 0);
    EXPECT_EQ(event.y, 0);
    driver.click(graphics(), 0, 0);
    event = wait();
    EXPECT_EQ(event.x, -297);
    EXPECT_EQ(event.y, 247);
}

TEST_F(EventWait, HaltingDoesNotWithdrawALatchedPeriodicEvent) {
    KD508_animate(ANIMATE_RUN);
    driver.at_ms(30, [&] { KD508_animate(ANIMATE_HALT); });
    EXPECT_EQ(wait().kind, KD508_PERIODIC);
    EXPECT_EQ(driver.now_ms(), 100);
}

TEST_F(EventWait, TheCloseBoxEndsAWaitForATickThatWillNeverCome) {
    KD508_animate(ANIMATE_RUN);
    driver.at_ms(40, [&] { driver.close(graphics()); });
    const Event event = wait();
    EXPECT_EQ(event.kind, KD508_QUIT);
    EXPECT_EQ(event.x, 0);
    EXPECT_EQ(event.y, 0);
    EXPECT_EQ(event.key, 0);
    EXPECT_FALSE(IsWindow(graphics()));
}

TEST_F(EventWait, TheQuitMessageEndsThePassWithoutCopyingTheCanvas) {
    const std::int64_t frames = driver.frames_shown(graphics());
    runtime_state().canvas_dirty = 1;
    PostQuitMessage(0);
    EXPECT_EQ(wait().kind, KD508_QUIT);
    EXPECT_EQ(runtime_state().canvas_dirty, 1);
    EXPECT_EQ(driver.frames_shown(graphics()), frames);
}

TEST_F(EventWait, TheFirstPassCopiesAChangedCanvas) {
    SetPixel(runtime_state().canvas_surface, 3, 4, RGB(200, 100, 50));
    runtime_state().canvas_dirty = 1;
    driver.click(graphics(), 10, 10);
    wait();
    EXPECT_EQ(runtime_state().canvas_dirty, 0);
    EXPECT_EQ(driver.client_pixel(graphics(), 3, 4), 0xC86432u);
}

TEST_F(EventWait, AQuitRequestRelabelsTheNextEventButKeepsItsData) {
    KD508_animate(ANIMATE_QUIT);
    driver.at_ms(500, [&] { driver.click(graphics(), origin_x() + 5, origin_y() - 6); });
    const Event event = wait();
    EXPECT_EQ(event.kind, KD508_QUIT);
    EXPECT_EQ(event.x, 5);
    EXPECT_EQ(event.y, 6);
    EXPECT_EQ(driver.now_ms(), 500) << "the wait still waited for an event";
}

TEST_F(EventWait, AnimateAcceptsEveryCommandAndIgnoresUnknownOnes) {
    for (const int command : {3, 4, 6, -1}) {
        EXPECT_EQ(KD508_animate(command), 1);
        EXPECT_EQ(runtime_state().animation_running, 0);
        EXPECT_EQ(runtime_state().single_step_requested, 0);
        EXPECT_EQ(runtime_state().quit_requested, 0);
    }
    KD508_animate(ANIMATE_RUN);
    KD508_animate(ANIMATE_SINGLE_STEP);
    EXPECT_EQ(runtime_state().animation_running, 1);
    KD508_animate(ANIMATE_HALT);
    EXPECT_EQ(runtime_state().animation_running, 0);
    EXPECT_EQ(runtime_state().single_step_requested, 0);
}

// The wait sleeps instead of spinning: the presenter counts its polls, one per pass.
TEST_F(EventWait, AnIdleWaitMakesAFewPassesPerTimerPeriod) {
    const std::int64_t polls_before = driver.polls();
    driver.at_ms(1000, [&] { driver.click(graphics(), 1, 1); });
    wait();
    const std::int64_t passes = driver.polls() - polls_before;
    // Ten timer periods: each costs a pass that takes the tick and one that finds nothing.
    EXPECT_LE(passes, 10 * 3 + 3);
}

// Halted, a tick can change nothing, so the wait does not wake for it: it sleeps once, until the
// click, and with nothing at all to come it has nothing to wake it.
TEST_F(EventWait, AHaltedWaitSleepsThroughTheTicks) {
    const std::int64_t waits_before = driver.waits();
    const std::int64_t polls_before = driver.polls();
    driver.at_ms(1000, [&] { driver.click(graphics(), 1, 1); });
    EXPECT_EQ(wait().kind, KD508_MOUSE);
    EXPECT_EQ(driver.now_ms(), 1000);
    EXPECT_EQ(driver.waits() - waits_before, 1);
    EXPECT_LE(driver.polls() - polls_before, 3);

    EXPECT_THROW(wait(), kd508::headless::HeadlessStall) << "a tick woke the halted wait";
}

// Sleeping through the ticks must not move them: the first periodic event after a step or a run
// chosen while halted comes at the tick it would have come at if every tick had been taken.
TEST_F(EventWait, StepAndRunChosenWhileHaltedKeepTheTimersStep) {
    driver.at_ms(1050, [&] { driver.choose_menu(graphics(), kd508::command_advance_frame); });
    EXPECT_EQ(wait().kind, KD508_PERIODIC);
    EXPECT_EQ(driver.now_ms(), 1100);

    driver.at_ms(2030, [&] { driver.choose_menu(graphics(), kd508::command_animate); });
    EXPECT_EQ(wait().kind, KD508_PERIODIC);
    EXPECT_EQ(driver.now_ms(), 2100);
    EXPECT_EQ(wait().kind, KD508_PERIODIC);
    EXPECT_EQ(driver.now_ms(), 2200);

    // Chosen at the moment of a tick, the command is queued before that tick, which then
    // delivers the step at once.
    KD508_animate(ANIMATE_HALT);
    driver.at_ms(3000, [&] { driver.choose_menu(graphics(), kd508::command_advance_frame); });
    EXPECT_EQ(wait().kind, KD508_PERIODIC);
    EXPECT_EQ(driver.now_ms(), 3000);
}

TEST_F(EventWait, ARunningWaitMakesAFewPassesPerTick) {
    KD508_animate(ANIMATE_RUN);
    for (int i = 0; i < 20; ++i) {
        const std::int64_t polls_before = driver.polls();
        EXPECT_EQ(wait().kind, KD508_PERIODIC);
        EXPECT_LE(driver.polls() - polls_before, 4);
    }
    EXPECT_EQ(driver.now_ms(), 2000);
}

// A quit that meets a scripted event in one pass must not be lost.
class QuitDuringPlayback : public EventWait {
protected:
    QuitDuringPlayback() {
        directory = std::filesystem::temp_directory_path() / ("kd508-quit-playback-" + std::to_string(::getpid()));
        std::filesystem::create_directories(directory);
        previous = std::filesystem::current_path();
        std::filesystem::current_path(directory);
        std::FILE* script = std::fopen("KD508.SCR", "w");
        std::fputs("KD508_KBD(97);\nKD508_KBD(98);\n", script);
        std::fclose(script);
    }
    ~QuitDuringPlayback() override {
        KD508_close();
        std::filesystem::current_path(previous);
        std::filesystem::remove_all(directory);
    }
    std::filesystem::path directory;
    std::filesystem::path previous;
};

TEST_F(QuitDuringPlayback, TheQuitComesFirstAndTheScriptedEventWaits) {
    runtime_state().playing_back = 1;
    EXPECT_EQ(wait().key, 'a');
    PostQuitMessage(0);
    EXPECT_EQ(wait().kind, KD508_QUIT);
    const Event event = wait();
    EXPECT_EQ(event.kind, KD508_KBD);
    EXPECT_EQ(event.key, 'b');
}

// The same script, played to its end: the message about the end is written during the pass
// that finds it, and must be on screen before the halted wait goes to sleep, since nothing but
// input would wake it.
class PlaybackToTheEnd : public QuitDuringPlayback {};

TEST_F(PlaybackToTheEnd, TheEndOfScriptLineIsDrawnBeforeTheWaitSleeps) {
    runtime_state().playing_back = 1;
    EXPECT_EQ(wait().key, 'a');
    EXPECT_EQ(wait().key, 'b');
    int lines_waiting_while_asleep = -1;
    driver.at_ms(500, [&] {
        lines_waiting_while_asleep = runtime_state().log_lines_unpainted;
        driver.click(graphics(), 1, 1);
    });
    EXPECT_EQ(wait().kind, KD508_MOUSE);
    EXPECT_EQ(runtime_state().playing_back, 0);
    EXPECT_EQ(lines_waiting_while_asleep, 0);
}

}  // namespace
