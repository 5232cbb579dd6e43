#!/usr/bin/python3
"""The delta update figures of `make bench`: a client updated from v1 to v2 by the real
update.exe silent under Wine from the tests' HTTP server, once from a list of whole files and once
from a list with patches (setupkit list --previous), each time from an installed v1.

v1 is made of real programs and a generated client: the windows build's programs (bin/*.exe) and
the cross-built libraries (deps/mingw/lib/*.a), and generated files of noise (fixed seeds) with
one of 400 MB. v2 is the same with update.exe and setup.exe rebuilt after a one-line change (a
function added at the end of their main source, so that all the code linked after it moves, as a
recompile moves it), 5 % of the generated files changed slightly and 1 MB changed in the middle of
the large one. The rebuild compiles the changed copy with the windows build's own compile and link
commands (ninja -t commands) into DATA/rebuilt: seconds, not a second build tree.

Prints the bytes each update downloads (what the server served, counted by the server), their
ratio, the time of each update, the updater's peak memory, and the time setupkit takes to make the
list with its patches beside the list alone; and fails unless each update leaves every file of v2
byte for byte (SHA-256).

Usage: delta_bench.py WINE WINDOWS_BUILD NATIVE_SETUPKIT DATA  (TEST_HTTP_PORT in the environment)
"""

import getpass
import hashlib
import os
import random
import shlex
import shutil
import subprocess
import sys
import time
import urllib.parse
import urllib.request

APP = "deltabench"
GENERATED_FILES = 600
LARGE_SIZE = 400 << 20
LARGE_CHANGE = 1 << 20
REBUILT = [("bin/update.exe", "updater/update_main.cpp"), ("bin/setup.exe", "setup/setup_main.cpp")]
ONE_LINE_CHANGE = "\nint RebuiltForTheDeltaBench() { return 2; }\n"
RUN_TIMEOUT = 1800


def fail(message):
    print("delta bench: " + message, file=sys.stderr)
    sys.exit(1)


def rebuild(build, source_root, target, source, scratch):
    """target of the windows build linked again with source changed by ONE_LINE_CHANGE."""
    commands = subprocess.run(["ninja", "-C", build, "-t", "commands", target], check=True,
                              capture_output=True, text=True).stdout.splitlines()
    source_path = os.path.join(source_root, source)
    compile_line = next(line for line in commands if line.endswith(" -c " + source_path))
    link_line = commands[-1]
    words = shlex.split(compile_line)
    object_file = words[words.index("-o") + 1]
    changed = os.path.join(scratch, os.path.basename(source))
    with open(source_path) as original, open(changed, "w") as out:
        out.write(original.read() + ONE_LINE_CHANGE)
    rebuilt_object = os.path.join(scratch, os.path.basename(object_file))
    words[words.index("-o") + 1] = rebuilt_object
    words[-1] = changed
    for flag in ("-MD", "-MT", "-MF"):
        if flag in words:
            at = words.index(flag)
            del words[at:at + (1 if flag == "-MD" else 2)]
    subprocess.run(words, cwd=build, check=True)
    program = os.path.join(scratch, os.path.basename(target))
    link = link_line.replace(" " + object_file + " ", " " + rebuilt_object + " ")
    link = link.replace(" -o " + target + " ", " -o " + program + " ")
    link = link.replace("--out-implib,", "--out-implib," + scratch + "/")
    if link == link_line:
        fail("cannot read the link command of " + target)
    subprocess.run(link, shell=True, cwd=build, check=True)
    return program


def make_versions(build, source_root, data):
    v1, v2 = os.path.join(data, "v1"), os.path.join(data, "v2")
    scratch = os.path.abspath(os.path.join(data, "rebuilt"))
    for folder in (os.path.join(v1, "bin"), os.path.join(v1, "lib"), scratch):
        os.makedirs(folder)
    # All but the tests' own program, which changes with every test written.
    for name in sorted(os.listdir(os.path.join(build, "bin"))):
        if name.endswith(".exe") and name != "windows_tests.exe":
            shutil.copy(os.path.join(build, "bin", name), os.path.join(v1, "bin", name))
    # The client file the installer starts: a small program of the build's.
    shutil.copy(os.path.join(build, "bin", "sleeper.exe"), os.path.join(v1, "client.exe"))
    libs = os.path.join(build, "..", "deps", "mingw", "lib")
    for name in sorted(os.listdir(libs)):
        if name.endswith(".a"):
            shutil.copy(os.path.join(libs, name), os.path.join(v1, "lib", name))
    rng = random.Random(32)
    sizes = [rng.randint(1 << 10, 256 << 10) for _ in range(GENERATED_FILES)]
    for i, size in enumerate(sizes):
        folder = os.path.join(v1, "data", "d%d" % (i % 10))
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, "f%03d.bin" % i), "wb") as out:
            out.write(rng.randbytes(size))
    large = os.path.join(v1, "data", "large.pak")
    with open(large, "wb") as out:
        for _ in range(LARGE_SIZE >> 24):
            out.write(rng.randbytes(1 << 24))
    shutil.copytree(v1, v2)

    for target, source in REBUILT:
        shutil.copy(rebuild(build, source_root, target, source, scratch),
                    os.path.join(v2, target))
    for i in rng.sample(range(GENERATED_FILES), GENERATED_FILES // 20):
        path = os.path.join(v2, "data", "d%d" % (i % 10), "f%03d.bin" % i)
        with open(path, "r+b") as out:
            out.seek(rng.randrange(sizes[i] - 64))
            out.write(rng.randbytes(64))
    with open(os.path.join(v2, "data", "large.pak"), "r+b") as out:
        out.seek((LARGE_SIZE - LARGE_CHANGE) // 2)
        out.write(rng.randbytes(LARGE_CHANGE))
    return v1, v2


def files_of(folder):
    return sorted(os.path.relpath(os.path.join(top, name), folder)
                  for top, _, names in os.walk(folder) for name in names)


def sha256_of(path):
    digest = hashlib.sha256()
    with open(path, "rb") as file:
        for block in iter(lambda: file.read(1 << 20), b""):
            digest.update(block)
    return digest.hexdigest()


class Server:
    """The tests' HTTP server: files kept under the bench's own folder, and what it served."""

    def __init__(self, port):
        self.base = "http://127.0.0.1:%s" % port
        self.opener = urllib.request.build_opener(urllib.request.ProxyHandler({}))

    def _request(self, path, body=None):
        with self.opener.open(self.base + urllib.parse.quote(path), data=body) as reply:
            return reply.read()

    def url(self, name):
        return self.base + "/file/" + APP + "/" + name

    def keep(self, name, path):
        with open(path, "rb") as file:
            self._request("/keep/" + APP + "/" + name, file.read())

    def served(self, name):
        return int(self._request("/served/" + APP + "/" + name))


def setupkit(setupkit_path, *arguments):
    subprocess.run([setupkit_path] + list(arguments), check=True, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)


def timed(command):
    """Seconds of the command and its peak memory (MB): the largest resident set and the largest
    private part of it seen in the process every 20 ms; the resident set counts the pages of the
    files it maps too."""
    started = time.monotonic()
    process = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    peak_resident = peak_private = 0
    while process.poll() is None:
        try:
            with open("/proc/%d/status" % process.pid) as status:
                fields = dict(line.split(":", 1) for line in status)
            peak_resident = max(peak_resident, int(fields["VmHWM"].split()[0]))
            peak_private = max(peak_private, int(fields["RssAnon"].split()[0]))
        except (OSError, KeyError, ValueError):
            pass
        if time.monotonic() - started > RUN_TIMEOUT:
            process.kill()
            fail("%s took over %d s" % (command[1], RUN_TIMEOUT))
        time.sleep(0.02)
    if process.returncode != 0:
        fail("%s ended with %d" % (" ".join(command[1:]), process.returncode))
    return time.monotonic() - started, peak_resident / 1024, peak_private / 1024


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def check_installed(installed, version, label):
    wrong = [name for name in files_of(version)
             if not os.path.isfile(os.path.join(installed, name)) or
             sha256_of(os.path.join(installed, name)) != sha256_of(os.path.join(version, name))]
    if wrong:
        fail("after %s %d files differ from the version's, the first %s" % (label, len(wrong),
                                                                               wrong[0]))


def main():
    if len(sys.argv) != 5:
        print(__doc__.split("Usage: ")[1], file=sys.stderr)
        return 2
    wine, build, setupkit_path, data = sys.argv[1:]
    source_root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    build, setupkit_path = os.path.abspath(build), os.path.abspath(setupkit_path)
    server = Server(os.environ["TEST_HTTP_PORT"])
    installed = os.path.join(data, "installed")
    if os.path.exists(os.path.join(installed, "unins000.exe")):
        subprocess.run([wine, os.path.join(installed, "unins000.exe"), "silent"],
                       capture_output=True, timeout=RUN_TIMEOUT)
    shutil.rmtree(data, ignore_errors=True)
    os.makedirs(data)
    v1, v2 = make_versions(build, source_root, data)

    # The product: its record stamped into the updater and the uninstaller of both versions.
    config = os.path.join(data, "config.txt")
    with open(config, "w") as out:
        out.write("app=%s;\nname=Delta bench;\ncompany=BenchCompany;\npublisher=Example;\n"
                  "version=1.0.0.0;\nstyle=#00000020;\nsource=%s;\nconfig=%s;\n" %
                  (APP, server.url("v1/"), server.url("update.xml")))
    record = os.path.join(data, "record.rec")
    setupkit(setupkit_path, "config", config, record, "--packed")
    for version in (v1, v2):
        os.rename(os.path.join(version, "bin", "unins000.exe"),
                  os.path.join(version, "unins000.exe"))
        os.rename(os.path.join(version, "bin", "update.exe"), os.path.join(version, "update.exe"))
        for program in ("unins000.exe", "update.exe"):
            setupkit(setupkit_path, "stamp", os.path.join(version, program), record)

    lists = {name: os.path.join(data, "list-" + name, "update.xml")
             for name in ("v1", "whole", "delta")}
    for folder in lists.values():
        os.makedirs(os.path.dirname(folder))
    setupkit(setupkit_path, "list", v1, server.url("v1/"), lists["v1"], "--version", "1.0.0.0")
    # v1 as a vendor keeps its publish: the list, and the files where its URLs lead.
    earlier = os.path.join(data, "earlier")
    os.makedirs(earlier)
    shutil.copy(lists["v1"], earlier)
    os.symlink(os.path.abspath(v1), os.path.join(earlier, "v1"))
    started = time.monotonic()
    setupkit(setupkit_path, "list", v2, server.url("v2/"), lists["whole"], "--version", "2.0.0.0")
    list_seconds = time.monotonic() - started
    started = time.monotonic()
    setupkit(setupkit_path, "list", v2, server.url("v2/"), lists["delta"], "--version", "2.0.0.0",
             "--previous", earlier)
    deltas_seconds = time.monotonic() - started
    setup = os.path.join(data, "setup.exe")
    setupkit(setupkit_path, "build", "--config", config, "--client", v1, "--download", "--stub",
             os.path.join(build, "bin", "setup.exe"), "-o", setup)

    for name in files_of(v1):
        server.keep("v1/" + name, os.path.join(v1, name))
    published = {}  # what the server serves below v2/, with its size
    for name in files_of(v2):
        server.keep("v2/" + name, os.path.join(v2, name))
        published[name] = os.path.getsize(os.path.join(v2, name))
    delta_folder = os.path.dirname(lists["delta"])
    for name in files_of(delta_folder):
        if name.endswith(".patch"):
            server.keep("v2/" + name, os.path.join(delta_folder, name))
            published[name] = os.path.getsize(os.path.join(delta_folder, name))

    # The updater's log, which it appends to: what it says of each file.
    update_log = os.path.join(os.environ["WINEPREFIX"], "drive_c", "users", getpass.getuser(),
                              "Temp", APP + "_update.log")

    def update_to(list_name):
        server.keep("update.xml", lists[list_name])
        before = {name: server.served("v2/" + name) for name in published}
        logged = os.path.getsize(update_log) if os.path.exists(update_log) else 0
        seconds, resident, private = timed([wine, os.path.join(installed, "update.exe"),
                                            "silent"])
        downloaded = sum(size * (server.served("v2/" + name) - before[name])
                         for name, size in published.items())
        with open(update_log, "rb") as log:
            log.seek(logged)
            lines = log.read().decode("utf-8", "replace").splitlines()
        patched = sum(1 for line in lines if " patched " in line and line.endswith(" saved"))
        whole = sum(1 for line in lines if " whole: " in line)
        return seconds, resident, private, downloaded, patched, whole

    server.keep("update.xml", lists["v1"])
    subprocess.run([wine, os.path.join(build, "bin", "install_headless.exe"),
                    windows_path(setup), windows_path(installed)], check=True,
                   capture_output=True, timeout=RUN_TIMEOUT)
    check_installed(installed, v1, "the install")
    whole = update_to("whole")
    check_installed(installed, v2, "the whole-file update")
    server.keep("update.xml", lists["v1"])
    subprocess.run([wine, os.path.join(installed, "update.exe"), "silent"], check=True,
                   capture_output=True, timeout=RUN_TIMEOUT)
    check_installed(installed, v1, "the update back to v1")
    delta = update_to("delta")
    check_installed(installed, v2, "the delta update")
    subprocess.run([wine, os.path.join(installed, "unins000.exe"), "silent"],
                   capture_output=True, timeout=RUN_TIMEOUT)

    changed = sum(1 for name in files_of(v2) if sha256_of(os.path.join(v1, name)) !=
                  sha256_of(os.path.join(v2, name)))
    patches = sum(1 for name in published if name.endswith(".patch"))
    print("== delta update under Wine, v1 to v2: %d files, %.0f MB, %d changed, %d patches" % (
        len(files_of(v2)), sum(os.path.getsize(os.path.join(v2, name))
                               for name in files_of(v2)) / 1048576, changed, patches))
    row = "%-52s %9.1f %s"
    print(row % ("whole-file update, downloaded", whole[3] / 1048576, "MB"))
    print(row % ("delta update, downloaded", delta[3] / 1048576, "MB"))
    print("%-52s %9.1f %%" % ("ratio (delta / whole)", 100.0 * delta[3] / whole[3]))
    print("%-52s %9d / %d" % ("whole-file update, files logged patched / whole", whole[4],
                                 whole[5]))
    print("%-52s %9d / %d" % ("delta update, files logged patched / whole", delta[4], delta[5]))
    print(row % ("whole-file update, update.exe silent", whole[0], "s"))
    print(row % ("delta update, update.exe silent", delta[0], "s"))
    print(row % ("  peak resident set, whole / delta", whole[1], "MB / %.1f MB" % delta[1]))
    print(row % ("  of it private, whole / delta", whole[2], "MB / %.1f MB" % delta[2]))
    print(row % ("setupkit list of v2, native", list_seconds, "s"))
    print(row % ("setupkit list of v2 --previous v1 (the patches)", deltas_seconds, "s"))
    print("every file of v2 byte for byte after both updates (SHA-256)")
    if delta[3] > whole[3] * 0.15:
        fail("the delta update downloaded more than 15 % of the whole-file update's bytes")
    # About 2 GB, made anew by every run.
    shutil.rmtree(data)
    return 0


if __name__ == "__main__":
    sys.exit(main())
