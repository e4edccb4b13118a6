"""End-to-end tests: the real bugwalk on a virtual X display, driven with real input, judged by
what its windows show.

Run as: python3 bugwalk_e2e.py PATH/TO/bugwalk"""

import os
import re
import signal
import subprocess
import sys
import tempfile
import unittest

import session
from session import Bugwalk, VirtualDisplay, wait_until

PROGRAM = None
OUTPUT_DIRECTORY = os.environ.get("KD508_TEST_OUTPUT", os.path.join(tempfile.gettempdir(), "bugwalk-e2e"))

WHITE = 0xFFFFFF
RED = 0xFF0000

# Client rectangles (left, top, width, height) of what the tests look at.
PANEL = (0, 0, 78, 230)
BUG_STRIP = (0, 240, session.CLIENT_WIDTH, 190)      # where the bugs walk, below the panel
SCARE_BAND = (82, 0, 12, 440)  # the right edge of the first scare figure's body, clear of the
                               # panel and of the caption at the bottom
# A button press is handled within a few timer periods; this leaves room for a slow machine.
REACTION_SECONDS = 10
# The speed beyond which every bug re-enters at the right on every step, whatever its position:
# more than twice the distance from the centre line to the wrap limit.
SPEED_THAT_WRAPS_EVERY_BUG = 561
START_SPEED = 5
MAX_BUGS = 11
# The left edge of a bug at the wrap limit; the second slot's bug starts 50 pixels further left.
RIGHT_EDGE_BUG_LEFT = 540


def region(image, rectangle):
    return image.crop(*rectangle)


def count_colour(image, rectangle, colour):
    return region(image, rectangle).count(lambda pixel: pixel == colour)


def top_row_of(image, rectangle, colour):
    part = region(image, rectangle)
    for y in range(part.height):
        if any(part.pixel(x, y) == colour for x in range(part.width)):
            return y
    return None


def leftmost_column_of(image, rectangle, colour):
    part = region(image, rectangle)
    columns = [x for x in range(part.width) if any(part.pixel(x, y) == colour for y in range(part.height))]
    return min(columns) if columns else -1


def read_file(path):
    if not os.path.exists(path):
        return None
    with open(path) as source:
        return source.read()


def looks_like_first_frame(client):
    # The panel's white outlines and labels, and a red bug below it.
    return count_colour(client, PANEL, WHITE) > 200 and count_colour(client, BUG_STRIP, RED) > 50


class BugwalkTestCase(session.ProgramRunsMixin, unittest.TestCase):
    window_manager = False

    @classmethod
    def setUpClass(cls):
        cls.display = VirtualDisplay(window_manager=cls.window_manager)

    @classmethod
    def tearDownClass(cls):
        cls.display.close()

    def save_screen(self, name):
        os.makedirs(OUTPUT_DIRECTORY, exist_ok=True)
        path = os.path.join(OUTPUT_DIRECTORY, name + ".png")
        try:
            self.display.screenshot().write_png(path)
            sys.stderr.write("screen saved as %s\n" % path)
        except OSError:
            pass

    def save_image(self, image, name):
        os.makedirs(OUTPUT_DIRECTORY, exist_ok=True)
        path = os.path.join(OUTPUT_DIRECTORY, name + ".png")
        image.write_png(path)
        sys.stderr.write("image saved as %s\n" % path)

    def start(self, extra_environment=None):
        program = Bugwalk(self.display, PROGRAM, self.directory, extra_environment)
        self.programs.append(program)
        program.park_pointer()

        def first_frame():
            program.refresh_geometry()
            return looks_like_first_frame(program.graphics_client())
        wait_until(first_frame, REACTION_SECONDS, "the first frame")
        program.refresh_geometry()
        return program

    def quit_with_ctrl_q(self, program):
        program.focus(program.graphics)
        program.key("ctrl+q")
        self.assertEqual(program.wait_for_exit(), 0)

    def normalise_walk(self, program):
        """Brings the walk into one state whatever the time since start: every bug at the
        right edge in its first pose, standing still at the start speed, one bug shown.

        All eleven bugs are shown and sped up until every step puts each of them back at the
        right edge, where they overlap; at any lower speed some bug would stand further left."""
        program.click_button("Add Bug", repeat=MAX_BUGS - 1)
        program.click_button("Faster", repeat=SPEED_THAT_WRAPS_EVERY_BUG - START_SPEED)

        def all_at_the_edge(client):
            return leftmost_column_of(client, BUG_STRIP, RED) >= RIGHT_EDGE_BUG_LEFT
        program.wait_for_graphics(all_at_the_edge, 30, "all bugs to stand at the right edge")
        self.assertTrue(all_at_the_edge(program.wait_until_still()))
        program.click_button("Stop")
        program.click_button("Delete Bug", repeat=MAX_BUGS - 1)
        program.click_button("Slower", repeat=SPEED_THAT_WRAPS_EVERY_BUG - START_SPEED)


class WalkTest(BugwalkTestCase):
    def test_first_frame_appears_and_the_bug_walks(self):
        program = self.start()
        before = program.graphics_client()
        program.wait_until_changed(before)
        self.assertEqual((program.graphics.left, program.graphics.top, program.graphics.width),
                         (0, 0, session.CLIENT_WIDTH))
        # The text window stands along the lower third of the screen: its top at 2 * H / 3 + 1.
        self.assertEqual((program.text.left, program.text.top),
                         (0, 2 * session.SCREEN_HEIGHT // 3 + 1))
        self.quit_with_ctrl_q(program)

    def test_the_bug_walks_where_the_display_shares_no_memory(self):
        # A display across the network takes every frame as pixels sent to it, never from a
        # store it shares with the program.
        program = self.start({"QT_XCB_NO_MITSHM": "1"})
        program.wait_until_changed(program.graphics_client())
        self.quit_with_ctrl_q(program)

    def test_stop_freezes_the_walk_and_add_bug_shows_a_second_bug(self):
        program = self.start()
        program.click_button("Stop")
        still = program.wait_until_still()
        # Two later screenshots, several timer periods apart, show the same frame.
        self.assertEqual(program.wait_until_still(), still)
        one_bug = count_colour(still, BUG_STRIP, RED)

        program.click_button("Add Bug")
        program.wait_for_graphics(lambda client: count_colour(client, BUG_STRIP, RED) > 1.6 * one_bug,
                                  REACTION_SECONDS, "a second bug")
        self.quit_with_ctrl_q(program)

    def test_scare_raises_a_white_figure(self):
        program = self.start()
        self.assertIsNone(top_row_of(program.graphics_client(), SCARE_BAND, WHITE))
        program.click_button("SCARE")
        first = program.wait_for_graphics(lambda client: top_row_of(client, SCARE_BAND, WHITE) is not None,
                                          REACTION_SECONDS, "a white figure")
        start_row = top_row_of(first, SCARE_BAND, WHITE)
        program.wait_for_graphics(
            lambda client: (top_row_of(client, SCARE_BAND, WHITE) or start_row) < start_row - 5,
            REACTION_SECONDS, "the white figure to rise")
        self.quit_with_ctrl_q(program)

    def test_logging_shortcut_writes_lines_into_the_text_window(self):
        program = self.start()
        blank = program.text_client()
        self.assertEqual(blank.count(lambda pixel: pixel != WHITE), 0)
        program.focus(program.graphics)
        program.key("ctrl+l")
        wait_until(lambda: program.text_client().count(lambda pixel: pixel == 0) > 500,
                   REACTION_SECONDS, "log lines in the text window")
        program.key("ctrl+l")
        self.quit_with_ctrl_q(program)

    def test_text_window_repaints_its_lines_at_the_bottom_after_a_resize(self):
        program = self.start()
        program.focus(program.graphics)
        program.key("ctrl+l")
        program.key("ctrl+h")
        program.wait_until_still()
        program.display.xdotool("windowsize", "--sync", program.text.identifier, 700, 150)
        program.refresh_geometry()
        self.assertEqual((program.text.width, program.text.height), (700, 150))
        # The newest line stands at the bottom of the new client area.
        wait_until(lambda: program.text_client().crop(0, 130, 700, 20).count(lambda pixel: pixel == 0) > 50,
                   REACTION_SECONDS, "log lines at the bottom of the resized text window")
        self.quit_with_ctrl_q(program)

    def test_halt_from_the_text_window_then_single_steps(self):
        program = self.start()
        # Keys pressed in the text window act as in the graphics window.
        program.focus(program.text)
        program.key("ctrl+h")
        halted = program.wait_until_still()

        program.focus(program.graphics)
        # Alt tapped alone must leave the keys that follow to the program.
        program.key("alt")
        program.key("ctrl+f")
        stepped = program.wait_until_changed(halted)
        self.assertEqual(program.wait_until_still(), stepped)

        program.key("ctrl+a")
        program.wait_until_changed(stepped)
        self.quit_with_ctrl_q(program)

    def test_menu_keeps_the_walk_going_and_halts_it_by_its_mnemonic(self):
        program = self.start()
        uncovered = (320, 0, 275, session.CLIENT_HEIGHT)  # right of where the menu opens
        x, y = program.menu_bar_point()
        program.display.move_pointer(x, y)
        program.display.xdotool("click", 1)
        program.park_pointer()
        before = region(program.graphics_client(), uncovered)
        program.wait_for_graphics(lambda client: region(client, uncovered) != before,
                                  REACTION_SECONDS, "the walk to go on under the open menu")
        program.key("h")  # "&Halt animation"
        program.wait_until_still()
        self.quit_with_ctrl_q(program)


class ScriptTest(BugwalkTestCase):
    def test_recording_with_typing_plays_back_to_the_same_frame(self):
        recorder = self.start()
        self.normalise_walk(recorder)
        recorder.focus(recorder.graphics)
        recorder.key("ctrl+r")
        recorder.click_button("Go")
        recorder.wait_until_changed(recorder.graphics_client())
        recorder.click_button("Add Bug")
        recorder.click_button("SCARE")
        # Characters typed into the text window reach the program and the script.
        recorder.focus(recorder.text)
        recorder.type_text("h\u00e9")
        recorder.focus(recorder.graphics)
        recorder.wait_until_changed(recorder.graphics_client())
        recorder.click_button("Stop")
        recorded_end = recorder.wait_until_still()
        recorder.key("ctrl+r")
        script_path = os.path.join(self.directory, "KD508.SCR")
        script = wait_until(lambda: read_file(script_path), REACTION_SECONDS, "the script file")
        self.quit_with_ctrl_q(recorder)

        lines = script.splitlines()
        self.assertIn("KD508_KBD(104);", lines)
        self.assertIn("KD508_KBD(-23);", lines)  # e acute, 233, written as a signed byte
        self.assertIn("KD508_MOUSE(%d, %d);" % session.button_centre("SCARE"), lines)
        self.assertTrue(any(line.startswith("KD508_PERIODIC(") for line in lines))

        player = self.start()
        self.normalise_walk(player)
        player.focus(player.graphics)
        player.key("ctrl+p")
        try:
            player.wait_for_graphics(lambda client: client == recorded_end, 30,
                                     "playback to reach the recorded end")
        except AssertionError:
            self.save_image(recorded_end, "recorded_end")
            raise
        self.quit_with_ctrl_q(player)


def x_property(display, identifier, name):
    return subprocess.run(["xprop", "-id", str(identifier), name], env=display.environment(),
                          capture_output=True, text=True).stdout


def outer_frame_position(display, identifier):
    """Where a window manager put the top-left corner of a window's frame: the client's place
    on the screen less the frame's left and top extents."""
    info = subprocess.run(["xwininfo", "-id", str(identifier)], env=display.environment(),
                          capture_output=True, text=True).stdout
    client_x = int(re.search(r"Absolute upper-left X:\s+(-?\d+)", info).group(1))
    client_y = int(re.search(r"Absolute upper-left Y:\s+(-?\d+)", info).group(1))
    extents = re.search(r"= (\d+), (\d+), (\d+), (\d+)",
                        x_property(display, identifier, "_NET_FRAME_EXTENTS"))
    return client_x - int(extents.group(1)), client_y - int(extents.group(3))


class WindowManagerTest(BugwalkTestCase):
    window_manager = True

    def test_frames_stand_where_the_program_puts_them_and_only_the_text_window_resizes(self):
        program = self.start()
        display = program.display
        # Positions are the outer frame's, as on Windows: the graphics window's caption is on
        # the screen, not above it.
        wait_until(lambda: outer_frame_position(display, program.graphics.identifier) == (0, 0),
                   REACTION_SECONDS, "the graphics window's frame at (0, 0)")
        self.assertEqual(outer_frame_position(display, program.text.identifier),
                         (0, 2 * session.SCREEN_HEIGHT // 3 + 1))
        # The window manager offers what the window's style allows.
        graphics_actions = x_property(display, program.graphics.identifier, "_NET_WM_ALLOWED_ACTIONS")
        text_actions = x_property(display, program.text.identifier, "_NET_WM_ALLOWED_ACTIONS")
        self.assertIn("_NET_WM_ACTION_CLOSE", graphics_actions)
        self.assertNotIn("_NET_WM_ACTION_MAXIMIZE", graphics_actions)
        self.assertNotIn("_NET_WM_ACTION_RESIZE", graphics_actions)
        self.assertIn("_NET_WM_ACTION_MAXIMIZE", text_actions)
        self.assertIn("_NET_WM_ACTION_RESIZE", text_actions)
        self.quit_with_ctrl_q(program)


class CloseBoxTest(BugwalkTestCase):
    window_manager = True

    def test_close_box_ends_the_program_with_status_0(self):
        program = self.start()
        program.display.xdotool("windowactivate", "--sync", program.graphics.identifier)
        # The window manager turns Alt+F4 into the close request that the close box sends.
        program.display.xdotool("key", "alt+F4")
        self.assertEqual(program.wait_for_exit(), 0)


class TerminationSignalTest(BugwalkTestCase):
    def test_termination_signals_end_the_program_as_the_close_box_does(self):
        script_path = os.path.join(self.directory, "KD508.SCR")
        for signal_number in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
            with self.subTest(signal=signal_number.name):
                if os.path.exists(script_path):
                    os.remove(script_path)
                program = self.start()
                program.focus(program.graphics)
                program.key("ctrl+r")
                one_bug = count_colour(program.graphics_client(), BUG_STRIP, RED)
                program.click_button("Add Bug")
                # The second bug shows; the walk going on after it means periodic events that
                # the recording holds back as one run until the program ends. A change alone
                # would not do: the walk may move the first bug before the click arrives.
                after_click = program.wait_for_graphics(
                    lambda client: count_colour(client, BUG_STRIP, RED) > 1.6 * one_bug, REACTION_SECONDS,
                    "a second bug")
                program.wait_until_changed(after_click)
                program.process.send_signal(signal_number)
                self.assertEqual(program.wait_for_exit(), 0)
                lines = (read_file(script_path) or "").splitlines()
                self.assertIn("KD508_MOUSE(%d, %d);" % session.button_centre("Add Bug"), lines)
                self.assertTrue(lines[-1].startswith("KD508_PERIODIC("), lines)


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    PROGRAM = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
