#!/usr/bin/env python3
"""Draws the sample skin (samples/skin/*.png) and writes samples/theme.txt, with the standard
library only. The files are committed; run this again after changing it."""

import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))


def png(width, height, pixel):
    """An 8-bit RGBA PNG whose pixel (x, y) is pixel(x, y) -> (r, g, b, a)."""
    rows = b"".join(
        b"\0" + b"".join(struct.pack("4B", *pixel(x, y)) for x in range(width))
        for y in range(height))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))


def background(x, y):
    # A vertical blue gradient, lighter towards the bottom.
    shade = y * 80 // 400
    return (30 + shade, 90 + shade, 170 + shade // 2, 255)


def start_button(x, y):
    # Three frames stacked: normal, hover, pressed.
    frame = y // 40
    base = (40, 160, 90) if frame == 0 else (60, 190, 110) if frame == 1 else (30, 120, 70)
    inside = 2 <= x < 176 and 2 <= y % 40 < 38
    return base + (255,) if inside else (255, 255, 255, 160)


def logo(x, y):
    # A white disc with soft edges on a transparent ground.
    distance = ((x - 24) ** 2 + (y - 24) ** 2) ** 0.5
    alpha = max(0, min(255, int((22 - distance) * 128)))
    return (255, 255, 255, alpha)


def main():
    images = {"bg_main.png": (600, 400, background),
              "btn_start.png": (178, 120, start_button),
              "logo.png": (48, 48, logo)}
    for name, (width, height, pixel) in images.items():
        with open(os.path.join(HERE, "skin", name), "wb") as out:
            out.write(png(width, height, pixel))
    theme = '{"forecolor":"#FF808080","backcolor":"#FFFFFFFF","textcolor":"#FF336699"}'
    with open(os.path.join(HERE, "theme.txt"), "wb") as out:
        out.write(theme.encode("utf-16-le"))


if __name__ == "__main__":
    main()
