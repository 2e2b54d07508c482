#!/usr/bin/env python3
"""Checks the program's include structure: no cycle among its units, and every include
points down the layers named in the README ("Layout"). A unit is x.h with x.cpp; tests
and benchmarks are not units. Prints one line per finding and a closing line; exits 1
on any finding."""
import os
import re
import sys

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
FOLDERS = ["framework", "store", "app", "update", "buttons", "dialogs", "panel", "res"]

# Layers, lowest first. A unit may include units of a lower layer, and units of its own
# layer below WINDOWS; the windows a panel owns never include one another, nor do the
# panel's parts (they meet through the panel window).
LAYERS = [
    ("framework", lambda u: u.startswith("framework/") or u == "res/resource"),
    ("store and application state",
     lambda u: u.startswith("store/") or u in ("app/app_paths", "app/app_state", "app/settings_win",
                                              "app/ui_language", "app/ui_language_win")),
    ("update", lambda u: u.startswith("update/")),
    ("portable rules", lambda u: u.split("/")[0] in ("panel", "buttons", "dialogs") and not u.endswith("_win")),
    ("imaging", lambda u: u == "buttons/icon_imaging_win"),
    ("windows the panel owns", lambda u: u.split("/")[0] in ("buttons", "dialogs")),
    ("panel parts", lambda u: u.startswith("panel/") and u != "panel/panel_window_win"),
    ("panel window", lambda u: u == "panel/panel_window_win"),
    ("application", lambda u: u.startswith("app/")),
]
WINDOWS = 5
PARTS = 6


def layer_of(unit):
    for i, (_, test) in enumerate(LAYERS):
        if test(unit):
            return i
    return None


def units():
    found = {}
    for folder in FOLDERS:
        base = os.path.join(ROOT, folder)
        if not os.path.isdir(base):
            continue
        for name in sorted(os.listdir(base)):
            stem, ext = os.path.splitext(name)
            if ext in (".h", ".cpp"):
                found.setdefault(f"{folder}/{stem}", []).append(os.path.join(base, name))
    return found


def includes(files, known):
    out = set()
    for path in files:
        with open(path, encoding="utf-8") as f:
            for line in f:
                m = re.match(r'\s*#\s*include\s+"([^"]+)\.h"', line)
                if m and m.group(1) in known:
                    out.add(m.group(1))
    return out


def main():
    all_units = units()
    graph = {u: includes(files, all_units) - {u} for u, files in all_units.items()}
    problems = []
    for u, deps in sorted(graph.items()):
        lu = layer_of(u)
        if lu is None:
            problems.append(f"{u}: belongs to no layer")
            continue
        for d in sorted(deps):
            ld = layer_of(d)
            if ld is None:
                continue
            if ld > lu or (ld == lu and lu in (WINDOWS, PARTS)):
                problems.append(f"{u} ({LAYERS[lu][0]}) includes {d} ({LAYERS[ld][0]})")
    # Cycles: depth-first search with colours.
    state, stack = {}, []

    def visit(u):
        state[u] = 1
        stack.append(u)
        for d in sorted(graph[u]):
            if state.get(d) == 1:
                problems.append("include cycle: " + " -> ".join(stack[stack.index(d):] + [d]))
            elif d not in state:
                visit(d)
        stack.pop()
        state[u] = 2

    for u in sorted(graph):
        if u not in state:
            visit(u)
    for p in problems:
        print("layers: FAIL " + p)
    print(f"layers: {len(graph)} units, {sum(len(d) for d in graph.values())} includes, "
          f"{len(problems)} problems")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
