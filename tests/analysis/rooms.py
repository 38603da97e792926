#!/usr/bin/env python3
"""Checks that each room of src/ includes only what it may touch.

The floors: core <- lists <- files <- window, cli. core/, lists/, files/ and cli/ include no
Qt GUI or widget header; window/ and cli/ never include each other; only src/main.cpp sees
both faces. Prints every include that breaks a rule and exits 1 if there is any.
Usage: rooms.py SOURCE_ROOT
"""
import glob
import os
import re
import sys

MAY_INCLUDE = {
    "core": {"core"},
    "lists": {"core", "lists"},
    "files": {"core", "lists", "files"},
    "window": {"core", "lists", "files", "window"},
    "cli": {"core", "lists", "files", "cli"},
}
WITHOUT_WIDGETS = {"core", "lists", "files", "cli"}


def qt_headers(module):
    """The class headers of a Qt module, as the installed headers name them."""
    names = set()
    for folder in glob.glob(f"/usr/include/*/qt6/{module}") + glob.glob(f"/usr/include/qt6/{module}"):
        names.update(name for name in os.listdir(folder) if not name.endswith(".h"))
        names.update(f"{module}/{name}" for name in os.listdir(folder))
    return names


def main():
    root = os.path.join(sys.argv[1], "src")
    graphical = qt_headers("QtGui") | qt_headers("QtWidgets")
    if not graphical:
        print("rooms.py: Qt's GUI headers were not found")
        return 1
    include = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)
    broken = []
    for folder, _, files in os.walk(root):
        for name in sorted(files):
            if not name.endswith((".h", ".cpp")):
                continue
            path = os.path.join(folder, name)
            relative = os.path.relpath(path, root)
            room = relative.split(os.sep)[0]
            if room not in MAY_INCLUDE:
                if relative != "main.cpp":
                    broken.append(f"{relative}: a file outside the rooms")
                continue
            with open(path, encoding="utf-8") as source:
                text = source.read()
            for kind, target in include.findall(text):
                if kind == '"':
                    if target.split("/")[0] not in MAY_INCLUDE[room]:
                        broken.append(f"{relative}: includes {target}")
                elif room in WITHOUT_WIDGETS and target in graphical:
                    broken.append(f"{relative}: includes <{target}>, a GUI header")
    for line in broken:
        print(line)
    print(f"rooms.py: {len(broken)} includes that break the rooms' rules")
    return 1 if broken else 0


sys.exit(main())
