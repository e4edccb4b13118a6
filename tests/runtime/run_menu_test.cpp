// The "&Run" menu, its commands and their Ctrl shortcuts, driven as a user would: through the
// headless presenter's menu and keyboard, in either window.
#include "script_fixture.h"

namespace kd508::testing {
namespace {

using ::testing::ElementsAre;
using RunMenu = OpenScriptRuntime;

struct ExpectedItem {
    std::string label;
    UINT id;
    UINT flags;
};

TEST_F(RunMenu, BuiltAtCreationAsListedAndMirroredToThePresenter) {
    const auto bar = driver.menu_bar(graphics());
    ASSERT_EQ(bar.size(), 1u);
    EXPECT_EQ(bar[0].label, "&Run");
    EXPECT_EQ(bar[0].flags & MF_POPUP, static_cast<UINT>(MF_POPUP));

    const std::vector<ExpectedItem> expected = {
        {"&Animate\tCtrl+A", 1, MF_STRING},
        {"&Halt animation\tCtrl+H", 2, MF_STRING},
        {"Advance one &frame\tCtrl+F", 3, MF_STRING},
        {"", 0, MF_SEPARATOR},
        {"&Logging\tCtrl+L", 4, MF_CHECKED},
        {"", 0, MF_SEPARATOR},
        {"&Record Script\tCtrl+R", 5, MF_STRING},
        {"&Playback Script\tCtrl+P", 6, MF_STRING},
        {"Play &One Script\tCtrl+O", 7, MF_STRING},
        {"", 0, MF_SEPARATOR},
        {"&Quit\tCtrl+Q", 8, MF_STRING},
        {"", 0, MF_SEPARATOR},
        {"KD508 v2.2 July 1997", 9, MF_GRAYED},
        {"Graphics runtime team", 9, MF_GRAYED},
        {"Animation and scripting", 9, MF_GRAYED},
        {"Platform layer maintainers", 9, MF_GRAYED},
    };
    const auto items = driver.popup_items(graphics(), 0);
    const auto mirrored = driver.mirrored_popup_items(graphics(), 0);
    ASSERT_EQ(items.size(), expected.size());
    ASSERT_EQ(mirrored.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(items[i].label, expected[i].label);
        EXPECT_EQ(items[i].id, expected[i].id);
        EXPECT_EQ(items[i].flags, expected[i].flags);
        EXPECT_EQ(mirrored[i].label, expected[i].label);
        EXPECT_EQ(mirrored[i].checked, expected[i].flags == MF_CHECKED);
        EXPECT_EQ(mirrored[i].grayed, expected[i].flags == MF_GRAYED);
        EXPECT_EQ(mirrored[i].separator, expected[i].flags == MF_SEPARATOR);
    }
    // The client area is what is left below the menu bar.
    EXPECT_EQ(driver.client_width(graphics()), 595);
    EXPECT_EQ(driver.client_height(graphics()), 494);
}

TEST_F(RunMenu, GreyedLinesAndUnknownIdentifiersDoNothing) {
    EXPECT_FALSE(driver.choose_menu(graphics(), command_about_line));
    const RuntimeState before = state();
    for (WPARAM command : {WPARAM{0}, WPARAM{9}, WPARAM{10}, ~WPARAM{0}}) run_command(command);
    EXPECT_EQ(state().animation_running, before.animation_running);
    EXPECT_EQ(state().single_step_requested, before.single_step_requested);
    EXPECT_EQ(state().logging_enabled, before.logging_enabled);
    EXPECT_EQ(state().recording, 0);
    EXPECT_EQ(state().playing_back, 0);
    EXPECT_EQ(state().play_one_requested, 0);
}

TEST_F(RunMenu, AnimationCommandsFromTheMenuActWithinTheWait) {
    // Animate latches a periodic event in the same pass that handles the command.
    ASSERT_TRUE(driver.choose_menu(graphics(), command_animate));
    EXPECT_EQ(await(), periodic());
    EXPECT_EQ(state().animation_running, 1);

    // Advance one frame halts and asks for one step; Halt does not withdraw that step.
    run_command(command_advance_frame);
    EXPECT_EQ(state().animation_running, 0);
    EXPECT_EQ(state().single_step_requested, 1);
    run_command(command_halt);
    EXPECT_EQ(state().single_step_requested, 1);
    EXPECT_EQ(await(), periodic());
    // Halted with no step left: only a click ends the next wait.
    click_logical(3, 4);
    EXPECT_EQ(await(), mouse(3, 4));
}

TEST_F(RunMenu, EveryCtrlLetterRunsItsCommandWhateverShiftAndCapsLockSay) {
    KD508_animate(ANIMATE_HALT);
    driver.press_ctrl_letter(graphics(), 'a');
    click_logical(0, 0);
    EXPECT_EQ(await(), mouse(0, 0));
    EXPECT_EQ(state().animation_running, 1);

    KD508_animate(ANIMATE_HALT);
    driver.key_down(graphics(), VK_SHIFT);
    driver.press_ctrl_letter(graphics(), 'A');
    driver.key_up(graphics(), VK_SHIFT);
    click_logical(0, 0);
    EXPECT_EQ(await(), mouse(0, 0));
    EXPECT_EQ(state().animation_running, 1);

    KD508_animate(ANIMATE_HALT);
    driver.press_key(graphics(), VK_CAPITAL);
    driver.press_ctrl_letter(graphics(), 'a');
    click_logical(0, 0);
    EXPECT_EQ(await(), mouse(0, 0));
    EXPECT_EQ(state().animation_running, 1);

    // The other letters, straight through the key handler.
    const auto ctrl = [](WPARAM letter) {
        on_key_down(VK_CONTROL);
        on_key_down(letter);
        on_key_up(letter);
        on_key_up(VK_CONTROL);
    };
    ctrl('H');
    EXPECT_EQ(state().animation_running, 0);
    ctrl('F');
    EXPECT_EQ(state().single_step_requested, 1);
    ctrl('L');
    EXPECT_EQ(state().logging_enabled, 0);
    EXPECT_FALSE(checked(command_logging));
    ctrl('R');
    EXPECT_EQ(state().recording, 1);
    ctrl('R');
    EXPECT_EQ(state().recording, 0);
    ctrl('O');
    EXPECT_EQ(state().play_one_requested, 1);
    ctrl('P');
    EXPECT_EQ(state().playing_back, 1);
    ctrl('P');
    EXPECT_EQ(state().playing_back, 0);
    EXPECT_FALSE(script_exists());
}

TEST_F(RunMenu, OnlyTheEightLettersWithCtrlAreShortcuts) {
    KD508_animate(ANIMATE_HALT);
    const RuntimeState before = state();
    // Letters alone do nothing here (they type characters instead).
    for (WPARAM key : {'A', 'H', 'F', 'L', 'R', 'P', 'O', 'Q'}) on_key_down(key);
    // Other keys with Ctrl do nothing either.
    on_key_down(VK_CONTROL);
    for (WPARAM key : {WPARAM{'B'}, WPARAM{'Z'}, WPARAM{'1'}, WPARAM{VK_RETURN}, WPARAM{VK_SHIFT}, WPARAM{'a'}}) {
        on_key_down(key);
    }
    on_key_up(VK_CONTROL);
    EXPECT_EQ(state().animation_running, before.animation_running);
    EXPECT_EQ(state().single_step_requested, before.single_step_requested);
    EXPECT_EQ(state().logging_enabled, before.logging_enabled);
    EXPECT_EQ(state().recording, 0);
    EXPECT_EQ(state().playing_back, 0);
    EXPECT_EQ(state().play_one_requested, 0);
    EXPECT_EQ(state().ctrl_down, 0);
}

TEST_F(RunMenu, CharactersTypedWithCtrlHeldNeverReachTheApplication) {
    KD508_animate(ANIMATE_HALT);
    driver.key_down(graphics(), VK_CONTROL);
    driver.press_key(graphics(), 'B', 2);
    driver.key_up(graphics(), VK_CONTROL);
    driver.type(graphics(), "x");
    EXPECT_EQ(await(), keyboard('x'));
}

TEST_F(RunMenu, KeysTypedInTheTextWindowActAsInTheGraphicsWindow) {
    KD508_animate(ANIMATE_RUN);
    driver.press_ctrl_letter(text(), 'h');
    driver.type(text(), "k");
    EXPECT_EQ(await(), keyboard('k'));
    EXPECT_EQ(state().animation_running, 0);
    EXPECT_EQ(state().ctrl_down, 0);
}

TEST_F(RunMenu, ACtrlReleaseMissedOutsideTheWindowsKeepsCtrlDown) {
    KD508_animate(ANIMATE_HALT);
    driver.key_down(graphics(), VK_CONTROL);
    driver.lose_keyboard_focus();
    // The release happened elsewhere: it never reaches the runtime.
    driver.press_key(graphics(), 'A', 'a');
    driver.type(graphics(), "b");
    click_logical(1, 1);
    EXPECT_EQ(await(), mouse(1, 1));
    EXPECT_EQ(state().ctrl_down, 1);
    EXPECT_EQ(state().animation_running, 1) << "the letter alone acted as Ctrl+A";

    // The next Ctrl release that does arrive ends it.
    KD508_animate(ANIMATE_HALT);
    driver.key_down(graphics(), VK_CONTROL);
    driver.key_up(graphics(), VK_CONTROL);
    driver.type(graphics(), "c");
    EXPECT_EQ(await(), keyboard('c'));
    EXPECT_EQ(state().ctrl_down, 0);
}

TEST_F(RunMenu, QuitLeavesTheWindowAndTimerAndEndsTheNextWait) {
    driver.press_ctrl_letter(graphics(), 'q');
    EXPECT_EQ(await(), quit());
    EXPECT_TRUE(IsWindow(graphics()));
    // The timer still ticks: a step asked for now is delivered.
    KD508_animate(ANIMATE_SINGLE_STEP);
    EXPECT_EQ(await(), periodic());

    ASSERT_TRUE(driver.choose_menu(graphics(), command_quit));
    EXPECT_EQ(await(), quit());
}

TEST_F(RunMenu, CheckMarksFollowTheirFlagsOnEveryPath) {
    const auto both_checked = [&](UINT command) {
        EXPECT_EQ(checked(command), shown_checked(command)) << "menu and presenter disagree on " << command;
        return checked(command);
    };
    EXPECT_TRUE(both_checked(command_logging));

    ASSERT_TRUE(driver.choose_menu(graphics(), command_logging));
    driver.press_ctrl_letter(graphics(), 'r');
    click_logical(0, 0);
    await();
    EXPECT_EQ(state().logging_enabled, 0);
    EXPECT_FALSE(both_checked(command_logging));
    EXPECT_EQ(state().recording, 1);
    EXPECT_TRUE(both_checked(command_record_script));

    KD508_logging(1);
    EXPECT_TRUE(both_checked(command_logging));
    KD508_logging(0);
    EXPECT_FALSE(both_checked(command_logging));

    driver.press_ctrl_letter(graphics(), 'r');
    driver.press_ctrl_letter(graphics(), 'p');
    // The recording holds one click; playback gives it back, then meets the end of the file.
    EXPECT_EQ(await(), mouse(0, 0));
    EXPECT_FALSE(both_checked(command_record_script));
    EXPECT_EQ(state().playing_back, 1);
    EXPECT_TRUE(both_checked(command_playback_script));
    click_logical(2, 2);
    EXPECT_EQ(await(), mouse(2, 2));
    EXPECT_EQ(state().playing_back, 0);
    EXPECT_FALSE(both_checked(command_playback_script));
    EXPECT_FALSE(both_checked(command_play_one));
}

}  // namespace
}  // namespace kd508::testing
