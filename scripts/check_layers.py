#!/usr/bin/env python3
"""Lists which folders each source folder includes, and fails on an include that runs upward.

The folders are layers, lowest first: each may include only from itself and the layers below it.
The three programs stand side by side and include nothing of one another. Tests and samples are
outside the layers and may include anything.
"""
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent

# Lowest first. Folders on one line are siblings: neither may include the other.
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
RANK = {folder: rank for rank, row in enumerate(LAYERS) for folder in row}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([a-z_]+)/', re.MULTILINE)


def includes_of(folder):
    """The other layer folders that the sources under folder include, each with one example."""
    found = {}
    for source in sorted((ROOT / folder).rglob("*")):
        if source.suffix not in (".h", ".cpp", ".c", ".rc"):
            continue
        for match in INCLUDE.finditer(source.read_text(encoding="utf-8", errors="replace")):
            target = match.group(1)
            if target != folder and target in RANK:
                found.setdefault(target, source.relative_to(ROOT))
    return found


def main():
    passed = failed = 0
    for folder in RANK:
        found = includes_of(folder)
        upward = sorted(t for t in found if RANK[t] >= RANK[folder])
        print(f"{folder}: {' '.join(sorted(found)) or '(nothing)'}")
        for target in upward:
            print(f"  upward: {found[target]} includes {target}/")
        if upward:
            failed += 1
        else:
            passed += 1
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
