// What the command line's runtime options change inside the runtime: the transcript, which
// gets every echo whatever logging says, and the script given on the command line, played from
// the first wait in place of "KD508.SCR" and, in a headless run, ending the run.
#include <cstdio>
#include <memory>

#include "core/platform_state.h"
#include "script_fixture.h"

namespace kd508::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// The transcript goes into an anonymous temporary file, read back whole.
class Transcript : public OpenScriptRuntime {
protected:
    Transcript() {
        platform::RunSection& run = platform::platform_state().run;
        run.transcript.reset(std::tmpfile());
        if (!run.transcript) throw std::runtime_error("no temporary file");
    }

    static std::string transcript() {
        std::FILE* file = platform::platform_state().run.transcript.get();
        std::fflush(file);
        std::rewind(file);
        std::string text;
        for (int c = std::getc(file); c != EOF; c = std::getc(file)) text += static_cast<char>(c);
        std::fseek(file, 0, SEEK_END);
        return text;
    }

    static void draw_one_of_each() {
        KD508_clear();
        KD508_circle(KD508_RED, 10, 20, -5);
        KD508_triangle(KD508_BLUE, 0, 0, 10, 0, 5, 5, 0);
        KD508_rectangle(99, 0, 0, 10, 10, 2);
        KD508_line(KD508_GREEN, 0, 0, 10, 10, 0);
        KD508_text(KD508_BLACK, 1, 2, 12, "n=%d", 7);
    }
};

constexpr char echo_of_each[] =
    "Clearing the graphics window\n"
    "Radius of -5 not possible, using radius 5\n"
    "red circle at (10,20), radius 5\n"
    "blue triangle at (0,0), (10,0), (5,5)\n"
    "Illegal color 99; using RED.\n"
    "red rectangle with bounding box (0,10) to (10,0) with line width 2\n"
    "green line from (0,0) to (10,10), width 0\n"
    "black text at (1,2), \"n=7\"\n";

TEST_F(Transcript, HoldsEveryEchoWithLoggingOffWhileTheTextWindowGetsOnlyTheCorrections) {
    KD508_logging(0);
    draw_one_of_each();
    EXPECT_EQ(transcript(), echo_of_each);
    EXPECT_THAT(messages(), ElementsAre("Radius of -5 not possible, using radius 5\n",
                                        "Illegal color 99; using RED.\n"));
}

TEST_F(Transcript, IsTheSameWithLoggingOnAndHoldsEachLineOnce) {
    KD508_logging(1);
    draw_one_of_each();
    EXPECT_EQ(transcript(), echo_of_each);
    EXPECT_EQ(messages().size(), 8u);
}

TEST_F(Transcript, EndsEveryMessageWithExactlyOneNewline) {
    KD508_printf("no newline");
    KD508_printf("two newlines\n\n");
    KD508_printf("%s", "");
    EXPECT_EQ(transcript(), "no newline\ntwo newlines\n\n\n");
}

// A runtime opened after the options named a script, as the layer's entry leaves them.
class GivenScript : public ::testing::Test {
public:
    static std::vector<std::string> messages() {
        const RuntimeState& s = runtime_state();
        std::vector<std::string> lines;
        int slot = s.log_first;
        for (int count = 0; slot >= 0 && !(slot == s.log_next && count != 0); ++count) {
            lines.push_back(static_cast<const char*>(GlobalLock(s.log_ring[slot])));
            GlobalUnlock(s.log_ring[slot]);
            slot = (slot + 1) % log_ring_size;
        }
        return lines;
    }

protected:
    void open(bool headless) {
        reset_runtime_state();
        platform::RunSection& run = platform::platform_state().run;
        run.initial_script = "given.scr";
        run.headless = headless;
        KD508_open(nullptr, nullptr, const_cast<char*>(""), SW_SHOWNORMAL);
        KD508_logging(0);
        KD508_animate(ANIMATE_RUN);
    }
    ~GivenScript() override { KD508_close(); }

    static void write(const char* name, const std::string& bytes) {
        std::ofstream out(name, std::ios::binary | std::ios::trunc);
        out << bytes;
    }
    static Event await() {
        int x = 0;
        int y = 0;
        char key = 0;
        const int kind = KD508_await_event(&x, &y, &key);
        return {kind, x, y, static_cast<unsigned char>(key)};
    }

    TemporaryCurrentDirectory directory;
    headless::Driver driver;
};

TEST_F(GivenScript, PlaysFromTheFirstWaitAndAHeadlessRunThenQuits) {
    write("given.scr", "KD508_MOUSE(-5, -7);\nKD508_PERIODIC(2);\nKD508_KBD(97);\n");
    write(script_file_name, "KD508_KBD(98);\n");
    open(true);
    EXPECT_EQ(await(), mouse(-5, -7));
    EXPECT_EQ(await(), periodic());
    EXPECT_EQ(await(), periodic());
    EXPECT_EQ(await(), keyboard(97));
    EXPECT_EQ(await(), quit());
    EXPECT_THAT(messages(), ElementsAre("EOF encountered in script file given.scr\n"));
    EXPECT_EQ(platform::platform_state().run.failure_status, 0);
}

TEST_F(GivenScript, OnScreenTheProgramGoesOnAndCtrlPThenPlaysKD508SCR) {
    write("given.scr", "KD508_KBD(97);\n");
    write(script_file_name, "KD508_KBD(98);\n");
    open(false);
    EXPECT_EQ(await(), keyboard(97));
    // Playback halted the animation, as Ctrl+P does; the script's end brings no quit.
    driver.at_ms(driver.now_ms() + 50, [this] { driver.press_ctrl_letter(runtime_state().graphics_window, 'p'); });
    EXPECT_EQ(await(), keyboard(98));
    EXPECT_THAT(messages(), ElementsAre("EOF encountered in script file given.scr\n"));
}

TEST_F(GivenScript, ALineThatNamesNoEventEndsAHeadlessRunAsAFailure) {
    write("given.scr", "KD508_KBD(97);\nKD508_WALTZ(1);\nKD508_KBD(98);\n");
    open(true);
    EXPECT_EQ(await(), keyboard(97));
    EXPECT_EQ(await(), quit());
    EXPECT_EQ(platform::platform_state().run.failure_status, 1);
}

TEST_F(GivenScript, RecordingAfterItWritesKD508SCR) {
    write("given.scr", "KD508_KBD(97);\n");
    open(false);
    EXPECT_EQ(await(), keyboard(97));
    driver.press_ctrl_letter(runtime_state().graphics_window, 'r');
    driver.type(runtime_state().graphics_window, "z");
    EXPECT_EQ(await(), keyboard('z'));
    KD508_close();
    std::ifstream recorded(script_file_name, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(recorded), std::istreambuf_iterator<char>()),
              "KD508_KBD(122);\n");
}

TEST(RunFor, PostsOneQuitWhenTheVirtualClockReachesItsTime) {
    headless::Driver driver;
    platform::platform_state().queue.quit_at_ms = 250;
    MSG message{};
    EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    // Nothing else could ever arrive: the wait still ends, at the quit's time.
    WaitMessage();
    EXPECT_EQ(driver.now_ms(), 250);
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
    driver.advance_ms(1000);
    EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
}

}  // namespace
}  // namespace kd508::testing
