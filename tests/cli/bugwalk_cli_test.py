"""The runtime's command line, tried on the real bugwalk: headless replays judged by golden
screenshots and transcripts, Qt's own options and awkward arguments on the offscreen platform,
the run without a display, and mistakes in the options.

Run as: python3 bugwalk_cli_test.py PATH/TO/bugwalk VERSION [unittest arguments]
With KD508_UPDATE_GOLDEN=1 the golden screenshots and transcripts are written anew."""

import os
import shutil
import signal
import subprocess
import sys
import tempfile
import unittest

PROGRAM = None
VERSION = None
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "e2e"))
import screen  # noqa: E402  (the end-to-end checks' PNG reader)
SCRIPTS = os.path.join(HERE, "scripts")
GOLDEN = os.path.join(HERE, "golden")
OUTPUT_DIRECTORY = os.environ.get("KD508_TEST_OUTPUT", os.path.join(tempfile.gettempdir(), "bugwalk-cli"))
UPDATING = os.environ.get("KD508_UPDATE_GOLDEN") == "1"

# Every run ends by itself well within this; a run that does not is a fault, not a slow machine.
RUN_DEADLINE_SECONDS = 60
NO_DISPLAY = "no display: set DISPLAY or WAYLAND_DISPLAY, or run with --headless\n"
CLIENT_SIZE = (595, 494)


def environment(**changes):
    """The test's environment without any display or options of the caller's, plus changes."""
    env = {name: value for name, value in os.environ.items()
           if name not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "KD508_OPTIONS")}
    # Qt's note about a missing runtime directory is noise here.
    env.setdefault("XDG_RUNTIME_DIR", tempfile.gettempdir())
    env.update(changes)
    return env


def run(arguments, env=None, cwd=None):
    """Runs bugwalk; arguments are str or bytes. Returns the finished process."""
    return subprocess.run([PROGRAM] + list(arguments), env=env if env is not None else environment(),
                          cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                          timeout=RUN_DEADLINE_SECONDS)


def describe(process):
    status = process.returncode
    if status < 0:
        status = "signal %s" % signal.Signals(-status).name
    return "status %s, stderr: %r" % (status, process.stderr.decode(errors="replace")[-600:])


def png_pixels(path):
    """Width, height and the pixels of an 8-bit RGB PNG, read as the end-to-end checks read theirs."""
    image = screen.read_png(path)
    return image.width, image.height, image.pixels


class Scratch(unittest.TestCase):
    def setUp(self):
        self.directory = tempfile.mkdtemp(prefix="bugwalk-cli-")

    def tearDown(self):
        shutil.rmtree(self.directory, ignore_errors=True)

    def path(self, name):
        return os.path.join(self.directory, name)

    def keep(self, path, name):
        os.makedirs(OUTPUT_DIRECTORY, exist_ok=True)
        kept = os.path.join(OUTPUT_DIRECTORY, name)
        shutil.copyfile(path, kept)
        return kept


class HeadlessReplay(Scratch):
    """A recorded session replayed headless gives the golden picture and transcript, and the
    same files on every run."""

    def copy_script(self, script):
        """The script beside the run, so that the transcript names it the same wherever the
        sources are."""
        shutil.copyfile(os.path.join(SCRIPTS, script), self.path(script))
        return script

    def replay(self, script, suffix):
        screenshot, transcript = suffix + ".png", suffix + ".txt"
        process = run(["--headless", "--play", self.copy_script(script), "--screenshot", screenshot,
                       "--transcript", transcript], cwd=self.directory)
        self.assertEqual(process.returncode, 0, describe(process))
        return self.path(screenshot), self.path(transcript)

    def assert_golden(self, actual, golden_name):
        golden = os.path.join(GOLDEN, golden_name)
        if UPDATING:
            shutil.copyfile(actual, golden)
            return
        with open(actual, "rb") as stream:
            actual_bytes = stream.read()
        with open(golden, "rb") as stream:
            golden_bytes = stream.read()
        if actual_bytes == golden_bytes:
            return
        kept = self.keep(actual, "actual-" + golden_name)
        detail = ""
        if golden_name.endswith(".png"):
            same_pixels = png_pixels(actual) == png_pixels(golden)
            detail = " (the pixels are %s)" % ("the same: only the encoding differs" if same_pixels else "different")
        self.fail("%s differs from the golden file%s; the actual file is %s" % (golden_name, detail, kept))

    def test_recorded_sessions_replay_to_the_golden_picture_and_transcript(self):
        for script in ("walk", "scare"):
            with self.subTest(script=script):
                screenshot, transcript = self.replay(script + ".scr", script)
                width, height, _ = png_pixels(screenshot)
                self.assertEqual((width, height), CLIENT_SIZE)
                self.assert_golden(screenshot, script + ".png")
                self.assert_golden(transcript, script + ".transcript")

    def test_the_same_run_twice_gives_the_same_files(self):
        first = self.replay("walk.scr", "first")
        second = self.replay("walk.scr", "second")
        for one, other in zip(first, second):
            with open(one, "rb") as a, open(other, "rb") as b:
                self.assertEqual(a.read(), b.read(), os.path.basename(one))

    def test_the_transcript_echoes_drawing_although_the_program_turns_logging_off(self):
        _, transcript = self.replay("walk.scr", "walk")
        with open(transcript, "rb") as stream:
            lines = stream.read().split(b"\n")
        self.assertEqual(lines[0], b"Clearing the graphics window")
        self.assertIn(b"EOF encountered in script file walk.scr", lines)
        self.assertEqual(lines[-1], b"", "the transcript ends with a complete line")

    def test_a_script_with_windows_line_ends_replays_to_the_same_picture(self):
        unix, _ = self.replay("walk.scr", "unix")
        windows, _ = self.replay("walk_crlf.scr", "windows")
        self.assertEqual(png_pixels(unix), png_pixels(windows))

    def test_the_options_work_the_same_from_KD508_OPTIONS(self):
        screenshot, transcript = self.path("env.png"), self.path("env.txt")
        options = "--headless --play '%s' --screenshot \"%s\" --transcript=%s" % (
            self.copy_script("walk.scr"), screenshot, transcript)
        process = run([], env=environment(KD508_OPTIONS=options), cwd=self.directory)
        self.assertEqual(process.returncode, 0, describe(process))
        self.assert_golden(screenshot, "walk.png")
        self.assert_golden(transcript, "walk.transcript")

    def test_a_replay_writes_only_the_files_asked_for(self):
        self.replay("walk.scr", "walk")
        self.assertEqual(sorted(os.listdir(self.directory)), ["walk.png", "walk.scr", "walk.txt"])

    def test_a_bad_line_stops_the_run_with_a_message_and_status_1(self):
        screenshot = self.path("bad.png")
        process = run(["--headless", "--play", os.path.join(SCRIPTS, "bad_line.scr"), "--screenshot", screenshot])
        self.assertEqual(process.returncode, 1, describe(process))
        self.assertIn(b'stopped at a line that names no event: "KD508_WALTZ(3);"', process.stderr)
        self.assertTrue(os.path.exists(screenshot), "what the run showed is still written")

    def test_run_for_ends_a_run_after_that_much_virtual_time(self):
        transcript = self.path("run_for.txt")
        process = run(["--headless", "--run-for", "1000", "--transcript", transcript])
        self.assertEqual(process.returncode, 0, describe(process))
        with open(transcript, "rb") as stream:
            frames = stream.read().count(b"Click a button to control the bug.")
        # The first frame, then one frame per 100 ms tick, then the frame drawn after the quit.
        self.assertIn(frames, (11, 12))

    def test_a_headless_run_that_would_wait_forever_stops_with_status_1(self):
        process = run(["--headless"])
        self.assertEqual(process.returncode, 1, describe(process))
        self.assertIn(b"--run-for", process.stderr)


# The options every QApplication takes for itself, as Qt documents them, with a value for those
# that take one. Each is also tried without its value, and with a value where it takes none.
QT_OPTIONS = [
    ("-platform", "offscreen"), ("-platformpluginpath", "/nonexistent"), ("-platformtheme", "nosuch"),
    ("-plugin", "nosuch"), ("-qmljsdebugger", "port:3768,block"), ("-qwindowgeometry", "200x100+10+10"),
    ("-qwindowicon", "/nonexistent.png"), ("-qwindowtitle", "Another title"), ("-reverse", None),
    ("-session", "session-1"), ("-style", "fusion"), ("-stylesheet", "/nonexistent.qss"),
    ("-widgetcount", None), ("-display", ":42"), ("-geometry", "300x200+5+5"), ("-title", "T"),
    ("-name", "n"), ("-nograb", None), ("-dograb", None), ("-sync", None), ("-visual", "TrueColor"),
    ("-ncols", "16"), ("-cmap", None), ("-im", "nosuch"), ("-inputstyle", "onthespot"),
    ("-testability", None), ("-font", "Sans"), ("-fn", "Sans"), ("-bg", "red"), ("-background", "red"),
    ("-fg", "blue"), ("-foreground", "blue"), ("-btn", "green"), ("-button", "green"),
]


class QtOwnOptions(Scratch):
    """Qt takes its options out of the argument list it is given; none of them, with or without
    a value, and no long or strange argument may bring the program down."""

    def run_on_qt(self, arguments):
        transcript = self.path("qt.txt")
        process = run(["--run-for", "300", "--transcript", transcript] + list(arguments),
                      env=environment(QT_QPA_PLATFORM="offscreen"))
        self.assertEqual(process.returncode, 0, "%r: %s" % (arguments, describe(process)))
        with open(transcript, "rb") as stream:
            self.assertTrue(stream.read().startswith(b"Clearing the graphics window\n"),
                            "%r: the program ran" % (arguments,))

    def test_every_qt_option_with_and_without_its_value(self):
        for option, value in QT_OPTIONS:
            forms = [[option], [option, value]] if value is not None else [[option], [option, "stray"]]
            for form in forms:
                with self.subTest(arguments=form):
                    self.run_on_qt(form)

    def test_qt_options_mixed_with_the_runtimes_and_plain_words(self):
        self.run_on_qt(["-reverse", "word", "-style", "fusion", "--", "-platform"])
        self.run_on_qt(["-style"])  # the last argument, its value missing

    def test_long_and_non_utf8_arguments(self):
        # Just below the longest single argument the kernel passes on (128 KiB).
        long_word = "x" * 120000
        for arguments in ([long_word], ["-qwindowtitle", long_word], [b"\xff\xfe\x80 caf\xe9"],
                          ["-style", b"\xc3\x28"], [""], ["-"] * 1000,
                          ["word" * 25] * 2000):
            with self.subTest(arguments=repr(arguments)[:60]):
                self.run_on_qt(arguments)
                headless = run(["--headless", "--run-for", "100"] + list(arguments))
                self.assertEqual(headless.returncode, 0, describe(headless))


class WithoutDisplay(Scratch):
    def test_no_display_gives_one_line_and_status_1(self):
        process = run([])
        self.assertEqual(process.returncode, 1, describe(process))
        self.assertEqual(process.stderr, NO_DISPLAY.encode())
        self.assertEqual(process.stdout, b"")

    def test_an_unreachable_display_gives_the_same_line(self):
        process = run([], env=environment(DISPLAY=":4711"))
        self.assertEqual(process.returncode, 1, describe(process))
        self.assertTrue(process.stderr.endswith(NO_DISPLAY.encode()), describe(process))

    def test_help_and_version_need_no_display(self):
        help_run = run(["--help"])
        self.assertEqual(help_run.returncode, 0, describe(help_run))
        for option in (b"--play FILE", b"--headless", b"--run-for MS", b"--screenshot FILE", b"--transcript FILE",
                       b"KD508_OPTIONS"):
            self.assertIn(option, help_run.stdout)
        version_run = run(["-reverse", "--version"])
        self.assertEqual(version_run.returncode, 0, describe(version_run))
        self.assertEqual(version_run.stdout, b"bugwalk (KD508 runtime) " + VERSION.encode() + b"\n")


class OptionMistakes(Scratch):
    """Each mistake is named on standard error and ends the run with status 2 before any window
    opens: there is no display here, so reaching one would give status 1 instead."""

    def assert_refused(self, arguments, words, env=None):
        process = run(arguments, env=env)
        self.assertEqual(process.returncode, 2, "%r: %s" % (arguments, describe(process)))
        self.assertIn(words, process.stderr, "%r" % (arguments,))
        self.assertEqual(process.stderr.count(b"\n"), 1, "one line: %r" % (process.stderr,))

    def test_mistakes_in_the_options(self):
        walk = os.path.join(SCRIPTS, "walk.scr")
        self.assert_refused(["--frobnicate"], b"unknown option --frobnicate")
        self.assert_refused(["--play"], b"--play needs a value")
        self.assert_refused(["--play="], b"--play needs a non-empty value")
        self.assert_refused(["--headless=yes"], b"--headless takes no value")
        self.assert_refused(["--run-for", "soon"], b'not "soon"')
        self.assert_refused(["--run-for", "99999999999999999999"], b"--run-for takes")
        self.assert_refused(["--play", self.path("missing.scr")], b"cannot play")
        self.assert_refused(["--play", self.directory], b"it is a directory")
        os.mkfifo(self.path("pipe"))
        self.assert_refused(["--play", self.path("pipe")], b"it is not a regular file")
        self.assert_refused(["--play", walk, "--screenshot", self.path("no/such/dir.png")],
                            b"cannot write the screenshot")
        self.assert_refused(["--screenshot", self.directory], b"it is a directory")
        self.assert_refused(["--transcript", self.path("no/such/dir.txt")], b"cannot write the transcript")
        self.assert_refused([], b"which is no option of the runtime", env=environment(KD508_OPTIONS="-reverse"))
        self.assert_refused([], b"unclosed quote", env=environment(KD508_OPTIONS="--play 'walk.scr"))

    def test_nothing_is_created_when_the_options_are_refused(self):
        screenshot = self.path("shot.png")
        self.assert_refused(["--screenshot", screenshot, "--frobnicate"], b"unknown option")
        self.assertFalse(os.path.exists(screenshot))


def main():
    global PROGRAM, VERSION
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    PROGRAM, VERSION = os.path.abspath(sys.argv[1]), sys.argv[2]
    unittest.main(argv=[sys.argv[0]] + sys.argv[3:], verbosity=2)


if __name__ == "__main__":
    main()
