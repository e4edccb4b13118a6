"""The Windows build of bugwalk under Wine: it starts, reacts to clicks, records a script that
plays back to the same frame, plays a script recorded by the Linux build to the frame the Linux
build showed, and quits with Ctrl+Q and status 0.

Run as: python3 bugwalk_wine.py PATH/TO/bugwalk.exe

With KD508_WINE_FIXTURES_OUT=DIRECTORY set, the script recorded here and its final frame are
also written there, under the names the Linux build's interchange test reads."""

import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

from wine_session import STARTUP_SECONDS, WINE_LOADER, WineBugwalk, WinePrefix, wait_until
import screen
import session

PROGRAM = None
HERE = os.path.dirname(os.path.abspath(__file__))
FIXTURES = os.path.join(HERE, "fixtures")
CLI = os.path.join(HERE, "..", "cli")
EXAMPLES_GOLDEN = os.path.join(HERE, "..", "examples", "golden")
OUTPUT_DIRECTORY = os.environ.get("KD508_TEST_OUTPUT", os.path.join(tempfile.gettempdir(), "bugwalk-wine"))
SCRIPT_NAME = "KD508.SCR"

RED = 0xFF0000
WHITE = 0xFFFFFF
# Fewer non-white pixels than one short line of text leaves in the text window.
TEXT_LINE_INK = 40
REACTION_SECONDS = 15
PLAYBACK_SECONDS = 60

# The part of the drawing that holds no text: the full width, from just below the control panel
# down to just above the caption at the bottom. Text is left out because the two builds draw it
# with different faces; every other shape is drawn by the same pixel rules on both, so the area
# matches to the pixel. Logical corners, y upward.
WALK_AREA = (-297, 10, 297, -200)
# A bug whose left edge lies in this client column or further right stands at the wrap limit.
RIGHT_EDGE_BUG_LEFT = 540
# Enough presses of "Faster" to pass 560, the speed above which one step sends every bug back
# to the wrap limit, with room for presses that a busy machine might merge; as many of
# "Slower" bring the speed back.
SPEED_PRESSES = 600
WALK_STEPS_RECORDED = 6
MAX_BUGS = 11


def red_columns(region):
    return [x for x in range(region.width)
            if any(region.pixel(x, y) == RED for y in range(region.height))]


def differing_pixels(actual, expected):
    if (actual.width, actual.height) != (expected.width, expected.height):
        return actual.width * actual.height
    return sum(1 for a, e in zip(actual.pixels, expected.pixels) if a != e)


def logical_region_of_client(client, left, top, right, bottom):
    """The part of a picture of the whole client area over the logical rectangle from (left,
    top) to (right, bottom), corners included, y upward. The origin is the client's centre,
    rounded down, as the runtime places it, so the same part of the drawing is found whatever
    height Wine gave the client area."""
    origin_x, origin_y = client.width // 2, client.height // 2
    return client.crop(origin_x + left, origin_y - top, right - left + 1, top - bottom + 1)


def save_image(image, name):
    os.makedirs(OUTPUT_DIRECTORY, exist_ok=True)
    path = os.path.join(OUTPUT_DIRECTORY, name + ".png")
    image.write_png(path)
    return path


DISPLAY = None
PREFIX = None


def setUpModule():
    # One display and one prefix serve every test: a prefix takes seconds to make, and each
    # test starts programs of its own in a directory of its own.
    global DISPLAY, PREFIX
    DISPLAY = session.VirtualDisplay()
    try:
        PREFIX = WinePrefix()
    except Exception:
        DISPLAY.close()
        raise


def tearDownModule():
    PREFIX.close()
    DISPLAY.close()


class WineTestCase(unittest.TestCase):
    @property
    def display(self):
        return DISPLAY

    @property
    def prefix(self):
        return PREFIX

    def setUp(self):
        self.directory = tempfile.mkdtemp(prefix="bugwalk-wine-run-")
        self.programs = []

    def tearDown(self):
        for program in self.programs:
            if program.process.poll() is None:
                path = os.path.join(OUTPUT_DIRECTORY, self.id().split(".")[-1] + ".png")
                os.makedirs(OUTPUT_DIRECTORY, exist_ok=True)
                self.display.screenshot().write_png(path)
                sys.stderr.write("screen saved as %s\n" % path)
            program.kill()
        shutil.rmtree(self.directory, ignore_errors=True)

    def start(self, script=None, arguments=()):
        """Starts the program, with a copy of the script as its KD508.SCR when one is given,
        and waits for its first frame, which shows a red bug."""
        if script is not None:
            shutil.copyfile(script, os.path.join(self.directory, SCRIPT_NAME))
        program = WineBugwalk(self.display, self.prefix, PROGRAM, self.directory, arguments)
        self.programs.append(program)
        wait_until(lambda: red_columns(self.walk_area(program)), REACTION_SECONDS, "the first frame")
        return program

    @staticmethod
    def walk_area(program):
        return program.logical_region(*WALK_AREA)

    def wait_for_still_walk_area(self, program, deadline_seconds=REACTION_SECONDS):
        """Waits until the walk area stays the same over several timer periods, and returns it."""
        span = 3 * session.TIMER_PERIOD_SECONDS
        state = {"image": None, "since": 0.0}

        def still():
            program.assert_running()
            image = self.walk_area(program)
            now = time.monotonic()
            if image != state["image"]:
                state["image"], state["since"] = image, now
                return None
            return image if now - state["since"] >= span else None
        return wait_until(still, deadline_seconds, "the walk to stand still")

    def quit_with_ctrl_q(self, program):
        program.focus(program.graphics)
        program.key("ctrl+q")
        self.assertEqual(program.wait_for_exit(REACTION_SECONDS), 0)
        # A GUI program has nowhere to write, and Wine is told to keep its own notes quiet.
        self.assertEqual(program.process.stdout.read().decode(errors="replace"), "",
                         "Wine or the program wrote to the terminal")

    def play(self, script):
        """Plays the script in a fresh program and returns the frame it ends on."""
        program = self.start(script)
        quiet_text = self.ink_in_text_window(program)
        program.focus(program.graphics)
        program.key("ctrl+p")
        # The end of the script is told by the line the runtime writes into the text window
        # when it meets the end of the file; a still frame alone would not do, since a long
        # run of clicks that change nothing on screen plays back as a still frame too.
        wait_until(lambda: self.ink_in_text_window(program) > quiet_text + TEXT_LINE_INK,
                   PLAYBACK_SECONDS, "the end-of-script line in the text window")
        # Playback halts the timer's animation, so after the last event the frame stands still.
        end = self.wait_for_still_walk_area(program)
        self.quit_with_ctrl_q(program)
        return end

    @staticmethod
    def ink_in_text_window(program):
        program.assert_running()
        return program.text_client().count(lambda pixel: pixel != WHITE)

    def assert_same_frame(self, actual, expected, name):
        """Both builds draw the walk area by the same pixel rules, so a frame in the same state
        is the same to the pixel, whichever build drew it."""
        differing = differing_pixels(actual, expected)
        if differing:
            self.fail("%d of %d pixels differ; this run's frame is %s, the expected one %s" % (
                differing, expected.width * expected.height,
                save_image(actual, name + ".actual"), save_image(expected, name + ".expected")))


class WindowsProgramTest(WineTestCase):
    def test_add_bug_and_stop_change_the_frame_and_ctrl_q_ends_with_status_0(self):
        program = self.start()
        program.click_button("Stop")
        stopped = self.wait_for_still_walk_area(program)
        self.assertTrue(red_columns(stopped))
        one_bug = stopped.count(lambda pixel: pixel == RED)

        program.click_button("Add Bug")
        wait_until(lambda: self.walk_area(program).count(lambda pixel: pixel == RED) > 1.6 * one_bug,
                   REACTION_SECONDS, "a second bug")
        # Stopped means stopped: two screenshots several timer periods apart show the same
        # frame, with the second bug in it.
        two_bugs = self.wait_for_still_walk_area(program)
        self.assertEqual(self.wait_for_still_walk_area(program), two_bugs)
        self.quit_with_ctrl_q(program)

    def test_a_recording_is_written_with_crlf_and_plays_back_to_the_same_frame(self):
        recorder = self.start()
        recorder.focus(recorder.graphics)
        recorder.key("ctrl+r")
        # The recording first brings the walk into one state whatever the time since start:
        # one step at a speed above 560 sends every bug, shown or not, to the wrap limit. With
        # all eleven shown, none left of the limit proves that such a step was taken, since
        # at any lower speed the slots stand 50 pixels apart.
        recorder.click_button("Add Bug", repeat=MAX_BUGS - 1)
        wait_until(lambda: min(red_columns(self.walk_area(recorder)) or [0]) < RIGHT_EDGE_BUG_LEFT // 2,
                   REACTION_SECONDS, "the bugs to spread over the path")
        recorder.click_button("Faster", repeat=SPEED_PRESSES)
        wait_until(lambda: min(red_columns(self.walk_area(recorder)) or [0]) >= RIGHT_EDGE_BUG_LEFT,
                   REACTION_SECONDS, "every bug to stand at the wrap limit")
        recorder.click_button("Delete Bug", repeat=MAX_BUGS - 1)
        recorder.click_button("Slower", repeat=SPEED_PRESSES)
        for button in ("Add Bug", "New Color", "SCARE"):
            recorder.click_button(button)
        recorder.key("h")
        # A few steps, so that the frame the recording ends on depends on their number: a
        # playback that lost or added a step would end elsewhere.
        for _ in range(WALK_STEPS_RECORDED):
            recorder.wait_until_changed(recorder.graphics_client(), REACTION_SECONDS)
        recorder.click_button("Stop")
        recorded_end = self.wait_for_still_walk_area(recorder)
        recorder.key("ctrl+r")
        script_path = os.path.join(self.directory, SCRIPT_NAME)
        wait_until(lambda: os.path.exists(script_path) and os.path.getsize(script_path) > 0,
                   REACTION_SECONDS, "the script file")
        self.quit_with_ctrl_q(recorder)

        with open(script_path, "rb") as source:
            script = source.read()
        lines = script.split(b"\r\n")
        self.assertEqual(lines[-1], b"", "the script ends with a line end")
        self.assertNotIn(b"\n", b"".join(lines), "every line ends with CR LF")
        self.assertIn(b"KD508_MOUSE(%d, %d);" % session.button_centre("Add Bug"), lines)
        self.assertIn(b"KD508_KBD(104);", lines)
        self.assertTrue(lines[-2].startswith(b"KD508_PERIODIC("), "the run after Stop is written last")

        recording = os.path.join(OUTPUT_DIRECTORY, "recorded-under-wine.scr")
        os.makedirs(OUTPUT_DIRECTORY, exist_ok=True)
        shutil.copyfile(script_path, recording)
        self.assert_same_frame(self.play(recording), recorded_end, "own_recording_played")

        fixtures_out = os.environ.get("KD508_WINE_FIXTURES_OUT")
        if fixtures_out:
            shutil.copyfile(script_path, os.path.join(fixtures_out, "recorded-under-wine.scr"))
            recorded_end.write_png(os.path.join(fixtures_out, "recorded-under-wine.png"))

class ScriptInterchangeTest(WineTestCase):
    def test_a_script_recorded_on_linux_plays_to_the_frame_linux_showed(self):
        expected = screen.read_png(os.path.join(FIXTURES, "recorded-on-linux.png"))
        end = self.play(os.path.join(FIXTURES, "recorded-on-linux.scr"))
        self.assert_same_frame(end, expected, "linux_script_played")

    def test_the_committed_wine_recording_plays_to_its_committed_frame(self):
        # The fixture that the Linux build plays is checked here against the build that made it.
        expected = screen.read_png(os.path.join(FIXTURES, "recorded-under-wine.png"))
        end = self.play(os.path.join(FIXTURES, "recorded-under-wine.scr"))
        self.assert_same_frame(end, expected, "wine_fixture_played")


class CommandLineTest(WineTestCase):
    """The runtime's options in the Windows build, read when the runtime opens."""

    def run_program(self, arguments, deadline_seconds=STARTUP_SECONDS):
        environment = self.display.environment()
        environment.update(self.prefix.environment)
        return subprocess.run([WINE_LOADER, PROGRAM] + arguments, cwd=self.directory, env=environment,
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=deadline_seconds)

    def test_version_help_and_a_mistake_answer_on_the_console(self):
        version = self.run_program(["--version"])
        self.assertEqual(version.returncode, 0)
        self.assertRegex(version.stdout.decode(), r"^bugwalk \(KD508 runtime\) \d+\.\d+\.\d+\n$")
        usage = self.run_program(["--help"])
        self.assertEqual(usage.returncode, 0)
        self.assertIn(b"--transcript FILE", usage.stdout)
        self.assertIn(b"--screenshot FILE", usage.stdout)
        self.assertNotIn(b"--headless", usage.stdout)
        os.mkdir(os.path.join(self.directory, "shots"))
        for arguments, words in ((["--frobnicate"], b"unknown option --frobnicate"),
                                 (["--headless"], b"--headless is not available in the Windows build"),
                                 (["--play", "missing.scr"], b"cannot play missing.scr"),
                                 (["--screenshot", "nowhere/a.png"],
                                  b"cannot write the screenshot nowhere/a.png: no directory nowhere"),
                                 (["--screenshot", "shots"], b"cannot write the screenshot shots: it is a directory")):
            refused = self.run_program(arguments)
            self.assertEqual(refused.returncode, 2, arguments)
            self.assertIn(words, refused.stderr, arguments)
        # Refused before anything was made: the check for a writable path leaves no file behind.
        self.assertEqual(sorted(os.listdir(self.directory)), ["shots"])

    def test_a_given_script_plays_and_the_transcript_and_screenshot_are_the_linux_ones(self):
        # The Linux build's golden transcript of the same script, up to the script's end: after
        # it a headless run quits, while this one animates until --run-for ends it.
        with open(os.path.join(CLI, "golden", "walk.transcript"), "rb") as stream:
            expected = stream.read()
        end_line = b"EOF encountered in script file walk.scr\n"
        expected = expected[:expected.index(end_line) + len(end_line)]
        shutil.copyfile(os.path.join(CLI, "scripts", "walk.scr"), os.path.join(self.directory, "walk.scr"))
        # A screenshot that is already there is replaced.
        with open(os.path.join(self.directory, "walk.png"), "wb") as stream:
            stream.write(b"an older picture")
        finished = self.run_program(["--play", "walk.scr", "--transcript", "walk.txt", "--run-for", "4000",
                                     "--screenshot", "walk.png"])
        self.assertEqual(finished.returncode, 0, finished.stderr.decode(errors="replace"))
        with open(os.path.join(self.directory, "walk.txt"), "rb") as stream:
            transcript = stream.read()
        self.assertEqual(transcript[:len(expected)], expected)
        self.assertFalse(os.path.exists(os.path.join(self.directory, SCRIPT_NAME)))

        # The screenshot shows the whole client area, which is the Linux one or, with no window
        # manager, two rows taller; after the script the animation stands halted, so the frame
        # is the one the Linux build ended its headless run on.
        shot = screen.read_png(os.path.join(self.directory, "walk.png"))
        linux = screen.read_png(os.path.join(CLI, "golden", "walk.png"))
        self.assertEqual(shot.width, linux.width)
        self.assertIn(shot.height, (linux.height, linux.height + 2))
        self.assert_same_frame(logical_region_of_client(shot, *WALK_AREA),
                               logical_region_of_client(linux, *WALK_AREA), "walk_screenshot")

    def test_closing_the_window_leaves_the_frame_it_showed_as_the_screenshot(self):
        # The window is destroyed before the program ends; what it showed when asked to close
        # is what the screenshot holds, the same to the pixel as the screen.
        program = self.start(arguments=["--screenshot", "closed.png"])
        program.click_button("Stop")
        shown = self.wait_for_still_walk_area(program)
        program.focus(program.graphics)
        program.key("alt+F4")
        self.assertEqual(program.wait_for_exit(REACTION_SECONDS), 0)
        self.assertEqual(program.process.stdout.read(), b"")
        shot = screen.read_png(os.path.join(self.directory, "closed.png"))
        self.assertEqual((shot.width, shot.height), (program.client.width, program.client.height))
        self.assert_same_frame(logical_region_of_client(shot, *WALK_AREA), shown, "closed_screenshot")

    def test_a_screenshot_that_cannot_be_written_at_the_end_gives_status_1(self):
        # The path is writable when the options are read; it is taken away while the program
        # runs, by a directory of the same name.
        environment = self.display.environment()
        environment.update(self.prefix.environment)
        process = subprocess.Popen([WINE_LOADER, PROGRAM, "--run-for", "8000", "--screenshot", "taken.png"],
                                   cwd=self.directory, env=environment, stdout=subprocess.PIPE,
                                   stderr=subprocess.PIPE)
        try:
            wait_until(lambda: self.display.xdotool("search", "--onlyvisible", "--name",
                                                    "^%s$" % session.GRAPHICS_TITLE).strip(),
                       STARTUP_SECONDS, "the graphics window")
            os.mkdir(os.path.join(self.directory, "taken.png"))
            _, errors = process.communicate(timeout=STARTUP_SECONDS)
        finally:
            if process.poll() is None:
                process.kill()
                process.communicate()
        self.assertEqual(process.returncode, 1, errors.decode(errors="replace"))
        self.assertIn(b"bugwalk: cannot write the screenshot taken.png: ", errors)


class ProgramInCTest(WineTestCase):
    """A program of a newcomer's, in C with its own main(), built against the installed
    Windows package: it opens, draws and ends as it does on Linux."""

    def test_the_picture_example_draws_what_it_draws_on_linux_and_ends_with_status_0(self):
        examples = os.environ.get("KD508_WINE_EXAMPLES")
        self.assertTrue(examples, "KD508_WINE_EXAMPLES names no directory of Windows examples")
        with open(os.path.join(EXAMPLES_GOLDEN, "picture.transcript"), "rb") as stream:
            expected = stream.read()
        environment = self.display.environment()
        environment.update(self.prefix.environment)
        environment["KD508_OPTIONS"] = "--run-for 1500 --transcript picture.txt"
        finished = subprocess.run([WINE_LOADER, os.path.join(examples, "picture.exe")], cwd=self.directory,
                                  env=environment, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                  timeout=STARTUP_SECONDS + 30)
        self.assertEqual(finished.returncode, 0, finished.stderr.decode(errors="replace"))
        with open(os.path.join(self.directory, "picture.txt"), "rb") as stream:
            self.assertEqual(stream.read(), expected)

if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    PROGRAM = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
