#!/usr/bin/python3
"""Draws the default skin: every image of the install window into samples/skin/, the window's
border image into samples/border.png and the colours into samples/theme.txt. The files are
committed and the installer stub carries them as resources; run this again after changing it.
The output is the same bytes on every run (no dates, no randomness).

    make_skin.py [--out FOLDER]     write the skin (default: beside this script)
    make_skin.py --preview FOLDER   also composite the three pages (first, progress at 60 %,
                                    finish) and the hover and pressed states into FOLDER, laid
                                    out as the install window lays out its elements

Needs Debian's python3-pil and fonts-wqy-microhei (the labels are Chinese text)."""

import argparse
import math
import os

from PIL import Image, ImageDraw, ImageFilter, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
FONT_FILE = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"
# Shapes are drawn this many times larger and scaled down, for smooth edges.
SCALE = 4

WINDOW = (600, 400)
BORDER = 6

# The palette: a blue-to-violet banner over a white panel, an orange call to action.
BLUE = (41, 121, 255)
BLUE_LIGHT = (92, 156, 255)
BLUE_DARK = (24, 88, 208)
VIOLET = (118, 84, 246)
ORANGE_TOP, ORANGE_BOTTOM = (255, 166, 64), (255, 110, 48)
WHITE = (255, 255, 255)
INK = (77, 77, 77)          # the window's own texts (theme text colour)
MUTED = (128, 136, 150)     # secondary labels
LINE = (206, 213, 223)
TRACK = (228, 233, 240)
CLOSE_RED, CLOSE_RED_DARK = (232, 72, 85), (196, 43, 56)


def font(size):
    # The basic layout engine: the same glyph positions whether or not libraqm is installed.
    return ImageFont.truetype(FONT_FILE, size, layout_engine=ImageFont.Layout.BASIC)


def blank(width, height, colour=(0, 0, 0, 0)):
    return Image.new("RGBA", (width, height), colour)


def smooth_mask(width, height, paint):
    """An antialiased mask: paint(draw, s) draws in white on a canvas s times larger."""
    big = Image.new("L", (width * SCALE, height * SCALE), 0)
    paint(ImageDraw.Draw(big), SCALE)
    return big.resize((width, height), Image.BOX)


def filled(mask, colour):
    """colour (a solid RGB or RGBA, or an image of the mask's size) shown through mask."""
    if isinstance(colour, Image.Image):
        layer = colour.copy()
    else:
        layer = blank(mask.width, mask.height, tuple(colour[:3]) + (255,))
    alpha = colour[3] if not isinstance(colour, Image.Image) and len(colour) == 4 else 255
    layer.putalpha(mask.point(lambda value: value * alpha // 255))
    return layer


def over(base, layer, at=(0, 0)):
    base.alpha_composite(layer, at)
    return base


def mix(first, second, t):
    return tuple(round(a + (b - a) * t) for a, b in zip(first, second))


def vertical_gradient(width, height, top, bottom):
    image = blank(width, height)
    draw = ImageDraw.Draw(image)
    for y in range(height):
        draw.line([(0, y), (width - 1, y)], fill=mix(top, bottom, y / max(1, height - 1)) + (255,))
    return image


def diagonal_gradient(width, height, start, end):
    """start at the top-left corner, end at the bottom-right one."""
    image = blank(width, height)
    span = width * width + height * height
    image.putdata([mix(start, end, (x * width + y * height) / span) + (255,)
                   for y in range(height) for x in range(width)])
    return image


def shadow(mask, colour, blur, offset=(0, 0)):
    """A soft shadow of mask, blurred and moved by offset, in colour (RGBA)."""
    moved = Image.new("L", mask.size, 0)
    moved.paste(mask, offset)
    return filled(moved.filter(ImageFilter.GaussianBlur(blur)), colour)


def text_size(text, size):
    left, top, right, bottom = font(size).getbbox(text)
    return right - left, bottom - top


def write_text(image, xy, text, size, colour, anchor="mm", bold=False):
    """Text at xy by its anchor. Bold text is drawn larger with thickened strokes and scaled
    down: the face has one weight, and a whole pixel of stroke would blot small glyphs."""
    if not bold:
        ImageDraw.Draw(image).text(xy, text, font=font(size), fill=colour, anchor=anchor)
        return image
    big = blank(image.width * SCALE, image.height * SCALE)
    ImageDraw.Draw(big).text((xy[0] * SCALE, xy[1] * SCALE), text, font=font(size * SCALE),
                             fill=colour, anchor=anchor, stroke_width=SCALE // 2,
                             stroke_fill=colour)
    return over(image, big.resize(image.size, Image.BOX))


def label_image(text, size, colour, height, underline=False):
    """A line of text in an image as wide as its ink, centred vertically in height rows."""
    left, _, right, _ = font(size).getbbox(text, anchor="lm")
    image = blank(right - left, height)
    write_text(image, (-left, height / 2), text, size, colour, anchor="lm")
    if underline:
        ImageDraw.Draw(image).line([(0, height - 2), (image.width - 1, height - 2)], fill=colour)
    return image


def frames(*images):
    """Normal, hover and pressed frames stacked from the top."""
    width, height = images[0].size
    stack = blank(width, height * len(images))
    for i, image in enumerate(images):
        stack.paste(image, (0, i * height))
    return stack


# The images.

def wave(x, base, amplitude, turns, phase):
    return base + amplitude * math.sin(2 * math.pi * turns * x / WINDOW[0] + phase)


def wave_mask(base, amplitude, turns, phase):
    width, height = WINDOW

    def paint(draw, s):
        edge = [(x * s, wave(x, base, amplitude, turns, phase) * s) for x in range(width + 1)]
        draw.polygon([(0, 0), (width * s, 0)] + edge[::-1], fill=255)
    return smooth_mask(width, height, paint)


def background():
    width, height = WINDOW
    image = blank(width, height, WHITE + (255,))
    # A paler band under the banner gives its lower edge depth.
    over(image, filled(wave_mask(284, 9, 0.8, 2.4), BLUE_LIGHT + (70,)))
    banner = diagonal_gradient(width, height, (30, 108, 255), VIOLET)
    light = blank(width, height)
    for cx, cy, r, alpha in ((548, 34, 132, 22), (600, 250, 96, 14), (46, 236, 88, 16),
                             (250, -40, 70, 12)):
        over(light, filled(smooth_mask(width, height, lambda d, s, cx=cx, cy=cy, r=r: d.ellipse(
            [(cx - r) * s, (cy - r) * s, (cx + r) * s, (cy + r) * s], fill=255)),
            WHITE + (alpha,)))
    over(banner, light)
    over(image, filled(wave_mask(274, 11, 0.7, 0.3), banner))
    write_text(image, (width / 2, 104), "示例客户端", 38, WHITE, bold=True)
    write_text(image, (width / 2, 148), "轻巧  ·  快速  ·  安全", 15, WHITE + (215,))
    return image


def logo():
    name_width, _ = text_size("示例客户端", 16)
    image = blank(36 + name_width + 2, 30)
    badge = smooth_mask(30, 30, lambda d, s: d.rounded_rectangle(
        [s, s, 29 * s, 29 * s], radius=8 * s, fill=255))
    over(image, filled(badge, WHITE))
    write_text(image, (15, 15), "示", 18, BLUE, bold=True)
    return write_text(image, (38, 15), "示例客户端", 16, WHITE, anchor="lm")


def glyph_button(glyph, backs):
    """A 24 x 24 caption button in three frames: the white glyph over each frame's back."""
    def frame(back):
        image = blank(24, 24)
        if back is not None:
            over(image, filled(smooth_mask(24, 24, lambda d, s: d.rounded_rectangle(
                [0, 0, 24 * s, 24 * s], radius=5 * s, fill=255)), back))
        return over(image, filled(smooth_mask(24, 24, glyph), WHITE))
    return frames(*(frame(back) for back in backs))


def close_glyph(draw, s):
    for (x0, y0, x1, y1) in ((7, 7, 17, 17), (7, 17, 17, 7)):
        draw.line([x0 * s, y0 * s, x1 * s, y1 * s], fill=255, width=int(1.6 * s))


def minimise_glyph(draw, s):
    draw.line([7 * s, 12 * s, 17 * s, 12 * s], fill=255, width=int(1.6 * s))


def pill(width, height, top, bottom, lift):
    """A rounded button of width x height inside a frame with room for its shadow; lift moves
    the shadow down (a pressed button sits lower and casts less)."""
    frame_width, frame_height = width + 8, height + 8
    shape = smooth_mask(frame_width, frame_height, lambda d, s: d.rounded_rectangle(
        [4 * s, (2 + (2 - lift) // 2) * s, (4 + width) * s, (2 + (2 - lift) // 2 + height) * s],
        radius=height * s // 2, fill=255))
    image = shadow(shape, ORANGE_BOTTOM + (60 + 25 * lift,), 1.5 + lift, (0, lift))
    over(image, filled(shape, vertical_gradient(frame_width, frame_height, top, bottom)))
    # A thin highlight along the top edge.
    rim = smooth_mask(frame_width, frame_height, lambda d, s: d.rounded_rectangle(
        [5 * s, (3 + (2 - lift) // 2) * s, (3 + width) * s, (1 + (2 - lift) // 2 + height) * s],
        radius=(height - 2) * s // 2, outline=255, width=s))
    rim.paste(0, (0, frame_height // 2, frame_width, frame_height))
    return over(image, filled(rim, WHITE + (70,)))


def call_to_action(text):
    """The 178-pixel start and finish buttons: normal, hover (lighter, raised) and pressed
    (darker, lower)."""
    looks = ((ORANGE_TOP, ORANGE_BOTTOM, 2),
             (mix(ORANGE_TOP, WHITE, 0.18), mix(ORANGE_BOTTOM, WHITE, 0.18), 3),
             (mix(ORANGE_TOP, (150, 50, 0), 0.2), mix(ORANGE_BOTTOM, (150, 50, 0), 0.2), 0))
    images = []
    for top, bottom, lift in looks:
        image = pill(170, 38, top, bottom, lift)
        write_text(image, (89, 2 + (2 - lift) // 2 + 19), text, 18, WHITE, bold=True)
        images.append(image)
    return frames(*images)


def folder_box():
    # An underlined field: the folder's text starts just inside its left end.
    image = blank(60, 28)
    ImageDraw.Draw(image).line([(0, 27), (59, 27)], fill=LINE + (255,))
    return image


def browse_button():
    def frame(fill, text_colour):
        image = blank(64, 28)
        box = smooth_mask(64, 28, lambda d, s: d.rounded_rectangle(
            [s // 2, s // 2, 64 * s - s // 2, 28 * s - s // 2], radius=5 * s, fill=255))
        outline = smooth_mask(64, 28, lambda d, s: d.rounded_rectangle(
            [s // 2, s // 2, 64 * s - s // 2, 28 * s - s // 2], radius=5 * s, outline=255,
            width=s))
        if fill is not None:
            over(image, filled(box, fill))
        over(image, filled(outline, BLUE))
        return write_text(image, (32, 14), "浏览...", 13, text_colour)
    return frames(frame(None, BLUE), frame(BLUE + (28,), BLUE), frame(BLUE, WHITE))


def check_box(checked):
    def frame(fill, edge):
        box = smooth_mask(13, 13, lambda d, s: d.rounded_rectangle(
            [0, 0, 13 * s - 1, 13 * s - 1], radius=3 * s, fill=255))
        inner = smooth_mask(13, 13, lambda d, s: d.rounded_rectangle(
            [s, s, 12 * s - 1, 12 * s - 1], radius=2 * s, fill=255))
        image = filled(box, edge)
        over(image, filled(inner, fill))
        if checked:
            over(image, filled(smooth_mask(13, 13, lambda d, s: d.line(
                [(3 * s, 6.5 * s), (5.5 * s, 9 * s), (10 * s, 4 * s)], fill=255,
                width=int(1.7 * s), joint="curve")), WHITE))
        return image
    if checked:
        return frames(frame(BLUE, BLUE), frame(BLUE_LIGHT, BLUE_LIGHT), frame(BLUE_DARK, BLUE_DARK))
    return frames(frame(WHITE, (176, 184, 198)), frame(WHITE, BLUE), frame((226, 236, 255), BLUE_DARK))


def bar(colour, width=12, height=6):
    return filled(smooth_mask(width, height, lambda d, s: d.rounded_rectangle(
        [0, 0, width * s - 1, height * s - 1], radius=height * s // 2, fill=255)), colour)


def progress_fill():
    return over(bar(BLUE), filled(smooth_mask(12, 6, lambda d, s: d.rounded_rectangle(
        [0, 0, 12 * s - 1, 6 * s - 1], radius=3 * s, fill=255)),
        vertical_gradient(12, 6, BLUE_LIGHT, BLUE_DARK)))


def progress_dot():
    disc = smooth_mask(16, 16, lambda d, s: d.ellipse([2 * s, 2 * s, 14 * s, 14 * s], fill=255))
    image = shadow(disc, BLUE_DARK + (90,), 1.2, (0, 1))
    over(image, filled(disc, BLUE))
    return over(image, filled(smooth_mask(16, 16, lambda d, s: d.ellipse(
        [5 * s, 5 * s, 11 * s, 11 * s], fill=255)), WHITE))


def waiting():
    image = blank(236, 44)
    body = smooth_mask(236, 44, lambda d, s: d.rounded_rectangle(
        [0, 0, 236 * s - 1, 44 * s - 1], radius=22 * s, fill=255))
    over(image, filled(body, WHITE + (40,)))
    over(image, filled(smooth_mask(236, 44, lambda d, s: d.rounded_rectangle(
        [0, 0, 236 * s - 1, 44 * s - 1], radius=22 * s, outline=255, width=s)), WHITE + (90,)))
    # A spinner's ring, three quarters drawn.
    over(image, filled(smooth_mask(236, 44, lambda d, s: d.ellipse(
        [18 * s, 13 * s, 36 * s, 31 * s], outline=255, width=int(2.2 * s))), WHITE + (80,)))
    over(image, filled(smooth_mask(236, 44, lambda d, s: d.arc(
        [18 * s, 13 * s, 36 * s, 31 * s], 200, 470, fill=255, width=int(2.2 * s))), WHITE))
    return write_text(image, (48, 22), "正在安装，请稍候…", 16, WHITE, anchor="lm")


def border():
    """The window's soft shadow, as a nine-part image: 6-pixel corners and edges around a
    centre that is never drawn."""
    size = 3 * BORDER
    image = blank(size, size)
    pixels = []
    for y in range(size):
        for x in range(size):
            dx = max(BORDER - (x + 0.5), 0, (x + 0.5) - 2 * BORDER)
            dy = max(BORDER - (y + 0.5), 0, (y + 0.5) - 2 * BORDER)
            reach = 1 - math.hypot(dx, dy) / BORDER
            inside = dx == 0 and dy == 0
            pixels.append((0, 0, 0, 0 if inside or reach <= 0 else round(72 * reach * reach)))
    image.putdata(pixels)
    return image


def skin_images():
    return {
        "bg_main.png": background(),
        "logo.png": logo(),
        "btn_close.png": glyph_button(close_glyph, (None, CLOSE_RED + (255,), CLOSE_RED_DARK + (255,))),
        "btn_min.png": glyph_button(minimise_glyph, (None, WHITE + (48,), WHITE + (90,))),
        "copyright.png": label_image("Copyright © 示例网络科技 版权所有", 12, MUTED, 16),
        "waiting.png": waiting(),
        "btn_start.png": call_to_action("立即安装"),
        "btn_finish.png": call_to_action("立即体验"),
        "edit.png": folder_box(),
        "btn_browse.png": browse_button(),
        "check.png": check_box(False),
        "checked.png": check_box(True),
        "agree.png": label_image("我已阅读并同意", 12, MUTED, 15),
        "protocol.png": frames(label_image("《用户许可协议》", 12, BLUE, 15),
                               label_image("《用户许可协议》", 12, BLUE_LIGHT, 15, underline=True),
                               label_image("《用户许可协议》", 12, BLUE_DARK, 15, underline=True)),
        "progress_sink.png": bar(TRACK),
        "progress_pos.png": progress_fill(),
        "progress_dot.png": progress_dot(),
    }


# The theme: the window's texts take the text colour, whose low 24 bits reach GDI as
# 0x00BBGGRR; a grey reads the same in either byte order.
THEME = '{"forecolor":"#FF2979FF","backcolor":"#FFFFFFFF","textcolor":"#FF4D4D4D"}'


def save_png(image, path):
    # Always 8-bit RGBA: the installer's decoder refuses palette and grey images.
    image.convert("RGBA").save(path, "PNG", compress_level=9)


# The preview: the elements placed by the window's anchor layout rule.

def anchor_layout(container, record):
    """The rectangle of a layout record (left, right anchor, top, bottom anchor, width, right
    margin, height, bottom margin; -1 not given) inside container (l, t, r, b)."""
    cl, ct, cr, cb = container
    left, right_anchor, top, bottom_anchor, width, right_margin, height, bottom_margin = record
    w = width if width != -1 else (cr - cl) >> 1
    h = height if height != -1 else (cb - ct) >> 1
    l, t = cl + left, ct + top
    r, b = l + w, t + h
    if left == -1 and right_anchor == -1:
        l = cl + ((cr - cl - w) >> 1)
        r = l + w
    elif left == -1:
        r = cr if right_margin < 0 else cr - right_margin
        l = r - w
    elif width == 0 and right_margin >= 0:
        r = cr - right_margin
    if top == -1 and bottom_anchor == -1:
        t = ct + ((cb - ct - h) >> 1)
        b = t + h
    elif top == -1:
        b = cb - bottom_margin
        t = b - h
    elif height == 0 and bottom_margin >= 0:
        b = cb - bottom_margin
    return l, t, r, b


def nine_part(image, size, insets, centre=True):
    """image stretched to size with its inset margins kept, as the render device draws it."""
    width, height = size
    left, top, right, bottom = insets
    out = blank(width, height)
    columns = ((0, left, 0, left), (left, image.width - right, left, width - right),
               (image.width - right, image.width, width - right, width))
    rows = ((0, top, 0, top), (top, image.height - bottom, top, height - bottom),
            (image.height - bottom, image.height, height - bottom, height))
    for row, (sy0, sy1, dy0, dy1) in enumerate(rows):
        for column, (sx0, sx1, dx0, dx1) in enumerate(columns):
            if (row, column) == (1, 1) and not centre:
                continue
            if sx1 > sx0 and sy1 > sy0 and dx1 > dx0 and dy1 > dy0:
                piece = image.crop((sx0, sy0, sx1, sy1)).resize((dx1 - dx0, dy1 - dy0))
                out.alpha_composite(piece, (dx0, dy0))
    return out


def frame_of(image, count, state):
    height = image.height // count
    return image.crop((0, state * height, image.width, (state + 1) * height))


def window_font_size(cell_height):
    """The size of the face whose cell is cell_height pixels, as the window asks GDI for it."""
    size = cell_height
    while size > 1 and sum(font(size).getmetrics()) > cell_height:
        size -= 1
    return size


def window_text(canvas, rect, text, cell_height, bold=False):
    # The window's text elements start 3 pixels inside their rectangle, centred vertically.
    write_text(canvas, (rect[0] + 3, (rect[1] + rect[3]) / 2), text,
               window_font_size(cell_height), INK, anchor="lm", bold=bold)


def compose_page(skin, page, states, percent=60):
    """The window (content and border) showing page 'first', 'progress' or 'finish', with the
    buttons in states (name -> 0, 1 or 2), over a desktop-coloured ground."""
    width, height = WINDOW
    window = blank(width + 2 * BORDER, height + 2 * BORDER)
    window.alpha_composite(nine_part(skin["border.png"], window.size, (BORDER,) * 4, False))
    content = blank(width, height)
    box = (0, 0, width, height)

    def place(name, record, count=1, insets=(0, 0, 0, 0), image=None):
        image = image or skin[name]
        rect = anchor_layout(box, record)
        state = states.get(name, 0) if count > 1 else 0
        piece = frame_of(image, count, state)
        size = (rect[2] - rect[0], rect[3] - rect[1])
        content.alpha_composite(nine_part(piece, size, insets) if size != piece.size else piece,
                                rect[:2])
        return rect

    def w(name):
        return skin[name].width

    def h(name, count=1):
        return skin[name].height // count

    place("bg_main.png", (0, 0, 0, 0, 0, 0, 0, 0))
    place("logo.png", (20, 0, 10, 0, w("logo.png"), 0, h("logo.png"), 0))
    place("btn_close.png", (-1, 0, 10, 0, w("btn_close.png"), 10, h("btn_close.png", 3), 0), 3)
    place("btn_min.png", (-1, 0, 10, 0, w("btn_min.png"), 35, h("btn_min.png", 3), 0), 3)
    place("copyright.png", (-1, 0, -1, 0, w("copyright.png"), 20, h("copyright.png"), 10))
    if page == "first":
        place("btn_start.png", (-1, -1, -1, -1, 178, 0, h("btn_start.png", 3), 0), 3)
        folder = place("edit.png", (20, 0, -1, 0, 0, 90, h("edit.png"), 40),
                       insets=(20, 0, 20, 0))
        window_text(content, folder, "C:\\Program Files\\Example\\democlient\\", 15)
        place("btn_browse.png", (-1, 0, -1, 0, w("btn_browse.png"), 20, h("btn_browse.png", 3),
                                 40), 3, insets=(20, 0, 20, 0))
        row = 50 + h("btn_browse.png", 3)
        place("checked.png", (20, 0, -1, 0, 13, 0, h("checked.png", 3), row), 3)
        place("agree.png", (36, 0, -1, 0, w("agree.png"), 0, h("agree.png"), row))
        place("protocol.png", (42 + w("agree.png"), 0, -1, 0, w("protocol.png"), 0,
                               h("protocol.png", 3), row), 3)
    elif page == "progress":
        place("waiting.png", (-1, -1, -1, -1, w("waiting.png"), 0, h("waiting.png"), 0))
        status = anchor_layout(box, (20, 0, -1, 0, 0, 90, 15, 72))
        window_text(content, status, "C:\\Program Files\\Example\\democlient\\data\\settings.ini",
                    15)
        window_text(content, anchor_layout(box, (-1, 0, -1, 0, 70, 20, 32, 59)), "%d%%" % percent,
                    32, bold=True)
        track = place("progress_sink.png", (20, 0, -1, 0, 0, 20, h("progress_sink.png"), 54),
                      insets=(3, 0, 3, 0))
        fill_top = track[1] + ((track[3] - track[1]) // 2 - h("progress_pos.png") // 2)
        clip_right = track[0] + (track[2] - track[0]) * percent // 100
        fill = nine_part(skin["progress_pos.png"], (track[2] - track[0], h("progress_pos.png")),
                         (3, 0, 3, 0)).crop((0, 0, clip_right - track[0], h("progress_pos.png")))
        content.alpha_composite(fill, (track[0], fill_top))
        dot = skin["progress_dot.png"]
        content.alpha_composite(dot, (clip_right - dot.width // 2,
                                      track[1] + ((track[3] - track[1]) // 2 - dot.height // 2)))
    else:
        place("btn_start.png", (-1, -1, -1, -1, 178, 0, h("btn_finish.png", 3), 0), 3,
              image=skin["btn_finish.png"])
    window.alpha_composite(content, (BORDER, BORDER))
    desktop = blank(window.width + 40, window.height + 40, (92, 110, 130, 255))
    return over(desktop, window, (20, 20))


def preview(skin, folder):
    os.makedirs(folder, exist_ok=True)
    pages = {
        "first": ("first", {}),
        "first-hover": ("first", {n: 1 for n in ("btn_start.png", "btn_close.png", "btn_min.png",
                                                  "btn_browse.png", "checked.png",
                                                  "protocol.png")}),
        "first-pressed": ("first", {n: 2 for n in ("btn_start.png", "btn_close.png",
                                                    "btn_min.png", "btn_browse.png",
                                                    "checked.png", "protocol.png")}),
        "progress": ("progress", {}),
        "finish": ("finish", {}),
    }
    for name, (page, states) in pages.items():
        compose_page(skin, page, states).save(os.path.join(folder, name + ".png"))


def main():
    parser = argparse.ArgumentParser(description="Draws the default skin.")
    parser.add_argument("--out", default=HERE, help="where samples/ is (default: beside me)")
    parser.add_argument("--preview", metavar="FOLDER", help="also composite the pages here")
    options = parser.parse_args()
    skin = skin_images()
    os.makedirs(os.path.join(options.out, "skin"), exist_ok=True)
    for name, image in skin.items():
        save_png(image, os.path.join(options.out, "skin", name))
    skin["border.png"] = border()
    save_png(skin["border.png"], os.path.join(options.out, "border.png"))
    with open(os.path.join(options.out, "theme.txt"), "wb") as out:
        out.write(THEME.encode("utf-16-le"))
    if options.preview:
        preview(skin, options.preview)


if __name__ == "__main__":
    main()
