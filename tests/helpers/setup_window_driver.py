"""Drives setup.exe's install window under Wine as a person would: finds the window on the X
display by its title, places its elements on the screen from their layout records, the skin
images' sizes and the window's place, moves the real pointer there and clicks (xdotool, through
the X server's test extension), and reads from the screen what the window shows. The end-to-end
test of the window, `make demo` and `make bench` share it.

Needs xdotool, ImageMagick's import, Debian's python3-pil and a display (DISPLAY)."""

import io
import os
import subprocess
import sys
import time

from PIL import Image, ImageChops, ImageStat

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, "samples"))
from make_skin import anchor_layout  # noqa: E402  the window's own rule, as the skin preview has it

WINE = os.environ.get("WINE", "/usr/lib/wine/wine64")
SKIN = os.path.join(ROOT, "samples", "skin")
CONTENT = (600, 400)
# The layout rules and the skin's sizes are in units of 96 DPI; from 168 DPI (175 %) on, a
# skin's name@2x.png stands in for name.png.
STANDARD_DPI = 96
DOUBLE_SIZE_DPI = 168
# What the window's accessible object calls its elements, by their names here.
ACCESSIBLE_NAMES = {"官方网站": "logo", "关闭": "close", "最小化": "minimise",
                    "版权信息": "copyright", "正在安装": "waiting", "开始安装": "start",
                    "完成": "finish", "安装目录": "folder", "浏览...": "browse",
                    "我已阅读并同意用户许可协议": "check", "用户许可协议": "protocol"}
# MSAA roles and states the window's children have.
ROLE_LINK, ROLE_GRAPHIC, ROLE_STATIC_TEXT, ROLE_TEXT = 30, 40, 41, 42
ROLE_PUSH_BUTTON, ROLE_CHECK_BOX, ROLE_PROGRESS_BAR = 43, 44, 48
STATE_FOCUSED, STATE_CHECKED, STATE_INVISIBLE = 0x4, 0x10, 0x8000


def scale_to_dpi(value, dpi):
    """value (in 96-DPI units) at dpi, as the window rounds it: to the nearest pixel, halves
    away from zero."""
    scaled = value * dpi
    return (scaled + 48) // 96 if scaled >= 0 else -((-scaled + 48) // 96)


def scale_layout(record, dpi):
    """A layout record at dpi, as the window scales it: lengths scaled, -1 (not given) for
    positions and sizes and the anchors kept."""
    left, right_anchor, top, bottom_anchor, width, right_margin, height, bottom_margin = record

    def given(value):
        return value if value == -1 else scale_to_dpi(value, dpi)
    return (given(left), right_anchor, given(top), bottom_anchor, given(width),
            scale_to_dpi(right_margin, dpi), given(height), scale_to_dpi(bottom_margin, dpi))


def ring_band(rect, dpi):
    """The boxes of the focus ring's outer band (its fore colour) around rect: the inner band,
    in the back colour, is the first pixel around the element, the outer one the two beyond (at
    96 DPI)."""
    inner = max(1, scale_to_dpi(1, dpi))
    outer = inner + max(1, scale_to_dpi(2, dpi))
    left, top, right, bottom = rect
    return [(left - outer, top - outer, right + outer, top - inner),
            (left - outer, bottom + inner, right + outer, bottom + outer),
            (left - outer, top - inner, left - inner, bottom + inner),
            (right + inner, top - inner, right + outer, bottom + inner)]
# What every X request may take at most; a display that answers slower than this is broken.
X_TIMEOUT = 20


def element_table(size):
    """Where the window's elements a person looks at or clicks go, as the window lays them out:
    name -> (image, frames stacked in it, layout record). size(image) is the image's width and
    height."""
    def w(image):
        return size(image)[0]

    def h(image, frames=1):
        return size(image)[1] // frames

    # The agreement row sits the browse button's height above the folder row.
    row = 50 + h("btn_browse.png", 3)
    return {
        "logo": ("logo.png", 1, (20, 0, 10, 0, w("logo.png"), 0, h("logo.png"), 0)),
        "close": ("btn_close.png", 3,
                  (-1, 0, 10, 0, w("btn_close.png"), 10, h("btn_close.png", 3), 0)),
        "minimise": ("btn_min.png", 3,
                     (-1, 0, 10, 0, w("btn_min.png"), 35, h("btn_min.png", 3), 0)),
        "waiting": ("waiting.png", 1,
                    (-1, -1, -1, -1, w("waiting.png"), 0, h("waiting.png"), 0)),
        "start": ("btn_start.png", 3, (-1, -1, -1, -1, 178, 0, h("btn_start.png", 3), 0)),
        # The finish button is the start button with another image.
        "finish": ("btn_finish.png", 3, (-1, -1, -1, -1, 178, 0, h("btn_start.png", 3), 0)),
        "folder": ("edit.png", 1, (20, 0, -1, 0, 0, 90, h("edit.png"), 40)),
        "browse": ("btn_browse.png", 3,
                   (-1, 0, -1, 0, w("btn_browse.png"), 20, h("btn_browse.png", 3), 40)),
        "check": ("checked.png", 3, (20, 0, -1, 0, 13, 0, h("check.png", 3), row)),
        "agree": ("agree.png", 1, (36, 0, -1, 0, w("agree.png"), 0, h("agree.png"), row)),
        "protocol": ("protocol.png", 3, (42 + w("agree.png"), 0, -1, 0, w("protocol.png"), 0,
                                         h("protocol.png", 3), row)),
        "copyright": ("copyright.png", 1, (-1, 0, -1, 0, w("copyright.png"), 20,
                                           h("copyright.png"), 10)),
    }


def install_window_text(name):
    """The install window's text for a product name: the caption (the name) and the page's
    sub-caption ("安装" and the name)."""
    return "%s - 安装%s" % (name, name)


def x_tool(*arguments):
    """Runs xdotool; its output, or None when it failed."""
    try:
        run = subprocess.run(("xdotool",) + arguments, capture_output=True, text=True,
                             timeout=X_TIMEOUT)
    except subprocess.TimeoutExpired:
        return None
    return run.stdout if run.returncode == 0 else None


def wait_until(probe, timeout, pause=0.1):
    """probe()'s first true answer within timeout seconds, else None."""
    end = time.monotonic() + timeout
    while True:
        answer = probe()
        if answer:
            return answer
        if time.monotonic() >= end:
            return None
        time.sleep(pause)


def find_window(title, timeout):
    """The id of the shown top-level window whose title is exactly title, waiting up to timeout
    seconds for it; None when none shows."""
    def search():
        found = x_tool("search", "--onlyvisible", "--name", "^%s$" % title)
        return found.split()[0] if found and found.split() else None
    return wait_until(search, timeout)


def window_geometry(window):
    """(left, top, width, height) of a window on the screen, or None."""
    shell = x_tool("getwindowgeometry", "--shell", window)
    if shell is None:
        return None
    values = dict(line.split("=", 1) for line in shell.split() if "=" in line)
    try:
        return tuple(int(values[key]) for key in ("X", "Y", "WIDTH", "HEIGHT"))
    except (KeyError, ValueError):
        return None


def screen_size():
    size = x_tool("getdisplaygeometry")
    return tuple(int(value) for value in size.split()) if size else None


def capture_screen():
    """The whole screen as an RGB image, or None."""
    try:
        run = subprocess.run(["import", "-window", "root", "png:-"], capture_output=True,
                             timeout=X_TIMEOUT)
    except subprocess.TimeoutExpired:
        return None
    if run.returncode != 0:
        return None
    return Image.open(io.BytesIO(run.stdout)).convert("RGB")


def click_at(x, y):
    """Moves the pointer to (x, y) on the screen, lets the window see it arrive, and clicks."""
    moved = x_tool("mousemove", "--sync", str(x), str(y)) is not None
    time.sleep(0.3)
    return moved and x_tool("click", "1") is not None


def press_key(window, key):
    """Gives window the keyboard focus and presses key there (an xdotool key name, such as
    "Tab", "shift+Tab", "space", "Return", "Escape" or "alt+F4")."""
    return (x_tool("windowfocus", "--sync", window) is not None and
            x_tool("key", "--clearmodifiers", key) is not None)


def accessible_children(lister):
    """What a screen reader finds in the shown install window, asked by the program lister
    (accessible_lister.exe) from a process of its own: (the window's name, the id of the child
    with the focus, the children), each child a dict of its id, role, state, screen rectangle,
    name and value; None when it found no window or no accessible object."""
    try:
        run = subprocess.run([WINE, os.path.basename(lister)], cwd=os.path.dirname(lister),
                             capture_output=True, timeout=60)
    except subprocess.TimeoutExpired:
        return None
    if run.returncode != 0:
        return None
    window, focus, children = None, None, []
    for line in run.stdout.decode("utf-8", errors="replace").splitlines():
        fields = line.split("\t")
        if fields[0] == "window" and len(fields) == 4:
            window, focus = fields[1], int(fields[3])
        elif fields[0] == "child" and len(fields) == 10:
            number = [int(value) for value in fields[1:8]]
            children.append({"id": number[0], "role": number[1], "state": number[2],
                             "rect": tuple(number[3:7]), "name": fields[8], "value": fields[9]})
    return (window, focus, children) if window is not None else None


def difference(first, second, where=None):
    """Mean difference of two images of one size, 0 (same) to 255, over the colour channels and
    the pixels of the mask where (all without one)."""
    return sum(ImageStat.Stat(ImageChops.difference(first, second), where).mean[:3]) / 3


class Skin:
    """The skin images the window draws, and the pictures its elements make on the background,
    at a DPI: there the window's content is scaled, and a skin's larger twins (name@2x.png,
    exactly twice name.png) stand in for its images from 168 DPI on."""

    def __init__(self, folder=SKIN, dpi=STANDARD_DPI):
        self.dpi = dpi
        files = {name for name in os.listdir(folder) if name.endswith(".png")}
        self.images = {name: Image.open(os.path.join(folder, name)).convert("RGBA")
                       for name in files if "@2x." not in name}
        self.shown = {}
        for name, image in self.images.items():
            twin = name[:-len(".png")] + "@2x.png"
            if dpi >= DOUBLE_SIZE_DPI and twin in files:
                self.shown[name] = Image.open(os.path.join(folder, twin)).convert("RGBA")
            else:
                self.shown[name] = image
        self.table = element_table(lambda image: self.images[image].size)
        self.content = tuple(scale_to_dpi(side, dpi) for side in CONTENT)

    def content_rect(self, element):
        """The element's rectangle in the window's content, (left, top, right, bottom)."""
        record = scale_layout(self.table[element][2], self.dpi)
        return anchor_layout((0, 0) + self.content, record)

    def background(self, element):
        return self.shown["bg_main.png"].resize(self.content).crop(self.content_rect(element))

    def drawn(self, element, state):
        """The element in state (0 normal, 1 hover, 2 pressed) over the background."""
        image, frames, _ = self.table[element]
        picture = self.shown[image]
        height = picture.height // frames
        frame = picture.crop((0, state * height, picture.width, (state + 1) * height))
        rect = self.content_rect(element)
        frame = frame.resize((rect[2] - rect[0], rect[3] - rect[1]))
        return Image.alpha_composite(self.background(element), frame)


class SetupWindow:
    """A setup.exe started under Wine, and its install window once it shows. Leaving the block
    that holds it ends the process if it still runs."""

    def __init__(self, setup, name, arguments=(), skin=None, log=os.devnull):
        """Starts setup (its own folder the current one) with arguments; what Wine and the
        program print goes to the file log. name is the product's name."""
        self.title = install_window_text(name)
        self.skin = skin or Skin()
        self.window = None
        self.geometry = None  # the window's left, top, width and height on the screen
        self.origin = None    # the content's top-left corner on the screen
        self.log = open(log, "wb")
        # In Chinese, whatever the run's locale: the window as the default skin's images and
        # these checks are made for.
        self.process = subprocess.Popen(
            [WINE, os.path.basename(setup), "/LANG=zh-CN"] + list(arguments),
            cwd=os.path.dirname(setup),
            stdin=subprocess.DEVNULL, stdout=self.log, stderr=subprocess.STDOUT)

    def __enter__(self):
        return self

    def __exit__(self, *_):
        self.end()

    def end(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait(timeout=X_TIMEOUT)
        self.log.close()

    def find(self, timeout=60):
        """Waits for the window to show at its full size; True once it has. The content lies
        inside the border band, which is as wide on every side."""
        def placed():
            # Wine may make a window's X window again as it changes, so a window found may be
            # gone before its geometry is read: look again until both answer.
            window = find_window(self.title, 0)
            geometry = window and window_geometry(window)
            if geometry and geometry[2] >= self.skin.content[0] and \
                    geometry[3] >= self.skin.content[1]:
                return window, geometry
            return None
        found = wait_until(placed, timeout)
        if not found:
            return False
        self.window, self.geometry = found
        left, top, width, height = self.geometry
        content = self.skin.content
        self.origin = (left + (width - content[0]) // 2, top + (height - content[1]) // 2)
        return True

    def rect(self, element):
        """The element's rectangle on the screen."""
        left, top, right, bottom = self.skin.content_rect(element)
        x, y = self.origin
        return (x + left, y + top, x + right, y + bottom)

    def click(self, element):
        left, top, right, bottom = self.rect(element)
        return click_at((left + right) // 2, (top + bottom) // 2)

    def press(self, key):
        """Presses key (an xdotool key name) in the window. The window is looked up again: Wine
        may have made its X window anew meanwhile (as it does after a message box)."""
        self.window = find_window(self.title, 0) or self.window
        return press_key(self.window, key)

    def ringed(self, element, colour, shot=None):
        """True when the focus ring, whose outer band has colour (the theme's fore colour, as
        (red, green, blue)), lies around the element; None when the screen could not be read."""
        shot = shot or self.capture()
        if shot is None:
            return None
        x = (self.geometry[2] - self.skin.content[0]) // 2
        y = (self.geometry[3] - self.skin.content[1]) // 2
        left, top, right, bottom = self.skin.content_rect(element)
        # A fill of full opacity gives 255/256 of its colour.
        expected = tuple(channel * 255 >> 8 for channel in colour)
        near = total = 0
        for box in ring_band((x + left, y + top, x + right, y + bottom), self.skin.dpi):
            for pixel in shot.crop(box).getdata():
                total += 1
                near += all(abs(a - b) <= 12 for a, b in zip(pixel, expected))
        return total > 0 and near >= 0.9 * total

    def ring_on(self, elements, colour):
        """The one of elements the focus ring lies around, or None."""
        shot = self.capture()
        ringed = [element for element in elements if self.ringed(element, colour, shot)]
        return ringed[0] if len(ringed) == 1 else None

    def wait_ring(self, element, colour, elements, timeout=10):
        """True when within timeout seconds the ring lies around the element and around no other
        of elements."""
        return bool(wait_until(lambda: self.ring_on(elements, colour) == element, timeout,
                               pause=0.2))

    def capture(self):
        """The window with its border as it stands on the screen, or None."""
        screen = capture_screen()
        if screen is None or not self.geometry:
            return None
        left, top, width, height = self.geometry
        return screen.crop((left, top, left + width, top + height))

    def seen(self, element, shot):
        """The element's rectangle as the window shows it in shot."""
        left, top, right, bottom = self.skin.content_rect(element)
        x = (self.geometry[2] - self.skin.content[0]) // 2
        y = (self.geometry[3] - self.skin.content[1]) // 2
        return shot.crop((x + left, y + top, x + right, y + bottom))

    def shows(self, element, shot=None):
        """True when the window shows the element (in any of its states), False when it shows
        the background or an element that takes the same place (the finish button for the start
        button), None when the picture is none of these clearly, or the screen could not be
        read."""
        shot = shot or self.capture()
        if shot is None:
            return None
        seen = self.seen(element, shot)

        def nearest_state(name):
            pictures = [self.skin.drawn(name, state).convert("RGB")
                        for state in range(self.skin.table[name][1])]
            return min((difference(seen, picture), picture) for picture in pictures)

        drawn, picture = nearest_state(element)
        background = difference(seen, self.skin.background(element).convert("RGB"))
        if background < drawn / 3:
            return False
        # Halfway through a fade between two states the element is drawn twice, each frame
        # partly transparent, so it is nearer to the background than any frame is; but not as
        # near as the background alone. A frame half drawn is nothing clearly: look again.
        if drawn >= background / 2:
            return None
        for rival in (other for other in self.skin.table if other != element and
                      self.skin.content_rect(other) == self.skin.content_rect(element)):
            rival_picture = nearest_state(rival)[1]
            # The two differ only in places (a button's label): compare those.
            where = ImageChops.difference(picture, rival_picture).convert("L").point(
                lambda value: 255 if value > 40 else 0)
            if where.getbbox() is None:
                return None
            mine = difference(seen, picture, where)
            theirs = difference(seen, rival_picture, where)
            if theirs < mine / 2:
                return False
            if mine >= theirs / 2:
                return None
        return True

    def wait_shows(self, element, shown, timeout=10):
        """True when within timeout seconds the window shows the element (shown) or the
        background in its place (not shown)."""
        return bool(wait_until(lambda: self.shows(element) is shown, timeout, pause=0.2))

    def wait_exit(self, timeout):
        """The exit status once the process has ended within timeout seconds; None when it had
        not, and it is then ended."""
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.end()
            return None


def through_first_page(window, save):
    """Finds the window of a started setup.exe and waits for its first page; save(page, image)
    receives its picture. Yields (step, succeeded) for each step; the caller stops at the first
    that failed."""
    found = window.find()
    yield "the install window shows, titled with the product name (%s)" % window.title, found
    # The first program of a session may map its window long before its first frame, while
    # Wine and fontconfig fill their caches.
    yield "the first page shows the start button", window.wait_shows("start", True, timeout=60)
    save("first", window.capture())


def through_install(window, save, timeout=120):
    """From the first page: clicks the start button, waits (timeout seconds at most) through
    the progress page for the finish page and clicks the finish button, which ends the program.
    save(page, image) receives the pictures of the progress page, when it stays long enough to
    be seen, and of the finish page. Yields (step, succeeded) as through_first_page does."""
    yield "the start button is clicked", window.click("start")
    end = time.monotonic() + timeout
    seen_progress = False
    while time.monotonic() < end:
        shot = window.capture()
        if shot is None:
            time.sleep(0.1)
            continue
        if window.shows("finish", shot):
            break
        if not seen_progress and window.shows("waiting", shot):
            seen_progress = True
            save("progress", shot)
    else:
        shot = None
    yield "the finish page follows the install", shot is not None
    save("finish", shot)
    yield "the finish button is clicked", window.click("finish")
    status = window.wait_exit(15)
    yield "the finish button ends setup.exe with status 0 (status: %s)" % status, status == 0
