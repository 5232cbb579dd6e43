#!/usr/bin/python3
"""setup.exe end to end through its window, under Wine, with the real pointer: an installer made
by setupkit build is started, its window found on the display and clicked as a person would.

- The first page: the agreement unchecked and checked again hides and shows the start button;
  start, the finish page, finish: the client's files, "uninst.dat", the registry, the shortcuts,
  and the client (a probe that notes its start) started.
- A download that trickles from the tests' HTTP server keeps the progress page up: the close
  button asks first; No goes on, Yes ends the process within seconds and registers nothing. The
  close button on the first page ends it at once, without a question.

Writes the screenshots of the three pages to build/test-artifacts/. Needs the run's display,
Wine prefix and wineserver (scripts/run-tests.sh). Prints "N passed, M failed"."""

import os
import re
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
CAPTION = "安装提示"
UNINSTALL_PREFIX = "卸载"
PROGRAMS = "C:\\Program Files"
UNINSTALL_KEY = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
RUN_KEY = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"
# The server's /trickle: PIECES * SIZE bytes, a piece every MS milliseconds; 80 s a file.
TRICKLE = (800, 1024, 100)
PATTERN_PERIOD = 251

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


def build_setup(product, client, name, download=False):
    """setupkit build of client (relative path -> bytes) for product; the installer's path."""
    folder = os.path.join(WORK, name)
    shutil.rmtree(folder, ignore_errors=True)
    for path, data in client.items():
        write(os.path.join(folder, "client", *path.split("/")), data)
    write(os.path.join(folder, "config.txt"), product.config.encode("utf-8"))
    arguments = [os.path.join(BIN, "setupkit.exe"), "build", "--config", "config.txt",
                 "--client", "client", "--skin", os.path.join("..", "..", "..", "samples", "skin"),
                 "--theme", os.path.join("..", "..", "..", "samples", "theme.txt"),
                 "-o", "setup.exe"] + (["--download"] if download else [])
    run = wine(*arguments, cwd=folder)
    require(name + ": setupkit build makes the installer",
            run is not None and run.returncode == 0, run and run.stderr.decode(errors="replace"))
    return os.path.join(folder, "setup.exe")


def start(setup, product, log_name):
    return driver.SetupWindow(setup, product.name, log=os.path.join(WORK, log_name + ".log"))


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
          (product.name, product.version, product.folder + "unins000.exe"), entry)
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
            for answer, key in (("No", "n"), ("Yes", "y")):
                window.click("close")
                box = driver.find_window(CAPTION, 10)
                require("the close button while installing asks (%s)" % answer, box)
                closed_at = time.monotonic()
                driver.press_key(box, key)
                if answer == "No":
                    gone = driver.wait_until(lambda: driver.find_window(CAPTION, 0) is None, 10)
                    check("No: the question goes and the install goes on",
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


def main():
    if not os.environ.get("DISPLAY"):
        print("setup_window_test: needs a display (run it from scripts/run-tests.sh)")
        return 1
    shutil.rmtree(WORK, ignore_errors=True)
    os.makedirs(WORK)
    for case in (install_through_the_window, close_while_installing):
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
