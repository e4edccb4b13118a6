// A script file that is no regular file, and a recording whose writes fail: the program must
// neither freeze nor lose a recording without a word.
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>

#include "script_fixture.h"

namespace kd508::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using OddScriptFile = OpenScriptRuntime;
using FailingRecording = OpenScriptRuntime;

const std::string read_failure = "Cannot open script file KD508.SCR for reading\n";
const std::string write_failure = "Cannot open script file KD508.SCR for writing\n";

std::string lost_message(int events) {
    return "Cannot write script file KD508.SCR, events lost: " + std::to_string(events) + "\n";
}

// Playback of a script that cannot be opened says so at once and goes back to live events.
void expect_playback_refused(OpenScriptRuntime& test, const std::vector<std::string>& messages) {
    EXPECT_THAT(messages, ElementsAre(read_failure));
    EXPECT_EQ(runtime_state().playing_back, 0);
    EXPECT_EQ(runtime_state().script_file, nullptr);
    (void)test;
}

TEST_F(OddScriptFile, AFifoIsRefusedForPlaybackAndRecordingInsteadOfFreezingTheWait) {
    ASSERT_EQ(mkfifo(script_file_name, 0600), 0);
    driver.press_ctrl_letter(graphics(), 'p');
    click_logical(3, 4);
    EXPECT_EQ(await(), mouse(3, 4));
    expect_playback_refused(*this, messages());
    EXPECT_FALSE(shown_checked(command_playback_script));

    forget_messages();
    driver.press_ctrl_letter(graphics(), 'r');
    click_logical(1, 1);
    click_logical(2, 2);
    EXPECT_EQ(await_events(2), (std::vector<Event>{mouse(1, 1), mouse(2, 2)}));
    EXPECT_THAT(messages(), ElementsAre(write_failure));
    EXPECT_EQ(state().recording, 0);
    EXPECT_FALSE(shown_checked(command_record_script));
}

TEST_F(OddScriptFile, ADirectoryIsRefusedWithTheOpenMessages) {
    ASSERT_TRUE(std::filesystem::create_directory(script_file_name));
    ASSERT_TRUE(driver.choose_menu(graphics(), command_play_one));
    click_logical(0, 0);
    EXPECT_EQ(await(), mouse(0, 0));
    expect_playback_refused(*this, messages());

    forget_messages();
    run_command(command_record_script);
    for (int i = 0; i < 3; ++i) click_logical(i, i);
    await_events(3);
    EXPECT_THAT(messages(), ElementsAre(write_failure)) << "one message, not one per event";
    EXPECT_FALSE(checked(command_record_script));
}

TEST_F(OddScriptFile, ADeviceIsNoScriptEvenWhenItAcceptsEverything) {
    std::filesystem::create_symlink("/dev/null", script_file_name);
    run_command(command_playback_script);
    click_logical(0, 0);
    await();
    expect_playback_refused(*this, messages());

    forget_messages();
    std::filesystem::remove(script_file_name);
    std::filesystem::create_symlink("/dev/full", script_file_name);
    run_command(command_record_script);
    click_logical(5, 6);
    EXPECT_EQ(await(), mouse(5, 6));
    EXPECT_THAT(messages(), ElementsAre(write_failure));
    EXPECT_EQ(state().recording, 0);
    EXPECT_FALSE(shown_checked(command_record_script));
}

// Files may grow only to a few bytes while the test runs; writing beyond fails with EFBIG
// instead of raising SIGXFSZ.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &previous_);
        previous_handler_ = signal(SIGXFSZ, SIG_IGN);
        rlimit limited = previous_;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &previous_);
        signal(SIGXFSZ, previous_handler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit previous_{};
    void (*previous_handler_)(int) = nullptr;
};

const std::string first_line = "KD508_MOUSE(1, 2);\n";

TEST_F(FailingRecording, TheFirstFailedLineEndsTheRecordingWithOneCountOfLostEvents) {
    FileSizeLimit limit(first_line.size());
    KD508_animate(ANIMATE_RUN);
    driver.press_ctrl_letter(graphics(), 'r');
    click_logical(1, 2);
    EXPECT_EQ(await(), mouse(1, 2));
    await_events(5);
    driver.type(graphics(), "x");
    EXPECT_EQ(await(), keyboard('x'));
    // The run of five and the key that ended it could not be written.
    EXPECT_THAT(messages(), ElementsAre(lost_message(6)));
    EXPECT_EQ(state().recording, 0);
    EXPECT_EQ(state().script_file, nullptr);
    EXPECT_FALSE(shown_checked(command_record_script));

    // Nothing more is written or said for this recording.
    await_events(3);
    click_logical(7, 7);
    EXPECT_EQ(await(), mouse(7, 7));
    KD508_close();
    EXPECT_THAT(messages(), ElementsAre(lost_message(6)));
    EXPECT_EQ(read_script(), first_line);
}

TEST_F(FailingRecording, AHeldBackRunThatCannotBeWrittenAtStopIsReported) {
    FileSizeLimit limit(first_line.size());
    KD508_animate(ANIMATE_RUN);
    run_command(command_record_script);
    click_logical(1, 2);
    await();
    await_events(4);
    run_command(command_record_script);
    EXPECT_THAT(messages(), ElementsAre(lost_message(4)));
    EXPECT_FALSE(checked(command_record_script));

    // A new recording is a new chance, and its failure is told again.
    run_command(command_record_script);
    EXPECT_TRUE(checked(command_record_script));
    driver.type(graphics(), "ab");
    await_events(2);
    EXPECT_THAT(messages(), ElementsAre(lost_message(4), lost_message(1)));
    // The line that failed may have left its first bytes, but no newline: a reader ends there.
    const std::string script = read_script();
    EXPECT_EQ(script.substr(0, script.find('\n') + 1), "KD508_KBD(97);\n");
    EXPECT_EQ(std::count(script.begin(), script.end(), '\n'), 1);
}

TEST_F(FailingRecording, LinesReachTheFileAsTheyAreRecorded) {
    run_command(command_record_script);
    click_logical(1, 2);
    await();
    EXPECT_EQ(read_script(), first_line) << "a line that waits in a buffer could fail unnoticed";
    EXPECT_THAT(messages(), IsEmpty());
}

}  // namespace
}  // namespace kd508::testing
