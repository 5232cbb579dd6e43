#!/usr/bin/python3
"""The first-frame figure of `make bench`, under Wine on the display: the time from starting a
program (wine PROGRAM) to the first frame of its window on the screen, for setup.exe beside the
plain Win32 window of tests/bench/plain_window.cpp started the same way; best of three each.

A frame counts as shown when the screen, where the window's content lies (centred, as both
programs place it), holds what the program draws there: the skin's background for setup.exe,
the fill colour for the plain window. That is the moment a person sees the window; the mapping
of the X window comes earlier, before anything is drawn in it. The screen is read over one
open connection to the X server (python3-xlib), well under a millisecond a look.

Usage: first_frame_bench.py SETUP PLAIN_WINDOW"""

import os
import subprocess
import sys
import time

from PIL import Image
from Xlib import X, display

# Nothing of the modules it imports is cached in the source tree.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "helpers"))
import setup_window_driver as driver  # noqa: E402

ROUNDS = 3
TIMEOUT = 60
WINDOW = (612, 412)
BORDER = 6
# A patch of the content, in content coordinates, where neither program draws anything but its
# background.
PATCH = (100, 100, 140, 140)
PLAIN_FILL = (0x20, 0xC0, 0x60)


def patch_on_screen():
    width, height = driver.screen_size()
    left = (width - WINDOW[0]) // 2 + BORDER
    top = (height - WINDOW[1]) // 2 + BORDER
    return (left + PATCH[0], top + PATCH[1], left + PATCH[2], top + PATCH[3])


class Screen:
    """Reads patches of the screen over one connection."""

    def __init__(self):
        self.root = display.Display().screen().root

    def grab(self, box):
        left, top, right, bottom = box
        raw = self.root.get_image(left, top, right - left, bottom - top, X.ZPixmap, 0xFFFFFFFF)
        return Image.frombytes("RGB", (right - left, bottom - top), raw.data, "raw", "BGRX")


def first_frame_ms(screen, program, expected, where):
    """Milliseconds from the start of program to expected on the screen at where, or None."""
    start = time.monotonic()
    process = subprocess.Popen([driver.WINE, os.path.basename(program)],
                               cwd=os.path.dirname(os.path.abspath(program)),
                               stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    try:
        while time.monotonic() - start < TIMEOUT:
            if driver.difference(screen.grab(where), expected) < 8:
                return (time.monotonic() - start) * 1000
            if process.poll() is not None:
                return None
            # A look a millisecond leaves the machine's cores to the program being timed.
            time.sleep(0.001)
        return None
    finally:
        process.kill()
        process.wait(timeout=TIMEOUT)
        # The next round starts from an empty screen.
        driver.wait_until(lambda: driver.difference(screen.grab(where), expected) >= 8,
                          10)


def main():
    if len(sys.argv) != 3:
        print("usage: first_frame_bench.py SETUP PLAIN_WINDOW", file=sys.stderr)
        return 2
    setup, plain = sys.argv[1:]
    where = patch_on_screen()
    screen = Screen()
    skin = driver.Skin()
    background = skin.images["bg_main.png"].crop(PATCH).convert("RGB")
    fill = Image.new("RGB", background.size, PLAIN_FILL)
    figures = []
    for label, program, expected in (("setup.exe, start to first frame", setup, background),
                                     ("plain Win32 window, the same", plain, fill)):
        times = [first_frame_ms(screen, program, expected, where) for _ in range(ROUNDS)]
        if None in times:
            print("bench: %s showed no frame within %d s" % (program, TIMEOUT), file=sys.stderr)
            return 1
        figures.append(min(times))
        print("%-48s %9.1f ms" % (label, min(times)))
    print("%-48s %9.2f" % ("ratio (setup.exe / plain window)", figures[0] / figures[1]))
    return 0


if __name__ == "__main__":
    sys.exit(main())
