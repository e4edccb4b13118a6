"""The Windows build of bugwalk under Wine on a virtual X display, driven with real input.

Each check gets a Wine prefix of its own in a temporary directory, so nothing that an earlier run
or the user's own prefix holds can change what the program sees. Every wait polls a condition
until its deadline; nothing sleeps a fixed time."""

import os
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "e2e"))

import session  # noqa: E402  (the end-to-end helpers: the display, waits, button positions)
from session import Timeout, wait_until  # noqa: E402,F401

WINE_LOADER = "/usr/lib/wine/wine64"
WINE_SERVER = "/usr/lib/wine/wineserver"
WINE_FONTS = "/usr/share/wine/fonts"

# Wine's own frame is not the one a Windows desktop draws: without a window manager, the X window
# that xdotool finds holds the menu bar and the client area, and Wine's menu bar is a row lower
# than Windows' own, so the client area is taller than the 494 rows a Windows desktop gives the
# 540-row window. The client is therefore found from the window's geometry and the menu bar's
# height as the screen shows it, and its centre is the logical origin, as the runtime computes it.
CLIENT_WIDTH = session.CLIENT_WIDTH
CLIENT_HEIGHT_RANGE = range(session.CLIENT_HEIGHT - 4, session.CLIENT_HEIGHT + 8)
STARTUP_SECONDS = 60


class WinePrefix:
    """A fresh prefix, created with wineboot and given the fonts that Wine ships."""

    def __init__(self):
        self.directory = tempfile.mkdtemp(prefix="bugwalk-wine-")
        self.path = os.path.join(self.directory, "prefix")
        self.environment = {
            "WINEPREFIX": self.path,
            "WINEDEBUG": "-all",
            # Wine would otherwise offer to install its .NET and HTML engines in a dialog.
            "WINEDLLOVERRIDES": "mscoree,mshtml=",
        }
        environment = dict(os.environ, **self.environment)
        environment.pop("DISPLAY", None)
        self._quietly([WINE_LOADER, "wineboot", "-i"], environment)
        self._quietly([WINE_SERVER, "-w"], environment)
        # Debian's Wine does not find the fonts it ships; without them text would use whatever
        # fontconfig offers and the menu and captions would change from machine to machine.
        fonts = os.path.join(self.path, "drive_c", "windows", "Fonts")
        os.makedirs(fonts, exist_ok=True)
        for name in os.listdir(WINE_FONTS):
            shutil.copy(os.path.join(WINE_FONTS, name), fonts)

    @staticmethod
    def _quietly(command, environment):
        completed = subprocess.run(command, env=environment, stdout=subprocess.PIPE,
                                   stderr=subprocess.STDOUT, timeout=STARTUP_SECONDS)
        if completed.returncode != 0:
            raise RuntimeError("%s failed with status %d:\n%s" % (
                " ".join(command), completed.returncode, completed.stdout.decode(errors="replace")))

    def close(self):
        # Only this prefix's server is asked to end; other prefixes are left alone.
        environment = dict(os.environ, **self.environment)
        subprocess.run([WINE_SERVER, "-k"], env=environment, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        subprocess.run([WINE_SERVER, "-w"], env=environment, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=STARTUP_SECONDS)
        shutil.rmtree(self.directory, ignore_errors=True)


class Client:
    """Where the graphics window's client area lies on the screen."""

    def __init__(self, left, top, width, height):
        self.left, self.top, self.width, self.height = left, top, width, height
        self.origin_x, self.origin_y = width // 2, height // 2

    def logical_to_screen(self, x, y):
        return self.left + self.origin_x + x, self.top + self.origin_y - y


class WineBugwalk(session.Bugwalk):
    """bugwalk.exe started by the Wine loader in a directory of its own."""

    def __init__(self, display, prefix, program, directory, arguments=()):
        self.display = display
        self.directory = directory
        environment = display.environment()
        environment.update(prefix.environment)
        command = [WINE_LOADER, program] + list(arguments)
        self.process = subprocess.Popen(command, cwd=directory, env=environment, stdout=subprocess.PIPE,
                                        stderr=subprocess.STDOUT)
        try:
            self.graphics = self.find_window(session.GRAPHICS_TITLE)
        except AssertionError as failure:
            # Now and then on a loaded machine the Wine loader ends with status 1 before the
            # program has made a window, and without a word; the program itself says why
            # whenever it ends early. Such a start is tried once more, and said so.
            if self.process.poll() != 1 or not str(failure).endswith("status 1:\n"):
                raise
            sys.stderr.write("(Wine ended bugwalk.exe before its first window, silently; starting it again) ")
            self.process = subprocess.Popen(command, cwd=directory, env=environment, stdout=subprocess.PIPE,
                                            stderr=subprocess.STDOUT)
            self.graphics = self.find_window(session.GRAPHICS_TITLE)
        self.text = self.find_window(session.TEXT_TITLE)
        self.client = wait_until(self.locate_client, 20, "the graphics window's client area")

    def find_window(self, title):
        def found():
            self.assert_running()
            identifiers = self.display.xdotool("search", "--onlyvisible", "--name",
                                               "^%s$" % title).split()
            return identifiers[0] if identifiers else None
        return self.window_geometry(wait_until(found, STARTUP_SECONDS, "the window " + title))

    def locate_client(self):
        """The client area is the window's full width from the bottom of the menu bar down.
        The menu bar is found as the run of rows, at the right end of the bar where no menu
        title stands, that keep the colour of the window's top row."""
        window = self.window_geometry(self.graphics.identifier)
        if window.width != CLIENT_WIDTH:
            raise AssertionError("the graphics window is %d pixels wide, not %d: a window "
                                 "manager or another frame is in the way" % (window.width, CLIENT_WIDTH))
        column = self.display.screenshot((window.left + window.width - 2, window.top, 1, window.height))
        bar_colour = column.pixel(0, 0)
        bar_height = 0
        while bar_height < window.height and column.pixel(0, bar_height) == bar_colour:
            bar_height += 1
        height = window.height - bar_height
        if height not in CLIENT_HEIGHT_RANGE:
            return None  # the menu bar or the first frame is not drawn yet
        return Client(window.left, window.top + bar_height, window.width, height)

    # ---- what the screen shows ----

    def graphics_client(self):
        c = self.client
        return self.display.screenshot((c.left, c.top, c.width, c.height))

    def logical_region(self, left, top, right, bottom):
        """The screen's pixels over the logical rectangle from (left, top) to (right, bottom),
        corners included, y upward: the same part of the drawing on any client size."""
        x, y = self.client.logical_to_screen(left, top)
        return self.display.screenshot((x, y, right - left + 1, top - bottom + 1))

    # ---- input ----

    def click_logical(self, x, y, repeat=1):
        screen_x, screen_y = self.client.logical_to_screen(x, y)
        self.display.xdotool("mousemove", "--sync", screen_x, screen_y)
        self.display.xdotool("click", "--repeat", repeat, "--delay", 1, 1)
