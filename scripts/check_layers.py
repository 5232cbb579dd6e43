#!/usr/bin/env python3
"""Lists which folders each source folder includes, and fails on an include that runs upward.

The folders are layers, lowest first: each may include only from itself and the layers below it.
Folders on one row stand side by side and include nothing of one another. support/ is layered
the same way inside: its sub-folders are ranked. Tests and samples are outside the layers and may
include anything.
"""
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent

# Lowest first. Folders on one row are siblings: neither may include the other.
LAYERS = [
    ["support"],
    ["records"],
    ["draw"],
    ["ui"],
    ["product"],
    ["install"],
    ["startup"],
    ["setup", "uninstaller", "updater"],
    ["tools"],
]
SUPPORT_LAYERS = [
    ["core"],
    ["text"],
    ["files"],
    ["crypto", "container", "delta"],
    ["zip", "http", "pe", "system"],
    ["journal"],
]
INCLUDE = re.compile(r'^\s*#\s*include\s+"([a-z_]+)/(?:([a-z_]+)/)?', re.MULTILINE)


def ranks(layers, prefix=""):
    return {prefix + folder: rank for rank, row in enumerate(layers) for folder in row}


RANK = ranks(LAYERS)
SUPPORT_RANK = ranks(SUPPORT_LAYERS, "support/")


def layer_of(top, sub):
    """The layer an include of "top/sub/..." lands in: a sub-folder of support/, else a top folder."""
    if top == "support" and sub is not None and f"support/{sub}" in SUPPORT_RANK:
        return f"support/{sub}"
    return top


def includes_of(folder):
    """The other layers that the sources under folder include, each with one example."""
    found = {}
    for source in sorted((ROOT / folder).rglob("*")):
        if source.suffix not in (".h", ".cpp", ".c", ".rc"):
            continue
        for match in INCLUDE.finditer(source.read_text(encoding="utf-8", errors="replace")):
            target = layer_of(match.group(1), match.group(2))
            if target != folder and (target in RANK or target in SUPPORT_RANK):
                found.setdefault(target, source.relative_to(ROOT))
    return found


def check(rank, outside):
    """Prints each folder's includes; returns (passed, failed). outside names layers the ranks do
    not order (the top folders, seen from inside support/), which stay out of the comparison."""
    passed = failed = 0
    for folder in rank:
        found = includes_of(folder)
        upward = sorted(t for t in found if t not in outside and rank.get(t, -1) >= rank[folder])
        upward += sorted(t for t in found if t in outside)
        print(f"{folder}: {' '.join(sorted(found)) or '(nothing)'}")
        for target in upward:
            print(f"  upward: {found[target]} includes {target}/")
        if upward:
            failed += 1
        else:
            passed += 1
    return passed, failed


def main():
    top_passed, top_failed = check(RANK, outside=set())
    loose = sorted(p.name for p in (ROOT / "support").glob("*.*") if p.suffix in (".h", ".cpp"))
    for name in loose:
        print(f"  loose: support/{name} belongs in one of support's sub-folders")
    sub_passed, sub_failed = check(SUPPORT_RANK, outside=set(RANK) - {"support"})
    passed = top_passed + sub_passed
    failed = top_failed + sub_failed + (1 if loose else 0)
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
