"""End-to-end tests of the real bugwalk on a native Wayland compositor: weston's headless
backend with its pixman renderer, the toolkit's own Wayland platform, input through the
compositor's seat, judged by the compositor's screenshots.

Run as: python3 bugwalk_wayland_e2e.py PATH/TO/bugwalk PATH/TO/kd508_weston_test_seat.so"""

import os
import sys
import tempfile
import unittest

from compositor import Compositor, WaylandBugwalk
import session
from session import wait_until

PROGRAM = None
SEAT_MODULE = None
OUTPUT_DIRECTORY = os.environ.get("KD508_TEST_OUTPUT",
                                  os.path.join(tempfile.gettempdir(), "bugwalk-wayland-e2e"))

WHITE = 0xFFFFFF
RED = 0xFF0000
PANEL = (0, 0, 78, 230)
BUG_STRIP = (0, 240, session.CLIENT_WIDTH, 190)
REACTION_SECONDS = 10


def count_colour(image, rectangle, colour):
    return image.crop(*rectangle).count(lambda pixel: pixel == colour)


def looks_like_first_frame(client):
    # The panel's white outlines and labels, and a red bug below it. A client that reached the
    # compositor transparent (the fault these tests were written for) shows neither.
    return count_colour(client, PANEL, WHITE) > 200 and count_colour(client, BUG_STRIP, RED) > 50


class WaylandTestCase(session.ProgramRunsMixin, unittest.TestCase):
    scale = 1

    @classmethod
    def setUpClass(cls):
        cls.compositor = Compositor(SEAT_MODULE, scale=cls.scale)

    @classmethod
    def tearDownClass(cls):
        cls.compositor.close()

    def save_screen(self, name):
        os.makedirs(OUTPUT_DIRECTORY, exist_ok=True)
        path = os.path.join(OUTPUT_DIRECTORY, "wayland-" + name + ".png")
        try:
            self.compositor.screenshot_png(path)
            sys.stderr.write("screen saved as %s\n" % path)
        except (OSError, AssertionError):
            pass

    def start(self):
        program = WaylandBugwalk(self.compositor, PROGRAM, self.directory)
        self.programs.append(program)

        def first_frame():
            program.refresh_geometry()
            return looks_like_first_frame(program.graphics_client())
        wait_until(first_frame, REACTION_SECONDS, "the first frame")
        return program

    def quit_with_ctrl_q(self, program):
        # A click on the client gives the graphics window the keyboard. "Stop" is harmless.
        program.click_button("Stop")
        self.compositor.key("ctrl+q")
        self.assertEqual(program.wait_for_exit(), 0)


class WaylandTest(WaylandTestCase):
    def test_first_frame_appears_and_the_bug_walks(self):
        program = self.start()
        # The picture a person would see; kept for whoever wants to look.
        self.save_screen("first-frame")
        before = program.graphics_client()
        program.wait_until_changed(before)
        # The compositor places the windows, but their sizes are the program's.
        self.assertEqual(program.graphics_client_region()[2:], (session.CLIENT_WIDTH, session.CLIENT_HEIGHT))
        self.quit_with_ctrl_q(program)

    def test_clicks_and_shortcuts_reach_the_program(self):
        program = self.start()
        program.click_button("Stop")
        still = program.wait_until_still()
        one_bug = count_colour(still, BUG_STRIP, RED)
        program.click_button("Add Bug")
        program.wait_for_graphics(lambda client: count_colour(client, BUG_STRIP, RED) > 1.6 * one_bug,
                                  REACTION_SECONDS, "a second bug")
        program.click_button("Go")
        program.wait_until_changed(program.graphics_client())
        # Ctrl+H halts the animation, Ctrl+F steps one frame, Ctrl+A runs it again.
        self.compositor.key("ctrl+h")
        halted = program.wait_until_still()
        self.compositor.key("ctrl+f")
        stepped = program.wait_until_changed(halted)
        self.assertEqual(program.wait_until_still(), stepped)
        self.compositor.key("ctrl+a")
        program.wait_until_changed(stepped)
        self.quit_with_ctrl_q(program)

    def test_menu_opens_and_halts_the_walk_by_its_mnemonic(self):
        program = self.start()
        program.click_logical(0, 0)  # the keyboard to the graphics window
        self.compositor.click(*program.menu_bar_point())
        self.compositor.key("h")  # "&Halt animation"
        halted = program.wait_until_still()
        self.assertEqual(program.wait_until_still(), halted)
        self.quit_with_ctrl_q(program)

    def test_close_box_ends_the_program_with_status_0(self):
        program = self.start()
        self.compositor.click(*program.close_box_point())
        self.assertEqual(program.wait_for_exit(), 0)


class ScaledWaylandTest(WaylandTestCase):
    """An output of scale 2, as a HiDPI screen: the toolkit draws at two device pixels per
    client pixel."""
    scale = 2

    def test_client_pixels_are_doubled_crisply_and_clicks_land(self):
        program = self.start()
        program.click_button("Stop")
        still = program.wait_until_still()
        device = self.compositor.screenshot(program.graphics_client_region(), device_pixels=True)
        self.assertEqual((device.width, device.height), (2 * session.CLIENT_WIDTH, 2 * session.CLIENT_HEIGHT))
        # Each client pixel is a block of four equal device pixels: nothing is smoothed.
        blended = [(x, y) for y in range(0, device.height, 2) for x in range(0, device.width, 2)
                   if len({device.pixel(x + dx, y + dy) for dx in (0, 1) for dy in (0, 1)}) != 1]
        self.assertEqual(blended[:5], [])
        one_bug = count_colour(still, BUG_STRIP, RED)
        program.click_button("Add Bug")
        program.wait_for_graphics(lambda client: count_colour(client, BUG_STRIP, RED) > 1.6 * one_bug,
                                  REACTION_SECONDS, "a second bug")
        self.quit_with_ctrl_q(program)


if __name__ == "__main__":
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    PROGRAM = os.path.abspath(sys.argv.pop(1))
    SEAT_MODULE = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
