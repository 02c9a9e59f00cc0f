#!/usr/bin/env python3
"""The source tree's layers, read from its #include lines.

    scripts/layers.py [SOURCE-ROOT]

Fails (status 1, each finding on a line of its own) when
  - the files of app/ include one another in a circle (x.cpp and x.h count as one unit x);
  - a file in elements/, scenes/ or textures/ includes anything from app/ but the shared state
    record (app/show_state.h) and the timeline (app/timeline.h);
  - a file in platform/ includes anything from app/.
Prints app/'s arrows (unit -> the units it includes) either way.
"""
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')
SOURCE_SUFFIXES = (".cpp", ".h")
DRAWING_FOLDERS = ("elements", "scenes", "textures")
DRAWING_MAY_INCLUDE = {"app/show_state.h", "app/timeline.h"}


def source_files(root, folder):
    """Every .cpp and .h under root/folder, as paths relative to root, in a stable order."""
    found = []
    for directory, subfolders, names in os.walk(os.path.join(root, folder)):
        subfolders.sort()
        for name in sorted(names):
            if name.endswith(SOURCE_SUFFIXES):
                found.append(os.path.relpath(os.path.join(directory, name), root).replace(os.sep, "/"))
    return found


def includes(root, path):
    """(line number, included path) for each quoted #include of the file."""
    found = []
    with open(os.path.join(root, path), encoding="utf-8", errors="replace") as text:
        for number, line in enumerate(text, 1):
            match = INCLUDE.match(line)
            if match:
                found.append((number, match.group(1)))
    return found


def unit_of(path):
    """app/x.cpp and app/x.h are the unit app/x."""
    return os.path.splitext(path)[0]


def app_arrows(root):
    """{unit: set of the app/ units it includes}, for every unit of app/."""
    arrows = {}
    for path in source_files(root, "app"):
        unit = unit_of(path)
        arrows.setdefault(unit, set())
        for _, included in includes(root, path):
            if included.startswith("app/") and unit_of(included) != unit:
                arrows[unit].add(unit_of(included))
    return arrows


def circles(arrows):
    """Each group of more than one unit that reach one another (a strongly connected component)."""
    index, low, on_stack, stack, groups = {}, {}, set(), [], []

    def visit(unit):
        index[unit] = low[unit] = len(index)
        stack.append(unit)
        on_stack.add(unit)
        for target in sorted(arrows.get(unit, ())):
            if target not in index:
                visit(target)
                low[unit] = min(low[unit], low[target])
            elif target in on_stack:
                low[unit] = min(low[unit], index[target])
        if low[unit] == index[unit]:
            group = []
            while True:
                member = stack.pop()
                on_stack.discard(member)
                group.append(member)
                if member == unit:
                    break
            if len(group) > 1:
                groups.append(sorted(group))

    for unit in sorted(arrows):
        if unit not in index:
            visit(unit)
    return groups


def circle_through(group, arrows):
    """The shortest path of arrows that starts and ends at the group's first unit, for the report."""
    members = set(group)
    start = group[0]
    # Breadth first from start's targets back to start, inside the group.
    previous = {}
    frontier = [start]
    while frontier:
        following = []
        for unit in frontier:
            for target in sorted(arrows[unit] & members):
                if target == start:
                    chain = [unit]
                    while chain[-1] != start:
                        chain.append(previous[chain[-1]])
                    return list(reversed(chain)) + [start]
                if target not in previous:
                    previous[target] = unit
                    following.append(target)
        frontier = following
    return group


def stray_includes(root):
    """Lines of elements/, scenes/, textures/ and platform/ that include from app/ beyond their due."""
    found = []
    for folder in DRAWING_FOLDERS + ("platform",):
        allowed = DRAWING_MAY_INCLUDE if folder in DRAWING_FOLDERS else set()
        for path in source_files(root, folder):
            for number, included in includes(root, path):
                if included.startswith("app/") and included not in allowed:
                    found.append("%s:%d: includes %s" % (path, number, included))
    return found


def main(argv):
    root = argv[1] if len(argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    if not os.path.isdir(os.path.join(root, "app")):
        print("layers: no app/ folder under %s" % root, file=sys.stderr)
        return 2
    arrows = app_arrows(root)
    print("app/'s arrows:")
    for unit in sorted(arrows):
        targets = ", ".join(sorted(t[len("app/"):] for t in arrows[unit])) or "-"
        print("  %-24s -> %s" % (unit[len("app/"):], targets))
    faults = []
    for group in circles(arrows):
        short = lambda units: [unit[len("app/"):] for unit in units]
        faults.append("circle in app/ among %s, for one: %s" % (", ".join(short(group)),
                                                                " -> ".join(short(circle_through(group, arrows)))))
    faults.extend(stray_includes(root))
    for fault in faults:
        print(fault)
    if faults:
        print("layers: %s" % ("fault found" if len(faults) == 1 else "faults found"))
        return 1
    print("layers: no circle in app/; elements/, scenes/, textures/ and platform/ include from app/ only what they may")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
