"""Takes the README's picture from the real program: both windows, SCARE mode with three bugs,
logging on, and the "&Run" menu open.

Run as: python3 -B readme_screenshot.py PATH/TO/bugwalk OUTPUT.png"""

import shutil
import sys
import tempfile

import session
from session import Bugwalk, VirtualDisplay

# On a 1024 by 768 screen the text window's top edge, 2 * 768 / 3 + 1, lies just below the
# graphics window, so the picture has little empty screen.
SCREEN = (1024, 768)
POINTER_REST = (1010, 10)


def main(program, output):
    display = VirtualDisplay(*SCREEN)
    directory = tempfile.mkdtemp(prefix="bugwalk-screenshot-")
    bugwalk = None
    try:
        bugwalk = Bugwalk(display, program, directory)
        session.wait_until(lambda: (bugwalk.refresh_geometry(), bugwalk.graphics.height)[1]
                           == bugwalk.graphics.height and bugwalk.graphics_client().count(
                               lambda pixel: pixel != 0xFFFFFF) > 10000, 10, "the first frame")
        bugwalk.refresh_geometry()
        bugwalk.click_button("Add Bug", repeat=2)
        bugwalk.click_button("SCARE")
        # The walk goes on until the first scare figure stands over the backdrop.
        start = bugwalk.graphics_client()
        for _ in range(8):
            start = bugwalk.wait_until_changed(start)
        bugwalk.focus(bugwalk.graphics)
        bugwalk.key("ctrl+l")
        session.wait_until(lambda: bugwalk.text_client().count(lambda pixel: pixel == 0) > 2000, 10,
                           "log lines")
        x, y = bugwalk.menu_bar_point()
        display.move_pointer(x, y)
        display.xdotool("click", 1)
        display.move_pointer(*POINTER_REST)
        # The menu is open when the client's top-left corner no longer shows the panel.
        session.wait_until(lambda: bugwalk.graphics_client().crop(0, 0, 120, 120) != start.crop(0, 0, 120, 120),
                           10, "the menu to open")
        bugwalk.wait_until_changed(bugwalk.graphics_client())
        display.screenshot().write_png(output)
        bugwalk.key("Escape")
        bugwalk.key("ctrl+q")
        bugwalk.wait_for_exit()
    finally:
        if bugwalk is not None:
            bugwalk.kill()
        display.close()
        shutil.rmtree(directory, ignore_errors=True)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2])
