"""A virtual display with the real bugwalk on it, driven as a person would drive it: xdotool moves
the pointer, clicks and types; screenshots come from the display's framebuffer file.

Nothing here waits a fixed time: every wait polls a condition until its deadline."""

import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

import screen

GRAPHICS_TITLE = "KD508 Graphics"
TEXT_TITLE = "KD508 Text"
CLIENT_WIDTH, CLIENT_HEIGHT = 595, 494
# Logical (0, 0) is this client pixel; logical y grows upward.
ORIGIN_X, ORIGIN_Y = 297, 247
SCREEN_WIDTH, SCREEN_HEIGHT = 1280, 1024
POLL_SECONDS = 0.02
POINTER_PARKING = (1000, 300)  # right of the graphics window, above the text window
TIMER_PERIOD_SECONDS = 0.1

BUTTONS = ("Go", "Stop", "Faster", "Slower", "Walking", "SCARE", "New Color", "Add Bug",
           "Delete Bug")
BUTTON_CENTRE_X = -257


def button_centre(name):
    """Logical centre of a button of the control panel, counted from the top."""
    return BUTTON_CENTRE_X, 232 - 25 * BUTTONS.index(name)


def logical_to_client(x, y):
    return ORIGIN_X + x, ORIGIN_Y - y


class Timeout(AssertionError):
    pass


def wait_until(condition, deadline_seconds, what):
    """Polls condition until it returns something true, which is returned."""
    deadline = time.monotonic() + deadline_seconds
    while True:
        result = condition()
        if result:
            return result
        if time.monotonic() > deadline:
            raise Timeout("gave up after %.1f s waiting for %s" % (deadline_seconds, what))
        time.sleep(POLL_SECONDS)


class VirtualDisplay:
    """Xvfb on a display number it picks itself, keeping its framebuffer in a file."""

    def __init__(self, width=SCREEN_WIDTH, height=SCREEN_HEIGHT, window_manager=False):
        self.directory = tempfile.mkdtemp(prefix="bugwalk-display-")
        read_end, write_end = os.pipe()
        self.server = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "%dx%dx24" % (width, height),
             "-fbdir", self.directory, "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as announced:
            number = announced.readline().strip()
        if not number:
            self.close()
            raise RuntimeError("Xvfb did not start")
        self.name = ":" + number
        self.framebuffer = os.path.join(self.directory, "Xvfb_screen0")
        self.window_manager = None
        if window_manager:
            self.window_manager = subprocess.Popen(
                ["openbox", "--sm-disable"], env=self.environment(),
                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            wait_until(lambda: "_NET_SUPPORTING_WM_CHECK" in self.xprop_root(), 10,
                       "the window manager")

    def environment(self):
        environment = dict(os.environ)
        environment["DISPLAY"] = self.name
        environment["QT_QPA_PLATFORM"] = "xcb"
        environment.pop("WAYLAND_DISPLAY", None)
        environment.setdefault("XDG_RUNTIME_DIR", self.directory)
        return environment

    def xprop_root(self):
        return subprocess.run(["xprop", "-root"], env=self.environment(), capture_output=True,
                              text=True).stdout

    def xdotool(self, *arguments):
        completed = subprocess.run(["xdotool"] + [str(a) for a in arguments],
                                   env=self.environment(), capture_output=True, text=True)
        return completed.stdout

    def move_pointer(self, x, y):
        # Waiting for a move that is not needed would wait for an event that never comes.
        location = self.xdotool("getmouselocation", "--shell")
        if "X=%d\nY=%d\n" % (x, y) not in location:
            self.xdotool("mousemove", "--sync", x, y)

    def screenshot(self, region=None):
        """The screen, or the region (left, top, width, height) of it."""
        return screen.read_xwd(self.framebuffer, region)

    def close(self):
        for process in (self.window_manager, self.server):
            if process is not None and process.poll() is None:
                process.terminate()
                try:
                    process.wait(timeout=10)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()
        shutil.rmtree(self.directory, ignore_errors=True)


class ProgramRunsMixin:
    """For a test case that starts bugwalk: a directory of its own for each test, and a picture
    of the screen when a test leaves a program running, which means it failed. The case keeps
    what it started in self.programs and says how to save the screen (save_screen)."""

    def setUp(self):
        self.directory = tempfile.mkdtemp(prefix="bugwalk-run-")
        self.programs = []
        self.started = time.monotonic()

    def tearDown(self):
        for program in self.programs:
            # Every test ends its programs itself; one still running means the test failed,
            # and the screen shows why.
            if program.process.poll() is None:
                self.save_screen(self.id().split(".")[-1])
            program.kill()
        shutil.rmtree(self.directory, ignore_errors=True)
        sys.stderr.write("(%.1f s) " % (time.monotonic() - self.started))


class Window:
    def __init__(self, identifier, left, top, width, height):
        self.identifier = identifier
        self.left, self.top, self.width, self.height = left, top, width, height


class WatchedProgram:
    """Waits on a running bugwalk by what its graphics window shows, shared by the checks on
    every display. A subclass gives graphics_client() and assert_running(), the process, and
    its deadlines in seconds."""

    change_seconds = 5
    still_seconds = 10
    still_ticks = 3
    exit_seconds = 10

    def wait_for_graphics(self, condition, deadline_seconds, what):
        def check():
            self.assert_running()
            client = self.graphics_client()
            return client if condition(client) else None
        return wait_until(check, deadline_seconds, what)

    def wait_until_changed(self, reference, deadline_seconds=None):
        return self.wait_for_graphics(lambda client: client != reference, deadline_seconds or self.change_seconds,
                                      "the graphics window to change")

    def wait_until_still(self, deadline_seconds=None, ticks=None):
        """Waits until the graphics client stays the same over several timer periods, and
        returns it."""
        span = (ticks or self.still_ticks) * TIMER_PERIOD_SECONDS
        state = {"image": None, "since": 0.0}

        def still():
            self.assert_running()
            client = self.graphics_client()
            now = time.monotonic()
            if client != state["image"]:
                state["image"], state["since"] = client, now
                return None
            return client if now - state["since"] >= span else None
        return wait_until(still, deadline_seconds or self.still_seconds, "the graphics window to stand still")

    def wait_for_exit(self, deadline_seconds=None):
        # A program still there after the deadline has hung, and its stacks say where.
        deadline_seconds = deadline_seconds or self.exit_seconds
        try:
            return self.process.wait(timeout=deadline_seconds)
        except subprocess.TimeoutExpired:
            stacks = ""
            if shutil.which("gdb"):
                stacks = subprocess.run(["gdb", "-p", str(self.process.pid), "-batch", "-ex", "thread apply all bt"],
                                        stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                                        timeout=60).stdout.decode(errors="replace")
            raise Timeout("bugwalk did not end within %d s\n%s" % (deadline_seconds, stacks))


class Bugwalk(WatchedProgram):
    """The real program, started in a directory of its own on the given display."""

    def __init__(self, display, program, directory, extra_environment=None):
        self.display = display
        self.directory = directory
        self.started = time.monotonic()
        environment = display.environment()
        environment.update(extra_environment or {})
        self.process = subprocess.Popen([program], cwd=directory, env=environment,
                                        stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        self.graphics = self.find_window(GRAPHICS_TITLE)
        self.text = self.find_window(TEXT_TITLE)

    def find_window(self, title):
        def found():
            self.assert_running()
            identifiers = self.display.xdotool("search", "--onlyvisible", "--name",
                                               "^%s$" % title).split()
            return identifiers[0] if identifiers else None
        identifier = wait_until(found, 20, "the window " + title)
        return self.window_geometry(identifier)

    def refresh_geometry(self):
        """Reads where the windows are now. The graphics window's client area gets its final
        height only when the first frame is shown, after the menu bar took its share."""
        self.graphics = self.window_geometry(self.graphics.identifier)
        self.text = self.window_geometry(self.text.identifier)

    def window_geometry(self, identifier):
        values = {}
        for line in self.display.xdotool("getwindowgeometry", "--shell", identifier).splitlines():
            key, _, value = line.partition("=")
            values[key] = value
        return Window(identifier, int(values["X"]), int(values["Y"]), int(values["WIDTH"]),
                      int(values["HEIGHT"]))

    def assert_running(self):
        if self.process.poll() is not None:
            output = self.process.stdout.read().decode(errors="replace")
            raise AssertionError("bugwalk ended with status %d:\n%s" % (self.process.returncode, output))

    # ---- where things are on the screen ----

    def graphics_client_origin(self):
        # The client area is the bottom part of the window, below the menu bar.
        window = self.graphics
        return window.left, window.top + window.height - CLIENT_HEIGHT

    def menu_bar_point(self):
        window = self.graphics
        return window.left + 15, window.top + (window.height - CLIENT_HEIGHT) // 2

    def graphics_client(self):
        left, top = self.graphics_client_origin()
        return self.display.screenshot((left, top, CLIENT_WIDTH, CLIENT_HEIGHT))

    def text_client(self):
        window = self.text
        return self.display.screenshot((window.left, window.top, window.width, window.height))

    # ---- input as a person gives it ----

    def click_logical(self, x, y, repeat=1):
        client_x, client_y = logical_to_client(x, y)
        left, top = self.graphics_client_origin()
        self.display.move_pointer(left + client_x, top + client_y)
        self.display.xdotool("click", "--repeat", repeat, "--delay", 1, 1)
        self.park_pointer()

    def park_pointer(self):
        # The pointer is part of the framebuffer: it waits where no window is.
        self.display.move_pointer(*POINTER_PARKING)

    def click_button(self, name, repeat=1):
        self.click_logical(*button_centre(name), repeat=repeat)

    def focus(self, window):
        self.display.xdotool("windowfocus", "--sync", window.identifier)

    def key(self, *keys):
        self.display.xdotool("key", "--clearmodifiers", *keys)

    def type_text(self, text):
        # A character that no key of the keyboard map types is sent by mapping a spare key to it
        # for the time of the delay; the program must read the map before it is taken back.
        self.display.xdotool("type", "--delay", 150, text)

    def kill(self):
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGKILL)
            self.process.wait()
        self.process.stdout.close()
