#!/usr/bin/python3
"""Checks the committed default skin: make_skin.py draws the same bytes again, every image is
one the installer decodes (8-bit RGBA PNG), and the images fit the window's layout. Prints
"N passed, M failed"."""

import os
import struct
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
SAMPLES = os.path.join(ROOT, "samples")
IMAGES = ("bg_main agree btn_browse btn_close btn_finish btn_min btn_start check checked "
          "copyright edit logo progress_dot progress_pos progress_sink protocol waiting").split()
# Images of three stacked frames: normal, hover, pressed.
THREE_FRAMES = "btn_browse btn_close btn_finish btn_min btn_start check checked protocol".split()

results = []


def check(name, ok, detail=""):
    results.append(ok)
    print(("ok      " if ok else "FAILED  ") + name + ("" if ok else ": " + detail))


def read(path):
    with open(path, "rb") as file:
        return file.read()


def png_header(path):
    """(width, height, bit depth, colour type) of a PNG file, or None."""
    with open(path, "rb") as file:
        start = file.read(26)
    if len(start) < 26 or start[:8] != b"\x89PNG\r\n\x1a\n" or start[12:16] != b"IHDR":
        return None
    return struct.unpack(">IIBB", start[16:26])


def main():
    committed = [os.path.join("skin", name + ".png") for name in IMAGES]
    committed += ["border.png", "theme.txt"]
    with tempfile.TemporaryDirectory() as out:
        run = subprocess.run([sys.executable, os.path.join(SAMPLES, "make_skin.py"), "--out", out],
                             capture_output=True, text=True)
        check("make_skin.py runs", run.returncode == 0, run.stderr.strip())
        drawn = sorted(os.listdir(os.path.join(out, "skin"))) if run.returncode == 0 else []
        check("it draws exactly the window's images", drawn == sorted(n + ".png" for n in IMAGES),
              " ".join(drawn))
        for name in committed:
            again = os.path.join(out, name)
            same = os.path.exists(again) and read(again) == read(os.path.join(SAMPLES, name))
            check(name + " is drawn again byte for byte", same, "differs from the committed file")

    headers = {}
    for name in IMAGES + ["border"]:
        folder = SAMPLES if name == "border" else os.path.join(SAMPLES, "skin")
        headers[name] = png_header(os.path.join(folder, name + ".png"))
        check(name + ".png is an 8-bit RGBA PNG",
              headers[name] is not None and headers[name][2:] == (8, 6), str(headers[name]))
    size = {name: header[:2] for name, header in headers.items() if header is not None}
    check("bg_main.png fills the 600 x 400 window", size.get("bg_main") == (600, 400),
          str(size.get("bg_main")))
    check("the border is a nine-part image of 6-pixel parts", size.get("border") == (18, 18),
          str(size.get("border")))
    for name in THREE_FRAMES:
        check(name + ".png holds three whole frames", name in size and size[name][1] % 3 == 0,
              str(size.get(name)))
    # The finish button takes the start button's place without a new layout, and the start
    # button is laid out 178 pixels wide.
    check("btn_finish.png has btn_start.png's size, 178 wide",
          size.get("btn_finish") == size.get("btn_start") and size["btn_start"][0] == 178,
          "%s, %s" % (size.get("btn_start"), size.get("btn_finish")))
    check("the check boxes are 13 wide, as laid out",
          size.get("check", (0,))[0] == 13 and size.get("checked") == size.get("check"),
          "%s, %s" % (size.get("check"), size.get("checked")))

    failed = results.count(False)
    print("%d passed, %d failed" % (len(results) - failed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
