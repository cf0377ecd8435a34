#!/usr/bin/env python3
"""Checks that the sources include in one direction only.

    core  <-  win  <-  download, install  <-  ui  <-  app

A file may include files of its own folder and of the folders to its left;
download and install do not include each other; nothing includes app/ but
app itself. The portable core includes no Windows header at all. The
resource ids (res/) are for the windows of ui and app.

Usage: check_layers.py [SRC_DIR]   (default: the project's src/)
Prints one line per offending include and exits 1 when there is any.
"""
import pathlib
import re
import sys

# Folder -> what it may include besides itself.
ALLOWED = {
    "core": set(),
    "win": {"core"},
    "download": {"core", "win"},
    "install": {"core", "win"},
    "ui": {"core", "win", "download", "install", "res"},
    "app": {"core", "win", "download", "install", "ui", "res"},
}
WINDOWS_HEADERS = {"windows.h", "wininet.h", "shellapi.h", "shlobj.h", "commctrl.h",
                   "winbase.h", "winuser.h", "process.h", "tlhelp32.h", "psapi.h",
                   "objbase.h", "shlwapi.h", "winver.h", "io.h"}
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def layer_of(path: pathlib.Path, src: pathlib.Path) -> str:
    return path.relative_to(src).parts[0]


def place_of(resolved: pathlib.Path, src: pathlib.Path) -> str:
    """The layer of a file named by a relative path, or 'res' for resources."""
    if resolved.is_relative_to(src.resolve()):
        return resolved.relative_to(src.resolve()).parts[0]
    if resolved.is_relative_to(src.resolve().parent / "res"):
        return "res"
    return "elsewhere"


def check(src: pathlib.Path) -> list[str]:
    problems = []
    for path in sorted(src.rglob("*")):
        if path.suffix not in (".h", ".cpp") or not path.is_file():
            continue
        own = layer_of(path, src)
        if own not in ALLOWED:
            problems.append(f"{path.relative_to(src)}: folder '{own}' has no place in the layers")
            continue
        lines = path.read_text(encoding="utf-8", errors="replace").splitlines()
        for number, line in enumerate(lines, 1):
            m = INCLUDE.match(line)
            if not m:
                continue
            kind, name = m.groups()
            where = f"{path.relative_to(src)}:{number}"
            if kind == "<":
                if own == "core" and name.lower() in WINDOWS_HEADERS:
                    problems.append(f"{where}: the portable core includes <{name}>")
                continue
            if name.startswith("../"):
                target = place_of((path.parent / name).resolve(), src)
            elif "/" in name:
                target = name.split("/")[0]
            else:
                continue  # beside the including file
            if target == own:
                continue
            if target in ALLOWED[own]:
                continue
            if target not in ALLOWED and target != "res":
                problems.append(f'{where}: "{name}" is outside the layers')
            else:
                problems.append(f'{where}: {own}/ may not include "{name}"')
    return problems


def main() -> int:
    default = pathlib.Path(__file__).resolve().parent.parent / "src"
    src = pathlib.Path(sys.argv[1]) if len(sys.argv) > 1 else default
    problems = check(src)
    for p in problems:
        print(p)
    if problems:
        print(f"{len(problems)} include(s) break the layer direction")
        return 1
    print(f"include direction holds in {src}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
