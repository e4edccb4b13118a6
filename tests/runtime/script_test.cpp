// Recording the event stream to "KD508.SCR" and playing it back, through the real event wait and
// the headless presenter.
#include "script_fixture.h"

namespace kd508::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Recording = OpenScriptRuntime;
using Playback = OpenScriptRuntime;

const std::string example_script =
    "KD508_MOUSE(-270, 185);\n"
    "KD508_PERIODIC(14);\n"
    "KD508_KBD(97);\n"
    "KD508_KBD(-23);\n"
    "KD508_PERIODIC(3);\n"
    "KD508_MOUSE(12, -40);\n"
    "KD508_PERIODIC(5);\n";

std::vector<Event> example_events() {
    std::vector<Event> events{mouse(-270, 185)};
    events.insert(events.end(), 14, periodic());
    events.push_back(keyboard(97));
    events.push_back(keyboard(233));
    events.insert(events.end(), 3, periodic());
    events.push_back(mouse(12, -40));
    events.insert(events.end(), 5, periodic());
    return events;
}

const std::string eof_message = "EOF encountered in script file KD508.SCR\n";
const std::string read_failure = "Cannot open script file KD508.SCR for reading\n";
const std::string write_failure = "Cannot open script file KD508.SCR for writing\n";

TEST_F(Recording, LiveEventsGiveTheExampleLineForLineAndPlayBackAsTheSameEvents) {
    KD508_animate(ANIMATE_RUN);
    ASSERT_TRUE(driver.choose_menu(graphics(), command_record_script));
    click_logical(-270, 185);
    std::vector<Event> live{await()};
    for (const Event& event : await_events(14)) live.push_back(event);
    driver.type(graphics(), "a\xE9");
    live.push_back(await());
    live.push_back(await());
    for (const Event& event : await_events(3)) live.push_back(event);
    click_logical(12, -40);
    live.push_back(await());
    for (const Event& event : await_events(5)) live.push_back(event);
    ASSERT_EQ(live, example_events());
    EXPECT_EQ(read_script(), example_script.substr(0, example_script.rfind("KD508_PERIODIC")))
        << "every line but the held-back run is in the file";

    // Stopping writes the held-back run and closes the file.
    driver.press_ctrl_letter(graphics(), 'r');
    EXPECT_EQ(await(), periodic());
    EXPECT_EQ(state().recording, 0);
    EXPECT_EQ(read_script(), example_script);

    // Playing it back halts the animation and gives the same events, one per wait.
    ASSERT_TRUE(driver.choose_menu(graphics(), command_playback_script));
    EXPECT_EQ(await_events(26), example_events());
    EXPECT_EQ(state().animation_running, 0);
    EXPECT_THAT(messages(), IsEmpty());

    // Then the end of the file: a message, playback off, and live events again.
    click_logical(5, 5);
    EXPECT_EQ(await(), mouse(5, 5));
    EXPECT_THAT(messages(), ElementsAre(eof_message));
    EXPECT_EQ(state().playing_back, 0);
    EXPECT_EQ(state().script_file, nullptr);
}

TEST_F(Recording, StartAndStopWithNoEventLeaveAnExistingScriptUntouched) {
    write_script("KD508_KBD(1);\n");
    run_command(command_record_script);
    EXPECT_TRUE(checked(command_record_script));
    run_command(command_record_script);
    EXPECT_FALSE(checked(command_record_script));
    EXPECT_EQ(read_script(), "KD508_KBD(1);\n");
}

TEST_F(Recording, TheHeldBackRunIsWrittenAtQuitWithNoLineForTheQuit) {
    KD508_animate(ANIMATE_RUN);
    run_command(command_record_script);
    await_events(4);
    driver.press_ctrl_letter(graphics(), 'q');
    EXPECT_EQ(await(), quit());
    KD508_close();
    EXPECT_EQ(read_script(), "KD508_PERIODIC(4);\n");
}

TEST_F(Recording, AQuitWithNothingBeforeLeavesAnEmptyScript) {
    write_script("old\n");
    run_command(command_record_script);
    PostQuitMessage(0);
    EXPECT_EQ(await(), quit());
    run_command(command_record_script);
    EXPECT_EQ(read_script(), "");
}

TEST_F(Recording, ClosingTheRuntimeWhileRecordingKeepsTheHeldBackRun) {
    // The application asked for the quit itself: the last event was periodic, so the run is
    // still held back when the runtime closes.
    KD508_animate(ANIMATE_RUN);
    run_command(command_record_script);
    driver.type(graphics(), "z");
    EXPECT_EQ(await(), keyboard('z'));
    KD508_animate(ANIMATE_QUIT);
    EXPECT_EQ(await().kind, KD508_QUIT);
    EXPECT_EQ(await().kind, KD508_QUIT);
    KD508_close();
    EXPECT_EQ(read_script(), "KD508_KBD(122);\nKD508_PERIODIC(2);\n");
}

TEST_F(Recording, CharactersBeyondAsciiAreWrittenAsSignedBytes) {
    run_command(command_record_script);
    for (int code : {0, 127, 128, 233, 255}) {
        state().event_key = static_cast<signed char>(code);
        record_event(KD508_KBD);
    }
    run_command(command_record_script);
    EXPECT_EQ(read_script(), "KD508_KBD(0);\nKD508_KBD(127);\nKD508_KBD(-128);\nKD508_KBD(-23);\nKD508_KBD(-1);\n");
}

TEST_F(Recording, AScriptThatCannotBeOpenedEndsTheRecordingWithOneMessageAndALaterOneWorks) {
    std::filesystem::create_directory(script_file_name);
    KD508_animate(ANIMATE_RUN);
    run_command(command_record_script);
    await_events(2);
    click_logical(1, 2);
    EXPECT_EQ(await(), mouse(1, 2));
    click_logical(1, 3);
    EXPECT_EQ(await(), mouse(1, 3));
    // The held-back run was the first try; the recording ended there.
    EXPECT_THAT(messages(), ElementsAre(write_failure));
    EXPECT_EQ(state().recording, 0);
    EXPECT_FALSE(checked(command_record_script));

    std::filesystem::remove(script_file_name);
    forget_messages();
    run_command(command_record_script);
    await_events(3);
    click_logical(3, 4);
    EXPECT_EQ(await(), mouse(3, 4));
    run_command(command_record_script);
    EXPECT_THAT(messages(), IsEmpty());
    EXPECT_EQ(read_script(), "KD508_PERIODIC(3);\nKD508_MOUSE(3, 4);\n");
}

TEST_F(Playback, NumbersAreReadWithinTheirLineAndBounded) {
    struct Case {
        std::string line;
        Event expected;
    };
    const std::vector<Case> cases = {
        {"KD508_KBD(-23);", keyboard(233)},
        {"KD508_KBD(321);", keyboard(65)},
        {"KD508_MOUSE(-5, -7);", mouse(-5, -7)},
        {"xyzzy!M 4 5", mouse(4, 5)},  // only the seventh character names the event
        {"KD508_KBD(--5);", keyboard(0)},
        {"KD508_KBD(5-3);", keyboard(5)},
        {"KD508_MOUSE(-2147483648, 2147483647);", mouse(INT_MIN, INT_MAX)},
        {"KD508_MOUSE(-99999999999999999999, 99999999999999999999);", mouse(INT_MIN, INT_MAX)},
        {"KD508_KBD(4294967361);", keyboard(255)},  // held at 2147483647, whose low byte is 255
        {"KD508_MOUSE(\xB3\xE9\x80 7,\xFF-8)", mouse(7, -8)},
    };
    std::string script;
    for (const Case& c : cases) script += c.line + "\n";
    write_script(script);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        run_command(command_play_one);
        EXPECT_EQ(await(), c.expected);
    }
}

TEST_F(Playback, PeriodicCountsComeOnePerWaitAndACountBelowOneGivesOne) {
    write_script("KD508_PERIODIC(3);\nKD508_PERIODIC(0);\nKD508_PERIODIC(-4);\nKD508_KBD(1);\n");
    run_command(command_playback_script);
    EXPECT_EQ(await_events(3 + 1 + 4 + 1),
              (std::vector<Event>{periodic(), periodic(), periodic(), periodic(), periodic(), periodic(),
                                  periodic(), periodic(), keyboard(1)}));
}

TEST_F(Playback, APeriodicRunIsReadFromTheFileOnce) {
    write_script("KD508_PERIODIC(3);\nKD508_KBD(1);\n");
    run_command(command_playback_script);
    EXPECT_EQ(await(), periodic());
    // The rest of the run comes from the count, not from the file.
    std::FILE* file = state().script_file;
    const long position = std::ftell(file);
    EXPECT_EQ(await_events(2), (std::vector<Event>{periodic(), periodic()}));
    EXPECT_EQ(std::ftell(file), position);
    EXPECT_EQ(await(), keyboard(1));
}

TEST_F(Playback, EmptyLinesAndCarriageReturnsBeforeNewlinesAreSkippedAsOnWindows) {
    write_script("\n\r\n\nKD508_KBD(1);\r\n\r\n\nKD508_MOUSE(2, 3);\r\n          \nKD508_KBD(4);\n");
    run_command(command_playback_script);
    EXPECT_EQ(await_events(2), (std::vector<Event>{keyboard(1), mouse(2, 3)}));
    // A line of spaces is not empty: its seventh character names no event, and playback holds.
    click_logical(0, 0);
    EXPECT_EQ(await(), mouse(0, 0));
    EXPECT_EQ(state().playing_back, 0);
    EXPECT_NE(state().script_file, nullptr);
    EXPECT_THAT(messages(), IsEmpty());
    run_command(command_play_one);
    EXPECT_EQ(await(), keyboard(4));
}

TEST_F(Playback, ALoneCarriageReturnStaysPartOfItsLine) {
    // "KD508\r\n" reads as six characters with its newline, too short to name an event;
    // "KD508_\r\r\n" keeps one '\r' as its seventh character; the lines after them play.
    write_script("KD508\r\nKD508_K(1)\r\r\nKD508_\r\r\nKD508_KBD(9);\r\n");
    run_command(command_play_one);
    click_logical(0, 0);
    EXPECT_EQ(await(), mouse(0, 0)) << "a six-character line holds playback";
    run_command(command_play_one);
    EXPECT_EQ(await(), keyboard(1));
    run_command(command_play_one);
    click_logical(0, 0);
    EXPECT_EQ(await(), mouse(0, 0));
    run_command(command_play_one);
    EXPECT_EQ(await(), keyboard(9));
}

TEST_F(Playback, ALastLineWithoutNewlineIsNotPlayed) {
    write_script("KD508_KBD(1);\nKD508_KBD(2);");
    run_command(command_playback_script);
    EXPECT_EQ(await(), keyboard(1));
    click_logical(0, 0);
    EXPECT_EQ(await(), mouse(0, 0));
    EXPECT_THAT(messages(), ElementsAre(eof_message));
    EXPECT_EQ(state().playing_back, 0);
    EXPECT_FALSE(checked(command_playback_script));
    EXPECT_EQ(state().script_file, nullptr);
}

TEST_F(Playback, ACtrlZByteEndsTheScriptAsWindowsTextModeDoes) {
    write_script("KD508_KBD(1);\n\x1AKD508_KBD(2);\n");
    run_command(command_playback_script);
    EXPECT_EQ(await(), keyboard(1));
    click_logical(0, 0);
    EXPECT_EQ(await(), mouse(0, 0));
    EXPECT_THAT(messages(), ElementsAre(eof_message));
}

TEST_F(Playback, AfterTheEndOfTheFilePlaybackStartsAgainAtTheFirstLine) {
    write_script("KD508_KBD(1);\nKD508_KBD(2);\n");
    run_command(command_playback_script);
    EXPECT_EQ(await_events(2), (std::vector<Event>{keyboard(1), keyboard(2)}));
    click_logical(0, 0);
    EXPECT_EQ(await(), mouse(0, 0));
    run_command(command_playback_script);
    EXPECT_EQ(await(), keyboard(1));
}

TEST_F(Playback, AnUnknownLineHoldsPlaybackAndTheNextPlaybackGoesOnAfterIt) {
    write_script("KD508_KBD(1);\nKD508_QUIT();\nKD508_KBD(2);\n");
    run_command(command_playback_script);
    EXPECT_EQ(await(), keyboard(1));
    click_logical(0, 0);
    EXPECT_EQ(await(), mouse(0, 0));
    EXPECT_THAT(messages(), IsEmpty());
    EXPECT_EQ(state().playing_back, 0);
    EXPECT_FALSE(checked(command_playback_script));
    EXPECT_FALSE(shown_checked(command_playback_script));

    run_command(command_playback_script);
    EXPECT_TRUE(checked(command_playback_script));
    EXPECT_EQ(await(), keyboard(2));
}

TEST_F(Playback, LinesMissingTheirNumbersHoldPlaybackWithNothingLatched) {
    write_script("KD508_KBD();\nKD508_MOUSE(12);\nKD508_MOUSE(-, 3);\nKD508_PERIODIC(-);\nKD508_KBD(7);\n");
    for (int line = 0; line < 4; ++line) {
        SCOPED_TRACE(line);
        run_command(command_play_one);
        click_logical(line, 0);
        EXPECT_EQ(await(), mouse(line, 0));
    }
    run_command(command_play_one);
    EXPECT_EQ(await(), keyboard(7));
}

TEST_F(Playback, PlayingOneEventHaltsAndStepsThroughTheScript) {
    write_script("KD508_KBD(1);\nKD508_PERIODIC(2);\nKD508_KBD(3);\n");
    KD508_animate(ANIMATE_RUN);
    for (const Event& expected : {keyboard(1), periodic(), periodic(), keyboard(3)}) {
        ASSERT_TRUE(driver.choose_menu(graphics(), command_play_one));
        EXPECT_EQ(await(), expected);
        EXPECT_EQ(state().animation_running, 0);
        EXPECT_FALSE(checked(command_playback_script));
    }
}

TEST_F(Playback, StoppingAndStartingAgainPlaysFromTheFirstLineWithNoRunLeftOver) {
    write_script("KD508_PERIODIC(5);\nKD508_KBD(1);\n");
    run_command(command_playback_script);
    EXPECT_EQ(await(), periodic());
    run_command(command_playback_script);
    EXPECT_EQ(state().script_file, nullptr);
    EXPECT_EQ(state().periodic_run, 0);
    run_command(command_playback_script);
    EXPECT_EQ(await_events(6), (std::vector<Event>{periodic(), periodic(), periodic(), periodic(), periodic(),
                                                  keyboard(1)}));
}

TEST_F(Playback, AMissingScriptIsReportedAndEndsPlayback) {
    run_command(command_playback_script);
    click_logical(0, 0);
    EXPECT_EQ(await(), mouse(0, 0));
    EXPECT_THAT(messages(), ElementsAre(read_failure));
    EXPECT_EQ(state().playing_back, 0);
    EXPECT_FALSE(checked(command_playback_script));
}

TEST_F(Playback, ADirectoryInPlaceOfTheScriptEndsPlaybackQuietly) {
    std::filesystem::create_directory(script_file_name);
    run_command(command_playback_script);
    click_logical(0, 0);
    EXPECT_EQ(await(), mouse(0, 0));
    EXPECT_EQ(state().playing_back, 0);
    EXPECT_FALSE(checked(command_playback_script));
    EXPECT_EQ(state().script_file, nullptr);
}

// Longer than any stream buffer, so that part of it is read after the change.
std::string many_keyboard_lines(int count, char digit) {
    std::string script;
    for (int i = 0; i < count; ++i) script += std::string("KD508_KBD(") + digit + ");\n";
    return script;
}

TEST_F(Playback, AScriptCutShortWhileItPlaysEndsAtTheNewEnd) {
    constexpr int lines = 3000;
    write_script(many_keyboard_lines(lines, '1'));
    run_command(command_play_one);
    EXPECT_EQ(await(), keyboard('1' - '0'));
    std::filesystem::resize_file(script_file_name, 3);
    int played = 1;
    while (state().script_file != nullptr && played <= lines) {
        run_command(command_play_one);
        click_logical(0, 0);
        const Event event = await();
        if (event.kind == KD508_MOUSE) break;
        ASSERT_EQ(event, keyboard(1));
        ++played;  // the scripted event took the place of the click taken in the same pass
    }
    EXPECT_LT(played, lines);
    EXPECT_THAT(messages(), ElementsAre(eof_message));
}

TEST_F(Playback, AScriptRewrittenWhileItPlaysGoesOnInTheNewText) {
    constexpr int lines = 3000;
    write_script(many_keyboard_lines(lines, '1'));
    run_command(command_playback_script);
    EXPECT_EQ(await(), keyboard(1));
    write_script(many_keyboard_lines(lines, '2'));
    int ones = 1;
    int twos = 0;
    for (const Event& event : await_events(lines - 1)) {
        ASSERT_EQ(event.kind, KD508_KBD);
        ASSERT_TRUE(event.key == 1 || event.key == 2);
        (event.key == 1 ? ones : twos) += 1;
    }
    EXPECT_GT(twos, 0);
    click_logical(0, 0);
    EXPECT_EQ(await(), mouse(0, 0));
    EXPECT_THAT(messages(), ElementsAre(eof_message));
}

// Recording and playback share the stream and the run count, so each direction stops the other.
TEST_F(Playback, RecordingStartedDuringPlaybackStopsThePlayback) {
    write_script("KD508_PERIODIC(5);\nKD508_KBD(1);\n");
    run_command(command_playback_script);
    EXPECT_EQ(await(), periodic());
    run_command(command_record_script);
    click_logical(1, 1);
    EXPECT_EQ(await(), mouse(1, 1));
    EXPECT_EQ(state().playing_back, 0);
    EXPECT_FALSE(checked(command_playback_script));
    EXPECT_TRUE(checked(command_record_script));
    run_command(command_record_script);
    EXPECT_EQ(read_script(), "KD508_MOUSE(1, 1);\n") << "no periodic event of the playback is counted";
}

TEST_F(Playback, PlaybackStartedDuringRecordingStopsTheRecordingAndPlaysWhatItWrote) {
    KD508_animate(ANIMATE_RUN);
    run_command(command_record_script);
    click_logical(4, 4);
    EXPECT_EQ(await(), mouse(4, 4));
    await_events(2);
    driver.press_ctrl_letter(graphics(), 'p');
    // The first scripted event comes in the pass that handled the command.
    EXPECT_EQ(await(), mouse(4, 4));
    EXPECT_EQ(state().recording, 0);
    EXPECT_FALSE(checked(command_record_script));
    EXPECT_EQ(await_events(2), (std::vector<Event>{periodic(), periodic()}));
    click_logical(0, 0);
    EXPECT_EQ(await(), mouse(0, 0));
    EXPECT_THAT(messages(), ElementsAre(eof_message));
}

TEST_F(Playback, PlayingOneEventDuringRecordingStopsTheRecordingFirst) {
    run_command(command_record_script);
    driver.type(graphics(), "q");
    EXPECT_EQ(await(), keyboard('q'));
    run_command(command_play_one);
    EXPECT_EQ(state().recording, 0);
    EXPECT_EQ(await(), keyboard('q'));
}

TEST_F(Playback, TheRecorderAndReaderNeverUseEachOthersStream) {
    // Reached only by calling the two directions without their commands.
    run_command(command_record_script);
    driver.type(graphics(), "a");
    EXPECT_EQ(await(), keyboard('a'));
    state().playing_back = 1;
    EXPECT_EQ(read_script_event(), 0);
    state().playing_back = 0;
    run_command(command_record_script);
    EXPECT_EQ(read_script(), "KD508_KBD(97);\n");

    run_command(command_play_one);
    EXPECT_EQ(await(), keyboard('a'));
    write_script_event(KD508_KBD, 0, 0, 'b');
    close_script();
    EXPECT_EQ(read_script(), "KD508_KBD(97);\n");
}

}  // namespace
}  // namespace kd508::testing
