#!/usr/bin/python3
"""setup.exe end to end through its window, under Wine, with the real pointer: an installer made
by setupkit build is started, its window found on the display and clicked as a person would.

- The first page: the agreement unchecked and checked again hides and shows the start button;
  start, the finish page, finish: the client's files, "uninst.dat", the registry, the shortcuts,
  and the client (a probe that notes its start) started.
- A download that trickles from the tests' HTTP server keeps the progress page up: the close
  button asks first, and so do Esc and Alt+F4; No goes on, Yes ends the process within seconds
  and registers nothing. The close button on the first page ends it at once, without a question;
  so does the close button after an install that could not start (no list yet), ending with 1.
- A whole install with the keyboard alone: the focus ring, read from the screen, goes round
  the controls with Tab and back with Shift+Tab, Space toggles the agreement, Enter starts and
  finishes. From another process, as a screen reader does, the window's accessible object lists
  its elements with their names, roles, states and places, which are the element table's.
- At 192 DPI (a Wine prefix of its own, on a display of its own): the window is 1224 x 824, its
  content twice the size, drawn from the skin's larger images (name@2x.png) pixel for pixel.

Writes the screenshots of the three pages to build/test-artifacts/. Needs the run's display,
Wine prefix and wineserver (scripts/run-tests.sh). Prints "N passed, M failed"."""

import os
import re
import select
import shutil
import subprocess
import sys
import tempfile
import time
import urllib.request

# Nothing of the modules it imports is cached in the source tree.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "helpers"))
import setup_window_driver as driver  # noqa: E402

ROOT = driver.ROOT
BIN = os.path.join(ROOT, "build", "windows", "bin")
WORK = os.path.join(ROOT, "build", "test-window")
ARTIFACTS = os.path.join(ROOT, "build", "test-artifacts")
PREFIX = os.environ.get("WINEPREFIX", os.path.join(ROOT, "build", "wineprefix"))
# The high-DPI case's own prefix, kept between runs, and its display, large enough for the
# window at 200 %.
HIGH_DPI_PREFIX = os.path.join(ROOT, "build", "wineprefix-hidpi")
HIGH_DPI_SCREEN = "1600x1200x24"
HIGH_DPI = 192
WINESERVER = "/usr/lib/wine/wineserver"
CAPTION = "安装提示"
UNINSTALL_PREFIX = "卸载"
PROGRAMS = "C:\\Program Files"
UNINSTALL_KEY = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
RUN_KEY = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"
# The server's /trickle: PIECES * SIZE bytes, a piece every MS milliseconds; 80 s a file.
TRICKLE = (800, 1024, 100)
PATTERN_PERIOD = 251
LISTER = os.path.join(BIN, "accessible_lister.exe")
# The sample theme's fore colour, the focus ring's.
RING = (0x29, 0x79, 0xFF)
# The elements Tab reaches, in its order; the finish button takes the start button's place.
TAB_ORDER = ["check", "protocol", "browse", "start", "close", "minimise"]

results = []


class Stop(Exception):
    """A check the rest of a case builds on failed."""


def check(name, ok, detail=""):
    results.append(bool(ok))
    print(("ok      " if ok else "FAILED  ") + name + ("" if ok else ": " + str(detail)),
          flush=True)
    return bool(ok)


def require(name, ok, detail=""):
    if not check(name, ok, detail):
        # What the screen shows when a case stops, while its program still runs.
        shot = driver.capture_screen()
        if shot is not None:
            os.makedirs(ARTIFACTS, exist_ok=True)
            shot.save(os.path.join(ARTIFACTS, "setup-stopped-screen.png"))
            print("  the screen then: build/test-artifacts/setup-stopped-screen.png")
        raise Stop(name)


class Product:
    """A product the test installs: its configuration, its keys and where it goes."""

    def __init__(self, app, name, extra=""):
        self.app, self.name, self.company = app, name, "WindowTest"
        self.version = "1.0.0.0"
        # Style 0x20: start with Windows, so the Run value is part of what is registered.
        self.config = ("app=%s;\nname=%s;\ncompany=%s;\npublisher=Example;\nversion=%s;\n"
                       "style=#00000020;\n%s" % (app, name, self.company, self.version, extra))
        self.key = "HKLM\\Software\\%s\\%s" % (self.company, app)
        self.uninstall_key = UNINSTALL_KEY + self.company + app
        self.folder = "%s\\%s\\%s\\" % (PROGRAMS, self.company, app)

    def unix_folder(self):
        return windows_to_unix(self.folder)

    def shortcuts(self):
        """The product's shortcuts in the prefix, as paths below drive_c."""
        names = {self.name + ".lnk", UNINSTALL_PREFIX + self.name + ".lnk"}
        drive = os.path.join(PREFIX, "drive_c")
        return sorted(os.path.relpath(os.path.join(folder, file), drive)
                      for folder, _, files in os.walk(drive) for file in files if file in names)

    def remove(self):
        """Nothing of the product left from an earlier run."""
        for key in (self.key, self.uninstall_key):
            wine("reg", "delete", key, "/f")
        wine("reg", "delete", RUN_KEY, "/v", self.name, "/f")
        for shortcut in self.shortcuts():
            path = os.path.join(PREFIX, "drive_c", shortcut)
            os.remove(path)
            folder = os.path.dirname(path)
            if os.path.basename(folder) == self.name and not os.listdir(folder):
                os.rmdir(folder)
        shutil.rmtree(self.unix_folder(), ignore_errors=True)


def windows_to_unix(path):
    return os.path.join(PREFIX, "drive_c", *path[3:].strip("\\").split("\\"))


def wine(*arguments, cwd=None, timeout=120):
    try:
        run = subprocess.run([driver.WINE] + list(arguments), cwd=cwd, capture_output=True,
                             timeout=timeout)
    except subprocess.TimeoutExpired:
        return None
    return run


def registry_values(key):
    """The string values of a key (name -> text), or None when there is no such key. Exported,
    not queried: the export is UTF-16, so Chinese values arrive whole."""
    with tempfile.TemporaryDirectory(dir=WORK) as folder:
        run = wine("reg", "export", key, "key.reg", "/y", cwd=folder)
        path = os.path.join(folder, "key.reg")
        if run is None or run.returncode != 0 or not os.path.exists(path):
            return None
        with open(path, "rb") as file:
            text = file.read().decode("utf-16")
    values = {}
    for line in text.splitlines():
        found = re.match(r'^"((?:[^"\\]|\\.)*)"="((?:[^"\\]|\\.)*)"$', line.strip())
        if found:
            name, value = (re.sub(r"\\(.)", r"\1", part) for part in found.groups())
            values[name] = value
    return values


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as file:
        file.write(data)


def read(path):
    with open(path, "rb") as file:
        return file.read()


def pattern(length):
    """The bytes the test server's /trickle sends."""
    return bytes(i % PATTERN_PERIOD for i in range(length))


def build_setup(product, client, name, download=False, skin=None):
    """setupkit build of client (relative path -> bytes) for product, with the sample skin or
    the folder skin; the installer's path."""
    folder = os.path.join(WORK, name)
    shutil.rmtree(folder, ignore_errors=True)
    for path, data in client.items():
        write(os.path.join(folder, "client", *path.split("/")), data)
    write(os.path.join(folder, "config.txt"), product.config.encode("utf-8"))
    arguments = [os.path.join(BIN, "setupkit.exe"), "build", "--config", "config.txt",
                 "--client", "client", "--skin",
                 skin or os.path.join("..", "..", "..", "samples", "skin"),
                 "--theme", os.path.join("..", "..", "..", "samples", "theme.txt"),
                 "-o", "setup.exe"] + (["--download"] if download else [])
    run = wine(*arguments, cwd=folder)
    require(name + ": setupkit build makes the installer",
            run is not None and run.returncode == 0, run and run.stderr.decode(errors="replace"))
    return os.path.join(folder, "setup.exe")


def start(setup, product, log_name, skin=None):
    return driver.SetupWindow(setup, product.name, skin=skin,
                              log=os.path.join(WORK, log_name + ".log"))


def save_shot(page, shot):
    if shot is not None:
        os.makedirs(ARTIFACTS, exist_ok=True)
        shot.save(os.path.join(ARTIFACTS, "setup-%s-page.png" % page))


def expect_window_placed(window):
    screen = driver.screen_size()
    left, top, width, height = window.geometry
    # 600 x 400 of content inside the border band of 6 pixels, centred on the screen.
    check("the window is 612 x 412, centred on the screen",
          (width, height) == (612, 412) and screen and
          (left, top) == ((screen[0] - width) // 2, (screen[1] - height) // 2),
          "%s on a screen of %s" % (window.geometry, screen))


def installed_files(folder):
    return {os.path.relpath(os.path.join(here, file), folder).replace(os.sep, "/")
            for here, _, files in os.walk(folder) for file in files}


def uninstall_entries(folder):
    text = read(os.path.join(folder, "uninst.dat")).decode("utf-16")
    return text.split("|")[:-1]


def install_through_the_window():
    # With a source, the installer carries the client's update list, whose digest is recorded.
    product = Product("windowtest", "窗口安装测试", "source=http://127.0.0.1/windowtest;\n")
    client = {
        "client.exe": read(os.path.join(BIN, "launch_probe.exe")),
        "readme.txt": b"read me\r\n",
        "数据/设置.ini": "[界面]\r\n语言=中文\r\n".encode("utf-8"),
        "data/large.bin": os.urandom(8 * 1024 * 1024),
    }
    setup = build_setup(product, client, "archive")
    product.remove()
    with start(setup, product, "archive-setup") as window:
        for step, ok in driver.through_first_page(window, save_shot):
            require(step, ok)
        expect_window_placed(window)
        # Both the box and the agreement text toggle the agreement.
        for element, shown in (("check", False), ("check", True), ("agree", False),
                               ("agree", True)):
            window.click(element)
            require("clicking the %s %s the start button" % (
                element, "shows" if shown else "hides"), window.wait_shows("start", shown))
        for step, ok in driver.through_install(window, save_shot):
            require(step, ok)

    folder = product.unix_folder()
    shipped = {"unins000.exe", "update.exe"}
    found = installed_files(folder)
    check("the client's files landed, with the shipped programs and uninst.dat",
          found - {"client.exe.ran"} == set(client) | shipped | {"uninst.dat"},
          sorted(found))
    check("each client file has its bytes",
          all(read(os.path.join(folder, *path.split("/"))) == data
              for path, data in client.items() if path in found))
    entries = uninstall_entries(folder) if "uninst.dat" in found else []
    folders = {path.rsplit("/", 1)[0] + "/" for path in client if "/" in path}
    check("uninst.dat names every installed file and folder",
          sorted(entries) == sorted(path.replace("/", "\\")
                                    for path in set(client) | shipped | folders), entries)
    check("the finish button started the client", "client.exe.ran" in found, sorted(found))

    values = registry_values(product.key) or {}
    check("the product key holds version, path and main file",
          (values.get("version"), values.get("path"), values.get("main")) ==
          (product.version, product.folder, product.folder + "client.exe"), values)
    check("the product key holds the list's digest",
          re.fullmatch(r"[0-9A-F]{32}", values.get("md5", "")), values.get("md5"))
    entry = registry_values(product.uninstall_key) or {}
    check("the uninstall entry names the product and its uninstaller",
          (entry.get("DisplayName"), entry.get("DisplayVersion"), entry.get("UninstallString")) ==
          (product.name, product.version, '"%sunins000.exe"' % product.folder), entry)
    run = registry_values(RUN_KEY) or {}
    check("the product starts with Windows",
          run.get(product.name, "").strip('"') == product.folder + "client.exe",
          run.get(product.name))
    shortcuts = product.shortcuts()
    # A new Wine prefix has no Quick Launch folder (the installer puts a shortcut there only when
    # it exists, as an earlier test may have made it): that one may be missing.
    expected = ["Desktop/" + product.name, "Start Menu/" + product.name,
                "Programs/%s/%s" % (product.name, product.name),
                "Programs/%s/%s%s" % (product.name, UNINSTALL_PREFIX, product.name)]
    others = [path for path in shortcuts
              if not any(path.endswith(suffix + ".lnk") for suffix in expected)]
    check("the desktop, start menu and program group shortcuts",
          all(any(path.endswith(suffix + ".lnk") for path in shortcuts) for suffix in expected) and
          all("/Quick Launch/" in path for path in others),
          shortcuts)
    product.remove()


def expect_accessible(window, shown, focused, values=None):
    """What a screen reader finds in the window, asked from another process: its title, each
    element of shown at its place in the element table, with the role and state it has, the
    others hidden, focused with the focus, and values (element -> value) as they stand."""
    listing = driver.accessible_children(LISTER)
    require("a screen reader finds the window's accessible object from another process",
            listing)
    title, focus, children = listing
    check("it is named with the window's title", title == window.title, title)
    by_element = {driver.ACCESSIBLE_NAMES.get(child["name"], child["name"]): child
                  for child in children}
    roles = {"logo": driver.ROLE_LINK, "protocol": driver.ROLE_LINK,
             "check": driver.ROLE_CHECK_BOX, "folder": driver.ROLE_TEXT,
             "copyright": driver.ROLE_GRAPHIC, "waiting": driver.ROLE_GRAPHIC}
    placed = [element for element in shown if element in window.skin.table]
    wrong = ["%s: %s" % (element, by_element.get(element)) for element in placed
             if element not in by_element or
             by_element[element]["rect"] != window.rect(element) or
             by_element[element]["role"] != roles.get(element, driver.ROLE_PUSH_BUTTON) or
             by_element[element]["state"] & driver.STATE_INVISIBLE]
    check("each shown element is a child named, with its role, at its place in the element "
          "table", not wrong, wrong)
    hidden = sorted(name for name, child in by_element.items()
                    if name not in shown and not child["state"] & driver.STATE_INVISIBLE)
    check("every other child is hidden", not hidden, hidden)
    focus_child = [name for name, child in by_element.items() if child["id"] == focus]
    check("the focus is on the %s" % focused, focus_child == [focused] and
          by_element[focused]["state"] & driver.STATE_FOCUSED, (focus, focus_child))
    for element, value in (values or {}).items():
        check("the %s reads %s" % (element, value),
              by_element.get(element, {}).get("value") == value, by_element.get(element))
    return by_element


def install_with_the_keyboard():
    product = Product("keyboardtest", "键盘安装测试")
    client = {"client.exe": read(os.path.join(BIN, "launch_probe.exe")),
              "readme.txt": b"keys only\r\n"}
    setup = build_setup(product, client, "keyboard")
    product.remove()
    first_page = ["logo", "close", "minimise", "copyright", "start", "folder", "browse", "check",
                  "protocol"]
    with start(setup, product, "keyboard-setup") as window:
        for step, ok in driver.through_first_page(window, save_shot):
            require(step, ok)
        by_element = expect_accessible(window, first_page, "start", {"folder": product.folder})
        check("the agreement box is checked",
              by_element.get("check", {}).get("state", 0) & driver.STATE_CHECKED)
        require("the start button has the focus ring",
                window.wait_ring("start", RING, TAB_ORDER))
        # Tab goes on from the start button round to it again, Shift+Tab goes back.
        for element in TAB_ORDER[4:] + TAB_ORDER[:4]:
            window.press("Tab")
            require("Tab moves the ring to the %s" % element,
                    window.wait_ring(element, RING, TAB_ORDER))
        for element in ("browse", "protocol", "check"):
            window.press("shift+Tab")
            require("Shift+Tab moves the ring back to the %s" % element,
                    window.wait_ring(element, RING, TAB_ORDER))
        window.press("space")
        require("Space unchecks the agreement: the start button hides",
                window.wait_shows("start", False))
        for _ in range(3):
            window.press("Tab")
        check("Tab passes over the hidden start button to the close button",
              window.wait_ring("close", RING, TAB_ORDER))
        for _ in range(3):
            window.press("shift+Tab")
        require("and comes back to the agreement", window.wait_ring("check", RING, TAB_ORDER))
        window.press("space")
        require("Space checks it again: the start button shows", window.wait_shows("start", True))
        # Enter on the agreement presses the default button, the start button.
        window.press("Return")
        end = time.monotonic() + 120
        while time.monotonic() < end and not window.shows("finish"):
            time.sleep(0.2)
        require("Enter starts the install, which reaches the finish page",
                window.shows("finish"))
        save_shot("keyboard-finish", window.capture())
        check("the finish button has the focus ring",
              window.wait_ring("finish", RING, ["finish", "close", "minimise"]))
        expect_accessible(window, ["logo", "close", "minimise", "copyright", "finish"], "finish")
        window.press("Return")
        status = window.wait_exit(15)
        check("Enter on the finish button ends setup.exe with status 0 (status: %s)" % status,
              status == 0)
    found = installed_files(product.unix_folder())
    check("the client's files landed and the client started",
          {"client.exe", "readme.txt", "uninst.dat", "client.exe.ran"} <= found, sorted(found))
    check("the product is registered",
          (registry_values(product.key) or {}).get("path") == product.folder)
    product.remove()


class TestServer:
    """The tests' HTTP server on 127.0.0.1, for the length of a block."""

    def __enter__(self):
        port_file = os.path.join(WORK, "http-port")
        self.process = subprocess.Popen(
            [sys.executable, os.path.join(ROOT, "tests", "helpers", "http_test_server.py"),
             "--port-file", port_file], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL)
        found = driver.wait_until(lambda: os.path.exists(port_file) and read(port_file), 10)
        require("the test HTTP server starts", found)
        self.base = "http://127.0.0.1:%d" % int(found)
        self.opener = urllib.request.build_opener(urllib.request.ProxyHandler({}))
        return self

    def keep(self, name, data):
        request = urllib.request.Request(self.base + "/keep/" + name, data=data, method="POST")
        with self.opener.open(request, timeout=10) as reply:
            return reply.status == 200

    def __exit__(self, *_):
        self.process.kill()
        self.process.wait(timeout=10)


def close_while_installing():
    with TestServer() as server:
        trickle = "%s/trickle/%d/%d/%d/" % ((server.base,) + TRICKLE)
        product = Product("windowcancel", "窗口取消测试",
                          "source=%s;\nconfig=%s/file/windowcancel/update.xml;\n"
                          % (trickle, server.base))
        # Every listed file comes from the trickle, which sends the same bytes for each.
        data = pattern(TRICKLE[0] * TRICKLE[1])
        client = {"client.exe": data, "data/slow.bin": data}
        setup = build_setup(product, client, "download", download=True)
        folder = os.path.dirname(setup)

        # Before the list is published the install cannot start: it says so, and then there is
        # nothing to abort.
        with start(setup, product, "download-setup-not-started") as window:
            require("the window shows before the list is published", window.find())
            require("with its start button", window.wait_shows("start", True, 60))
            window.click("start")
            box = driver.find_window(CAPTION, 30)
            require("an install with no list to follow says it could not start", box)
            driver.press_key(box, "Return")
            require("the message goes",
                    driver.wait_until(lambda: driver.find_window(CAPTION, 0) is None, 10))
            window.click("close")
            status = window.wait_exit(10)
            check("then the close button ends it at once, as not started (1)", status == 1,
                  "status %s" % status)
            check("asking nothing", driver.find_window(CAPTION, 0) is None)

        listed = subprocess.run(
            [os.path.join(ROOT, "build", "native", "bin", "setupkit"), "list", "client", trickle,
             "update.xml", "--version", product.version], cwd=folder, capture_output=True,
            timeout=60)
        require("the client's update list is published",
                listed.returncode == 0 and
                server.keep("windowcancel/update.xml", read(os.path.join(folder, "update.xml"))),
                listed.stderr)
        product.remove()

        with start(setup, product, "download-setup-closed") as window:
            require("the download installer's window shows", window.find())
            require("its first page shows the start button", window.wait_shows("start", True, 60))
            window.click("close")
            check("the close button on the first page ends setup.exe",
                  window.wait_exit(10) is not None)
            check("without a question", driver.find_window(CAPTION, 0) is None)

        with start(setup, product, "download-setup-cancelled") as window:
            require("the window shows again", window.find())
            require("with the start button", window.wait_shows("start", True, 60))
            window.click("start")
            require("the start button leads to the progress page",
                    window.wait_shows("waiting", True, timeout=30))
            time.sleep(2)
            save_shot("progress", window.capture())
            # The close button, Esc and Alt+F4 ask alike.
            for asking, answer, key in (("the close button", "No", "n"), ("Esc", "No", "n"),
                                        ("Alt+F4", "Yes", "y")):
                if asking == "the close button":
                    window.click("close")
                else:
                    require("%s is pressed" % asking,
                            window.press("Escape" if asking == "Esc" else "alt+F4"))
                box = driver.find_window(CAPTION, 10)
                require("%s while installing asks (%s)" % (asking, answer), box)
                closed_at = time.monotonic()
                driver.press_key(box, key)
                if answer == "No":
                    gone = driver.wait_until(lambda: driver.find_window(CAPTION, 0) is None, 10)
                    check("No (%s): the question goes and the install goes on" % asking,
                          gone and window.process.poll() is None and window.shows("waiting"))
            status = window.wait_exit(10)
            check("Yes: setup.exe ends within seconds",
                  status is not None, "still running after 10 s")
            print("  ended %.1f s after the answer" % (time.monotonic() - closed_at))

    check("the cancelled install registered nothing",
          registry_values(product.key) is None and
          registry_values(product.uninstall_key) is None and not product.shortcuts() and
          product.name not in (registry_values(RUN_KEY) or {}), product.shortcuts())
    check("and saved no uninst.dat",
          not os.path.exists(os.path.join(product.unix_folder(), "uninst.dat")))
    product.remove()


class HighDpiDisplay:
    """For the length of a block, a display of its own (Xvfb) and a Wine prefix of its own set
    to 192 DPI, which Wine, xdotool and import then use."""

    def __enter__(self):
        self.saved = {name: os.environ.get(name) for name in ("DISPLAY", "WINEPREFIX")}
        self.xvfb = None
        try:
            self.start()
        except BaseException:
            self.__exit__()
            raise
        return self

    def start(self):
        reader, writer = os.pipe()
        try:
            self.xvfb = subprocess.Popen(
                ["Xvfb", "-displayfd", str(writer), "-screen", "0", HIGH_DPI_SCREEN,
                 "-nolisten", "tcp"], pass_fds=(writer,), stdin=subprocess.DEVNULL,
                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        finally:
            os.close(writer)
        number = b""
        while not number.endswith(b"\n") and select.select([reader], [], [], 30)[0]:
            piece = os.read(reader, 16)
            if not piece:
                break
            number += piece
        os.close(reader)
        require("a display of 1600 x 1200 starts", number.strip().isdigit(), number)
        os.environ["DISPLAY"] = ":" + number.strip().decode()
        os.environ["WINEPREFIX"] = HIGH_DPI_PREFIX
        if not os.path.exists(os.path.join(HIGH_DPI_PREFIX, "system.reg")):
            print("  making the Wine prefix %s" % os.path.relpath(HIGH_DPI_PREFIX, ROOT),
                  flush=True)
            wine("wineboot", "-i", timeout=600)
        run = wine("reg", "add", "HKCU\\Control Panel\\Desktop", "/v", "LogPixels", "/t",
                   "REG_DWORD", "/d", str(HIGH_DPI), "/f")
        require("the prefix is set to %d DPI" % HIGH_DPI, run is not None and run.returncode == 0)

    def __exit__(self, *_):
        if os.environ.get("WINEPREFIX") == HIGH_DPI_PREFIX:
            subprocess.run([WINESERVER, "-k"], stdin=subprocess.DEVNULL,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
        for name, value in self.saved.items():
            if value is None:
                os.environ.pop(name, None)
            else:
                os.environ[name] = value
        if self.xvfb is not None:
            self.xvfb.kill()
            self.xvfb.wait(timeout=10)


def make_double_skin(folder):
    """The sample skin, each image with a larger twin (name@2x.png): twice its size, each pixel
    a block of 2 x 2, and over it a checker of one pixel's step, every other pixel darker, which
    no scaling of the standard image could make."""
    os.makedirs(folder, exist_ok=True)
    for name in os.listdir(driver.SKIN):
        if not name.endswith(".png"):
            continue
        shutil.copy(os.path.join(driver.SKIN, name), os.path.join(folder, name))
        image = driver.Image.open(os.path.join(driver.SKIN, name)).convert("RGBA")
        width, height = image.width * 2, image.height * 2
        twice = image.resize((width, height), driver.Image.NEAREST)
        channels = twice.split()
        darker = driver.Image.merge("RGBA", [channel.point(lambda value: value * 3 // 4)
                                             for channel in channels[:3]] + [channels[3]])
        rows = (bytes([255, 0]) * width)[:width], (bytes([0, 255]) * width)[:width]
        checker = driver.Image.frombytes(
            "L", (width, height), b"".join(rows[y % 2] for y in range(height)))
        driver.Image.composite(darker, twice, checker).save(
            os.path.join(folder, name[:-len(".png")] + "@2x.png"))


def nearest_difference(seen, skin, element):
    """How near what the window shows in the element's place is to the element as skin draws
    it, in whichever state is nearest (the pointer may rest on an element)."""
    return min(driver.difference(seen, skin.drawn(element, state).convert("RGB"))
               for state in range(skin.table[element][1]))


def high_dpi_window():
    folder = os.path.join(WORK, "skin-double")
    make_double_skin(folder)
    product = Product("highdpitest", "高分屏测试")
    client = {"client.exe": read(os.path.join(BIN, "launch_probe.exe"))}
    # setupkit checks each larger image against its twin.
    setup = build_setup(product, client, "high-dpi", skin=folder)
    with HighDpiDisplay():
        skin = driver.Skin(folder, HIGH_DPI)
        with start(setup, product, "high-dpi-setup", skin) as window:
            require("the install window shows at 192 DPI", window.find(timeout=120))
            require("with the start button, drawn from the larger images",
                    window.wait_shows("start", True, timeout=120))
            save_shot("high-dpi-first", window.capture())
            screen = driver.screen_size()
            left, top, width, height = window.geometry
            check("the window is 1224 x 824 (1200 x 800 of content and a 12-pixel border), "
                  "centred", (width, height) == (1224, 824) and screen and
                  (left, top) == ((screen[0] - width) // 2, (screen[1] - height) // 2),
                  "%s on a screen of %s" % (window.geometry, screen))
            shot = window.capture()
            # Each element and a stretch of the background, against the larger images as they
            # are and against the standard images scaled up.
            scaled = driver.Skin(driver.SKIN, HIGH_DPI)
            wrong = []
            distances = []
            for element in ("logo", "close", "minimise", "copyright", "start", "browse", "check",
                            "agree", "protocol"):
                seen = window.seen(element, shot)
                twin = nearest_difference(seen, skin, element)
                standard = nearest_difference(seen, scaled, element)
                distances.append((twin, standard))
                if not (twin < 4 and standard > 2 * twin + 4):
                    wrong.append("%s: %.1f from the twins, %.1f from the standard images" %
                                 (element, twin, standard))
            # The shot is the window with its border.
            x, y = (window.geometry[2] - skin.content[0]) // 2, (window.geometry[3] -
                                                                  skin.content[1]) // 2
            patch = (300, 120, 900, 320)
            seen = shot.crop((x + patch[0], y + patch[1], x + patch[2], y + patch[3]))
            twin = driver.difference(seen, skin.shown["bg_main.png"].crop(patch).convert("RGB"))
            standard = driver.difference(seen, scaled.images["bg_main.png"].resize(
                skin.content, driver.Image.BICUBIC).crop(patch).convert("RGB"))
            if not (twin < 2 and standard > 2 * twin + 4):
                wrong.append("background: %.1f from the twin, %.1f from the standard image" %
                             (twin, standard))
            distances.append((twin, standard))
            print("  mean difference from the larger images at most %.1f, from the standard "
                  "images scaled at least %.1f" % (max(d[0] for d in distances),
                                                   min(d[1] for d in distances)))
            check("the screen holds the larger images pixel for pixel, not the standard ones "
                  "scaled", not wrong, wrong)
            check("the start button has the focus ring, twice as wide",
                  window.wait_ring("start", RING, TAB_ORDER))
            expect_accessible(window, ["logo", "close", "minimise", "copyright", "start",
                                       "folder", "browse", "check", "protocol"], "start")
            window.press("Escape")
            check("Esc on the first page ends setup.exe", window.wait_exit(15) is not None)
    product.remove()


def main():
    if not os.environ.get("DISPLAY"):
        print("setup_window_test: needs a display (run it from scripts/run-tests.sh)")
        return 1
    shutil.rmtree(WORK, ignore_errors=True)
    os.makedirs(WORK)
    for case in (install_through_the_window, install_with_the_keyboard, close_while_installing,
                 high_dpi_window):
        print("== " + case.__name__.replace("_", " "), flush=True)
        try:
            case()
        except Stop:
            pass
    failed = results.count(False)
    print("%d passed, %d failed" % (len(results) - failed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
