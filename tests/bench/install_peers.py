#!/usr/bin/python3
"""The install figures of `make bench`: the archive-mode install of a generated client under
Wine by install_headless.exe and by setup.exe silent (through its window), beside the NSIS
installer doing the same work (tests/bench/bench_installer.nsi, zlib) and unzip extracting the
very archive the install unpacks. The peers run interleaved, each round in another order, and
the figures are the medians of the rounds: the time to the process's end and, for the two that
start the client, to its start (the client notes it, and may do so after the installer ended);
and the peak memory of the installing process: its peak working set, and its private bytes
(see install_bench.cpp: under Wine its resident private pages, the largest seen every few
milliseconds); for unzip its peak resident set, the same measure as the working set.

The display needs a window manager: without one, Wine waits about 2 s for one to withdraw a
window that hides, which no desktop does. When none runs, openbox is started for the figures.
And the session's desktop is held open while they are taken (install_bench hold), as a shell
holds it: else Wine makes it anew for every installer, seconds of waiting no user has.

A huge client (KIND huge) is packed by the native setupkit, whose time and peak memory are
printed, and installed once from the data beside setup.exe and once in download mode from
Debian's nginx (serving on STATIC_HTTP_PORT, see scripts/static-server.sh), each then removed by
its own uninstaller; NSIS is left out, as it cannot make an installer past 2 GB.

Usage: install_peers.py WINE BIN_FOLDER DATA_FOLDER KIND ROUNDS
  KIND: small (2,000 files, about 20 MB), large (about 1 GB, one file of 400 MB), tiny (the
  client file alone: what the installer itself takes, the base the other peaks stand on) or
  huge (BENCH_HUGE_GB gigabytes, 20 by default, in 5,000 files with one of 8 GB)."""

import glob
import os
import shutil
import statistics
import subprocess
import sys
import time

from Xlib import display, error

NSIS_SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "bench_installer.nsi")
RUN_TIMEOUT = 600
HUGE_RUN_TIMEOUT = 4 * 3600
MB = 1048576.0
SETUPKIT = "build/native/bin/setupkit"
LABELS = {
    "headless": "install_headless.exe",
    "silent": "setup.exe silent, through its window",
    "nsis": "NSIS installer (zlib) /S",
    "unzip": "unzip into a folder, the same archive",
}


def window_manager_running():
    """As EWMH tells: the root names a window that names itself. A manager that ended may leave
    its name on the root, but not its window."""
    screen = display.Display()
    atom = screen.intern_atom("_NET_SUPPORTING_WM_CHECK")
    named = screen.screen().root.get_full_property(atom, 0)
    if named is None or not named.value:
        return False
    try:
        check = screen.create_resource_object("window", named.value[0])
        itself = check.get_full_property(atom, 0)
    except error.XError:
        return False
    return itself is not None and list(itself.value) == list(named.value)


def start_window_manager():
    """Starts openbox when no window manager runs; returns its process, or None."""
    if window_manager_running():
        return None
    manager = subprocess.Popen(["openbox", "--sm-disable"], stdin=subprocess.DEVNULL,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    deadline = time.monotonic() + 20
    while not window_manager_running():
        if manager.poll() is not None or time.monotonic() > deadline:
            sys.exit("bench: openbox did not start")
        time.sleep(0.05)
    return manager


def hold_desktop(wine, bench):
    """Starts install_bench hold, which keeps the session's desktop open as a shell would, and
    waits until it does; closing its input ends it."""
    holder = subprocess.Popen([wine, bench, "hold"], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                              stderr=subprocess.DEVNULL, text=True)
    if holder.stdout.readline().strip() != "holding":
        sys.exit("bench: install_bench hold did not start")
    return holder


def read_env(path):
    facts = {}
    with open(path, encoding="utf-8") as env:
        for line in env:
            key, _, value = line.strip().partition("=")
            facts[key] = value.strip("'")
    return facts


def build_nsis_installer(data):
    """makensis, unless the installer is newer than the client and the script."""
    installer = os.path.join(data, "nsis_installer.exe")
    sources = [os.path.join(data, "client.stamp"), NSIS_SCRIPT]
    if os.path.exists(installer) and all(
            os.path.getmtime(installer) > os.path.getmtime(s) for s in sources):
        return
    subprocess.run(["makensis", "-V1", "-INPUTCHARSET", "UTF8",
                    "-DCLIENT=" + os.path.join(data, "client"), "-DOUT=" + installer,
                    NSIS_SCRIPT], check=True, stdout=subprocess.DEVNULL)


def run_windows_peer(wine, bench, peer, data, keep=False, timeout=RUN_TIMEOUT):
    done = subprocess.run([wine, bench, "run", peer, data] + (["keep"] if keep else []),
                          capture_output=True, text=True, timeout=timeout)
    # Wine ends lines with CR LF and may add notes of its own.
    for line in done.stdout.replace("\r", "").splitlines():
        fields = line.split()
        if len(fields) == 5 and fields[0] == peer:
            return {"total": float(fields[1]), "client": float(fields[2]) or None,
                    "working_set": int(fields[3]), "private": int(fields[4])}
    sys.exit("bench: the %s run failed: %s" % (peer, done.stderr.strip()))


def run_uninstall(wine, bench, peer, data):
    """Times the uninstaller a kept install by peer left; milliseconds."""
    done = subprocess.run([wine, bench, "uninstall", peer, data], capture_output=True, text=True,
                          timeout=RUN_TIMEOUT)
    for line in done.stdout.replace("\r", "").splitlines():
        fields = line.split()
        if len(fields) == 2 and fields[0] == peer:
            return float(fields[1])
    sys.exit("bench: the %s uninstall failed: %s" % (peer, done.stderr.strip()))


def files_alone(wine, bench, data):
    """Prints Wine's file system's own cost of the bench client's files (install_bench files) and
    returns the least of its figures: the floor no way of writing those files got below."""
    done = subprocess.run([wine, bench, "files", os.path.join(data, "files")], capture_output=True,
                          text=True, timeout=RUN_TIMEOUT, check=True)
    figures = []
    for line in done.stdout.replace("\r", "").splitlines():
        if line.endswith(" ms"):
            print(line)
            figures.append(float(line.split()[-2]))
    return min(figures)


def run_unzip(data, password):
    target = os.path.join(data, "unzipped")
    shutil.rmtree(target, ignore_errors=True)
    start = time.perf_counter()
    process = subprocess.Popen(["unzip", "-qq", "-P", password, os.path.join(data, "app.zip"),
                                "-d", target])
    _, status, usage = os.wait4(process.pid, 0)
    took = (time.perf_counter() - start) * 1000
    process.returncode = os.waitstatus_to_exitcode(status)
    if process.returncode != 0:
        sys.exit("bench: unzip failed")
    shutil.rmtree(target, ignore_errors=True)
    # Linux counts the peak resident set in KB.
    return {"total": took, "client": None, "working_set": usage.ru_maxrss * 1024,
            "private": None}


def run_setupkit(arguments):
    """The native setupkit, as a vendor's build server runs it: seconds and peak resident MB."""
    timing = os.path.join(os.path.dirname(os.path.abspath(arguments[-1])), "pack.time")
    subprocess.run(["/usr/bin/time", "-f", "%e %M", "-o", timing, SETUPKIT] + arguments,
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    with open(timing, encoding="ascii") as measured:
        seconds, kilobytes = measured.read().split()
    return float(seconds), int(kilobytes) / 1024.0


def uninstall_leaves(wine, data):
    """Runs the install's own uninstaller silently and waits for the install folder to go;
    returns how many files and folders stay in it."""
    installed = os.path.join(data, "installed")
    # The client's note that it started is the bench's, not the install's.
    os.remove(os.path.join(installed, "client.exe.ran"))
    subprocess.run([wine, os.path.join(installed, "unins000.exe"), "silent"],
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=RUN_TIMEOUT)

    def left():
        return sum(len(dirs) + len(files) for _, dirs, files in os.walk(installed))

    # The uninstaller may end before a copy of itself has removed it and its folder.
    deadline = time.monotonic() + 60
    while left() != 0 and time.monotonic() < deadline:
        time.sleep(0.5)
    return left()


def huge(wine, bench, data):
    """Packs the huge client twice (data beside setup.exe; download mode), installs each and
    removes it again; returns the rows to print."""
    port = os.environ["STATIC_HTTP_PORT"]
    with open(os.path.join(data, "config.txt"), "w", encoding="utf-8") as config:
        config.write("app=bench;\nname=bench;\ncompany=Bench;\nversion=1.0.0.0;\n"
                     "source=http://127.0.0.1:%s/app;\nconfig=http://127.0.0.1:%s/update.xml;\n"
                     % (port, port))
    stub = os.path.join(os.path.dirname(bench), "setup.exe")
    rows = []

    def measured_install(label, folder, setup, pack):
        for old in glob.glob(os.path.join(folder, "setup*")):
            os.remove(old)
        seconds, megabytes = run_setupkit(pack + ["--stub", stub, "-o", setup])
        rows.append(("setupkit build, %s" % label, "%.0f s" % seconds, "%.1f MB" % megabytes))
        beside = sum(os.path.getsize(f) for f in glob.glob(os.path.join(folder, "setup*"))
                     if f != setup)
        run = run_windows_peer(wine, bench, "silent", folder, keep=True, timeout=HUGE_RUN_TIMEOUT)
        rows.append(("setup.exe silent, %s" % label, "%.0f s" % (run["total"] / 1000),
                     "%.1f MB WS, %.1f MB private" % (run["working_set"] / MB,
                                                      run["private"] / MB)))
        rows.append(("  setup.exe / beside it", "%.1f MB" % (os.path.getsize(setup) / MB),
                     "%.1f MB" % (beside / MB)))
        rows.append(("  unins000.exe silent leaves", "%d entries" % uninstall_leaves(wine, folder),
                     ""))

    client = os.path.join(data, "client")
    measured_install("data beside it", data, os.path.join(data, "setup.exe"),
                     ["build", "--config", os.path.join(data, "config.txt"), "--client", client])
    for beside in glob.glob(os.path.join(data, "setup*")):
        os.remove(beside)
    download = os.path.join(data, "download")
    site = os.path.join(data, "site")
    shutil.rmtree(site, ignore_errors=True)
    os.makedirs(download, exist_ok=True)
    # A download-mode client gets its uninstaller and updater from the published files alone:
    # stamped copies go into the client folder for as long as it is published.
    record = os.path.join(data, "record.rec")
    subprocess.run([SETUPKIT, "config", os.path.join(data, "config.txt"), record, "--packed"],
                   check=True, stdout=subprocess.DEVNULL)
    programs = [os.path.join(client, name) for name in ("unins000.exe", "update.exe")]
    try:
        for program in programs:
            shutil.copy(os.path.join(os.path.dirname(bench), os.path.basename(program)), program)
            subprocess.run([SETUPKIT, "stamp", program, record], check=True,
                           stdout=subprocess.DEVNULL)
        measured_install("download mode from nginx", download,
                         os.path.join(download, "setup.exe"),
                         ["build", "--config", os.path.join(data, "config.txt"), "--client",
                          client, "--download", "--publish", site])
    finally:
        for program in programs:
            if os.path.exists(program):
                os.remove(program)
        shutil.rmtree(site, ignore_errors=True)
    rows.append(("NSIS", "cannot", "its installer holds at most 2 GB"))
    return rows


def median(runs, key):
    values = [run[key] for run in runs if run[key] is not None]
    return statistics.median(values) if values else None


def print_table(runs, peers):
    print("%-40s %10s %10s %9s %9s %7s" % ("", "to its end", "to client", "peak WS",
                                             "private", "/ NSIS"))
    nsis = median(runs["nsis"], "total")
    for peer in peers:
        total = median(runs[peer], "total")
        client = median(runs[peer], "client")
        private = median(runs[peer], "private")
        print("%-40s %7.0f ms %s %6.1f MB %s %7.2f" % (
            LABELS[peer], total, "%7.0f ms" % client if client else "%10s" % "-",
            median(runs[peer], "working_set") / MB,
            "%6.1f MB" % (private / MB) if private else "%9s" % "-", total / nsis))


def main():
    if len(sys.argv) != 6:
        print(__doc__.split("\n\n")[-1], file=sys.stderr)
        return 2
    wine, bin_folder, data, kind, rounds = sys.argv[1:]
    rounds = int(rounds)
    data = os.path.abspath(data)
    bench = os.path.join(bin_folder, "install_bench.exe")
    os.makedirs(data, exist_ok=True)
    manager = start_window_manager()
    holder = None
    try:
        start = time.monotonic()
        prepare = [wine, bench, "prepare", data] + ([] if kind == "small" else ["--" + kind])
        if kind == "huge":
            prepare.append(os.environ.get("BENCH_HUGE_GB", "20"))
        subprocess.run(prepare, check=True, stdout=subprocess.DEVNULL, timeout=HUGE_RUN_TIMEOUT)
        facts = read_env(os.path.join(data, "install.env"))
        if kind == "huge":
            holder = hold_desktop(wine, bench)
            rows = huge(wine, bench, data)
            print("== a huge client under Wine: %d files, %.1f GB" % (
                int(facts["FILES"]), int(facts["CLIENT_BYTES"]) / MB / 1024))
            for row in rows:
                print("%-40s %12s   %s" % row)
            print("%-40s %12.0f s" % ("this part took", time.monotonic() - start))
            return 0
        peers = ["headless", "silent", "nsis"] + ([] if kind == "tiny" else ["unzip"])
        build_nsis_installer(data)
        prepared = time.monotonic() - start
        holder = hold_desktop(wine, bench)
        runs = {peer: [] for peer in peers}
        # On the 2,000-file client the uninstallers are timed too, each removing its own install.
        uninstalled = {"silent": [], "nsis": []} if kind == "small" else {}
        for round_index in range(rounds):
            turn = round_index % len(peers)
            for peer in peers[turn:] + peers[:turn]:
                if peer == "unzip":
                    runs[peer].append(run_unzip(data, facts["ARCHIVE_PASSWORD"]))
                    continue
                kept = peer in uninstalled
                runs[peer].append(run_windows_peer(wine, bench, peer, data, keep=kept))
                if kept:
                    uninstalled[peer].append(run_uninstall(wine, bench, peer, data))
        took = time.monotonic() - start
    finally:
        if holder is not None:
            holder.stdin.close()
            holder.wait(timeout=60)
        if manager is not None:
            manager.terminate()
            manager.wait(timeout=10)

    files = int(facts["FILES"])
    client_mb = int(facts["CLIENT_BYTES"]) / MB
    print("== archive-mode install under Wine with a window manager: %d files, %.1f MB "
          "(archive %.1f MB, setup.exe %.1f MB); medians of %d interleaved rounds" % (
              files, client_mb, int(facts["ARCHIVE_BYTES"]) / MB,
              int(facts["SETUP_BYTES"]) / MB, rounds))
    print_table(runs, peers)
    headless = median(runs["headless"], "total")
    silent = median(runs["silent"], "total")
    print("%-56s %8.2f (at most %.2f wanted)" % (
        "ratio setup.exe silent / NSIS", silent / median(runs["nsis"], "total"),
        0.7 if kind == "large" else 0.9))
    print("%-56s %8.2f (at most 1.10 wanted)" % ("ratio setup.exe silent to the client / headless",
                                                  median(runs["silent"], "client") / headless))
    if kind == "small":
        print("%-56s %8.2f (at most 1.15 wanted)" % (
            "ratio install_headless.exe / files-alone floor",
            headless / files_alone(wine, bench, data)))
    if uninstalled:
        ours = statistics.median(uninstalled["silent"])
        theirs = statistics.median(uninstalled["nsis"])
        print("%-56s %8.0f ms" % ("unins000.exe silent, until the folder is gone", ours))
        print("%-56s %8.0f ms" % ("NSIS uninstaller /S, the same", theirs))
        print("%-56s %8.2f (at most 1.00 wanted)" % ("ratio unins000.exe silent / NSIS uninstaller",
                                                      ours / theirs))
    if "unzip" in runs:
        print("%-56s %8.2f" % ("ratio install_headless.exe / unzip",
                               headless / median(runs["unzip"], "total")))
        print("%-56s %8.0f files/s, %.1f MB/s" % ("install_headless.exe", files / headless * 1000,
                                                   client_mb / headless * 1000))
    print("%-56s %8.0f s (of it %.0f s generating and packing)" % ("this part took", took,
                                                                    prepared))
    return 0


if __name__ == "__main__":
    sys.exit(main())
