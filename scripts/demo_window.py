#!/usr/bin/python3
"""The demo's install through the window: starts SETUP, the installer of the product named NAME,
under Wine on the display, clicks through its three pages as a person would (start, finish) and
saves a screenshot of each page to FOLDER, printing the paths. Exits non-zero when a step did
not happen.

Usage: demo_window.py SETUP NAME FOLDER"""

import os
import sys

# Nothing of the modules it imports is cached in the source tree.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests",
                                "helpers"))
import setup_window_driver as driver  # noqa: E402

PAGES = ("first", "progress", "finish")


def main():
    if len(sys.argv) != 4:
        print("usage: demo_window.py SETUP NAME FOLDER", file=sys.stderr)
        return 2
    setup, name, folder = sys.argv[1:]
    saved = {}

    def save(page, shot):
        if shot is not None:
            saved[page] = os.path.join(folder, "window-%s-page.png" % page)
            shot.save(saved[page])

    log = os.path.join(folder, "window-setup.log")
    with driver.SetupWindow(os.path.abspath(setup), name, log=log) as window:
        pages = (driver.through_first_page(window, save), driver.through_install(window, save))
        for steps in pages:
            for step, ok in steps:
                print(("  " if ok else "  FAILED: ") + step, flush=True)
                if not ok:
                    shot = driver.capture_screen()
                    if shot is not None:
                        path = os.path.join(folder, "window-failed-screen.png")
                        shot.save(path)
                        print("  the screen then: " + path)
                    return 1
    for page in PAGES:
        print("%-8s page: %s" % (page, saved.get(page, "(it passed too quickly to be seen)")))
    return 0


if __name__ == "__main__":
    sys.exit(main())
