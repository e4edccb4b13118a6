"""A headless Wayland compositor (weston, pixman renderer) with the real bugwalk on it, driven
through the compositor's own input path by a test seat (weston_test_seat.c), judged by the
compositor's screenshots (weston-screenshooter).

A Wayland client cannot place its windows or learn where they stand; the test seat reports
where the compositor put them. Nothing here waits a fixed time: every wait polls a condition
until its deadline."""

import array
import glob
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
import screen  # noqa: E402
import session  # noqa: E402
from session import CLIENT_HEIGHT, CLIENT_WIDTH, Timeout, wait_until  # noqa: E402

SCREEN_WIDTH, SCREEN_HEIGHT = 1024, 768
POINTER_PARKING = (SCREEN_WIDTH - 4, SCREEN_HEIGHT - 4)
# The centre of the close box in the caption the toolkit draws, from the window's top right.
CLOSE_BOX_FROM_RIGHT, CLOSE_BOX_FROM_TOP = 18, 15

# Linux input event codes of the keys the tests press.
KEY_CODES = {
    "ctrl": 29, "alt": 56, "shift": 42,
    "a": 30, "f": 33, "h": 35, "l": 38, "q": 16, "r": 19,
}


def read_ppm(data):
    """A binary PPM (P6, 8 bits) as a screen.Image."""
    fields, position = [], 0
    while len(fields) < 4:
        while data[position:position + 1].isspace():
            position += 1
        end = position
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[position:end])
        position = end
    position += 1  # the single whitespace after the maximum value
    if fields[0] != b"P6" or fields[3] != b"255":
        raise ValueError("only 8-bit binary PPM is read")
    width, height = int(fields[1]), int(fields[2])
    rgb = data[position:position + width * height * 3]
    # Pad each pixel to four bytes, blue first, and read them as 0xRRGGBB words.
    padded = bytearray(width * height * 4)
    padded[0::4], padded[1::4], padded[2::4] = rgb[2::3], rgb[1::3], rgb[0::3]
    pixels = array.array("I")
    pixels.frombytes(bytes(padded))
    if sys.byteorder != "little":
        pixels.byteswap()
    return screen.Image(width, height, pixels)


class Compositor:
    """weston on its headless backend, with a private runtime directory and socket."""

    def __init__(self, seat_module, width=SCREEN_WIDTH, height=SCREEN_HEIGHT, scale=1):
        self.directory = tempfile.mkdtemp(prefix="bugwalk-wayland-")
        os.chmod(self.directory, 0o700)
        self.socket = "wayland-bugwalk"
        self.input_path = os.path.join(self.directory, "input")
        os.mkfifo(self.input_path)
        self.log_path = os.path.join(self.directory, "weston.log")
        self.scale = scale
        environment = self.environment()
        environment["KD508_WESTON_INPUT"] = self.input_path
        self.server = subprocess.Popen(
            ["weston", "--backend=headless-backend.so", "--use-pixman", "--debug", "--no-config",
             "--socket=" + self.socket, "--width=%d" % width, "--height=%d" % height,
             "--scale=%d" % scale, "--idle-time=0", "--modules=" + os.path.abspath(seat_module),
             "--log=" + self.log_path],
            env=environment, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            start_new_session=True)
        self.input = None
        try:
            wait_until(lambda: self.seat_ready(), 20, "the compositor and its test seat")
            # The compositor holds the pipe open for reading, so this open does not block.
            self.input = open(self.input_path, "w", buffering=1)
            self.move_pointer(*POINTER_PARKING)
        except BaseException:
            self.close()
            raise

    def seat_ready(self):
        if self.server.poll() is not None:
            raise AssertionError("weston ended with status %d:\n%s" % (self.server.returncode, self.log()))
        return os.path.exists(os.path.join(self.directory, self.socket)) and \
            "kd508 test seat: reading" in self.log()

    def log(self):
        try:
            with open(self.log_path, errors="replace") as source:
                return source.read()
        except OSError:
            return ""

    def environment(self):
        environment = dict(os.environ)
        environment["XDG_RUNTIME_DIR"] = self.directory
        environment["WAYLAND_DISPLAY"] = self.socket
        environment["QT_QPA_PLATFORM"] = "wayland"
        environment.pop("DISPLAY", None)
        return environment

    # ---- input, through the test seat ----

    def command(self, line):
        self.input.write(line + "\n")

    def move_pointer(self, x, y):
        self.command("motion %d %d" % (x, y))

    def click(self, x, y):
        self.move_pointer(x, y)
        self.command("button 1")
        self.command("button 0")
        self.move_pointer(*POINTER_PARKING)

    def key(self, combination):
        """Presses the keys of a combination such as "ctrl+q" in order and releases them in
        reverse."""
        codes = [KEY_CODES[name] for name in combination.split("+")]
        for code in codes:
            self.command("key %d 1" % code)
        for code in reversed(codes):
            self.command("key %d 0" % code)

    # ---- what the compositor shows ----

    def windows(self):
        """{title: (left, top, width, height)} of the mapped windows, their decorations
        included."""
        path = os.path.join(self.directory, "windows-%d.txt" % time.monotonic_ns())
        self.command("windows " + path)
        wait_until(lambda: os.path.exists(path), 10, "the compositor's list of windows")
        found = {}
        with open(path) as listing:
            for line in listing:
                left, top, width, height, title = line.rstrip("\n").split(" ", 4)
                found[title] = (int(left), int(top), int(width), int(height))
        os.remove(path)
        return found

    def screenshot_png(self, path):
        """Saves the compositor's picture of the whole output as a PNG file."""
        shots = os.path.join(self.directory, "shots")
        os.makedirs(shots, exist_ok=True)
        for old in glob.glob(os.path.join(shots, "*.png")):
            os.remove(old)
        subprocess.run(["weston-screenshooter"], cwd=shots, env=self.environment(),
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=20)
        taken = glob.glob(os.path.join(shots, "*.png"))
        if not taken:
            raise AssertionError("weston-screenshooter wrote no picture")
        shutil.move(taken[0], path)
        return path

    def screenshot(self, region=None, device_pixels=False):
        """The output as the compositor shows it, or the region (left, top, width, height) in
        compositor coordinates. On a scaled output each pixel is the top-left device pixel of
        its block, unless device_pixels asks for all of them."""
        path = self.screenshot_png(os.path.join(self.directory, "screen.png"))
        arguments = ["convert", path, "-alpha", "off"]
        if region is not None:
            left, top, width, height = (self.scale * value for value in region)
            arguments += ["-crop", "%dx%d+%d+%d" % (width, height, left, top), "+repage"]
        if self.scale != 1 and not device_pixels:
            arguments += ["-sample", "%d%%" % (100 // self.scale)]
        converted = subprocess.run(arguments + ["ppm:-"], capture_output=True, check=True, timeout=20)
        return read_ppm(converted.stdout)

    def close(self):
        if self.input is not None:
            self.input.close()
        if self.server.poll() is None:
            # weston starts helper clients of its own (shell, keyboard): end the whole group.
            os.killpg(self.server.pid, signal.SIGTERM)
            try:
                self.server.wait(timeout=10)
            except subprocess.TimeoutExpired:
                os.killpg(self.server.pid, signal.SIGKILL)
                self.server.wait()
        shutil.rmtree(self.directory, ignore_errors=True)


class WaylandBugwalk(session.WatchedProgram):
    """The real program on the compositor, its windows found through the test seat."""

    # A compositor's screenshots are slower than a framebuffer file's, and a loaded machine
    # makes the end slower, not wrong.
    change_seconds = 10
    still_seconds = 15
    still_ticks = 4
    exit_seconds = 60

    def __init__(self, compositor, program, directory):
        self.compositor = compositor
        self.process = subprocess.Popen([program], cwd=directory, env=compositor.environment(),
                                        stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        self.graphics = None
        self.text = None
        self.refresh_geometry()

    def refresh_geometry(self):
        def both_mapped():
            self.assert_running()
            windows = self.compositor.windows()
            if session.GRAPHICS_TITLE in windows and session.TEXT_TITLE in windows:
                return windows
            return None
        windows = wait_until(both_mapped, 20, "both windows")
        self.graphics = windows[session.GRAPHICS_TITLE]
        self.text = windows[session.TEXT_TITLE]

    def assert_running(self):
        if self.process.poll() is not None:
            output = self.process.stdout.read().decode(errors="replace")
            raise AssertionError("bugwalk ended with status %d:\n%s" % (self.process.returncode, output))

    # ---- where things are: the toolkit draws the frame inside the window's own surface ----

    def frame_border(self):
        return (self.graphics[2] - CLIENT_WIDTH) // 2

    def graphics_client_origin(self):
        left, top, width, height = self.graphics
        border = self.frame_border()
        return left + border, top + height - border - CLIENT_HEIGHT

    def graphics_client_region(self):
        return self.graphics_client_origin() + (CLIENT_WIDTH, CLIENT_HEIGHT)

    def graphics_client(self):
        return self.compositor.screenshot(self.graphics_client_region())

    def menu_bar_point(self):
        left, top = self.graphics_client_origin()
        return left + 15, top - 10

    def close_box_point(self):
        """The rightmost button of the caption that the toolkit draws, which is the close box."""
        left, top, width, _ = self.graphics
        return left + width - CLOSE_BOX_FROM_RIGHT, top + CLOSE_BOX_FROM_TOP

    # ---- input ----

    def click_logical(self, x, y):
        client_x, client_y = session.logical_to_client(x, y)
        left, top = self.graphics_client_origin()
        self.compositor.click(left + client_x, top + client_y)

    def click_button(self, name, repeat=1):
        for _ in range(repeat):
            self.click_logical(*session.button_centre(name))

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        self.process.stdout.close()
