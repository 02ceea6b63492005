#!/usr/bin/env python3
"""Fails when the modules of src/ include each other in a cycle, listing each cycle.

A module is a header and its source (dir/name.h, dir/name.cpp); a source without a header
of its own, dir/name_part.cpp beside dir/name.h, belongs to name (a class split over
several files). A module depends on another when one of its files has a quoted #include
of the other's header; a form's .ui counts as the form's file, since the ui_*.h that uic
makes from it includes the headers of its custom widgets. Includes that reach no file of
src/ (Qt, the C library, generated headers) are not edges.
Usage: check-include-cycles.py [SRC_DIR]   (default: the src/ of this clone)
"""

import os
import re
import sys
from collections import defaultdict

SOURCE_SUFFIXES = (".h", ".h.in", ".cpp", ".cpp.in", ".ui")
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')
UI_HEADER = re.compile(r"<header>\s*([^<\s]+)\s*</header>")


def strip_suffix(path):
    for suffix in SOURCE_SUFFIXES:
        if path.endswith(suffix):
            return path[: -len(suffix)]
    return None


def list_files(src):
    files = []
    for folder, dirs, names in os.walk(src):
        dirs.sort()
        for name in sorted(names):
            if strip_suffix(name) is not None:
                files.append(os.path.relpath(os.path.join(folder, name), src))
    return files


def module_of(path, headers):
    """The module (path without suffix) a file of src/ belongs to."""
    stem = strip_suffix(path)
    if path.endswith((".cpp", ".cpp.in")) and stem + ".h" not in headers:
        folder, name = os.path.split(stem)
        while "_" in name:
            name = name.rsplit("_", 1)[0]
            owner = os.path.join(folder, name)
            if owner + ".h" in headers:
                return owner
    return stem


def included_names(path, src):
    """(line number, included name) of each quoted include of a file, ui_X.h as X.ui."""
    with open(os.path.join(src, path), encoding="utf-8", errors="replace") as f:
        text = f.read()
    found = []
    pattern = UI_HEADER if path.endswith(".ui") else INCLUDE
    for number, line in enumerate(text.splitlines(), 1):
        for match in pattern.finditer(line):
            name = match.group(1)
            folder, base = os.path.split(name)
            if base.startswith("ui_") and base.endswith(".h"):
                name = os.path.join(folder, base[3:-2] + ".ui")
            found.append((number, name))
    return found


def resolve(includer, name, by_name):
    """The file of src/ an include names: the one beside the includer, else the one file
    whose path ends with the name (the include folders are the modules' folders)."""
    beside = os.path.normpath(os.path.join(os.path.dirname(includer), name))
    candidates = [c for c in by_name.get(os.path.basename(name), [])
                  if plain(c) == beside or ("/" + plain(c)).endswith("/" + name)]
    for c in candidates:
        if plain(c) == beside:
            return c
    if len(candidates) > 1:
        raise SystemExit(f"{includer}: include \"{name}\" is ambiguous: {', '.join(candidates)}")
    return candidates[0] if candidates else None


def plain(path):
    """A file's path without the .in of a configured template."""
    return path[:-3] if path.endswith(".in") else path


def strongly_connected(graph):
    """Tarjan's components, iteratively; only those that hold a cycle."""
    index = {}
    low = {}
    on_stack = set()
    stack = []
    result = []
    counter = 0
    for root in sorted(graph):
        if root in index:
            continue
        work = [(root, iter(sorted(graph[root])))]
        index[root] = low[root] = counter
        counter += 1
        stack.append(root)
        on_stack.add(root)
        while work:
            node, children = work[-1]
            child = next(children, None)
            if child is not None:
                if child not in index:
                    index[child] = low[child] = counter
                    counter += 1
                    stack.append(child)
                    on_stack.add(child)
                    work.append((child, iter(sorted(graph[child]))))
                elif child in on_stack:
                    low[node] = min(low[node], index[child])
                continue
            work.pop()
            if work:
                parent = work[-1][0]
                low[parent] = min(low[parent], low[node])
            if low[node] == index[node]:
                component = []
                while True:
                    member = stack.pop()
                    on_stack.discard(member)
                    component.append(member)
                    if member == node:
                        break
                if len(component) > 1:
                    result.append(sorted(component))
    return result


def shortest_cycle(graph, start, members):
    """The shortest path from start back to start inside one component."""
    previous = {start: None}
    queue = [start]
    for node in queue:
        for child in sorted(graph[node]):
            if child not in members:
                continue
            if child == start:
                path = [node]
                while previous[path[-1]] is not None:
                    path.append(previous[path[-1]])
                return list(reversed(path)) + [start]
            if child not in previous:
                previous[child] = node
                queue.append(child)
    return None


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    src = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "src")
    src = os.path.abspath(src)
    files = list_files(src)
    headers = {plain(f) for f in files if plain(f).endswith(".h")}
    by_name = defaultdict(list)
    for f in files:
        by_name[os.path.basename(plain(f))].append(f)
    graph = defaultdict(set)
    evidence = defaultdict(list)
    for f in files:
        module = module_of(f, headers)
        graph[module]
        for number, name in included_names(f, src):
            target = resolve(f, name, by_name)
            if target is None:
                continue
            other = module_of(target, headers)
            if other != module:
                graph[module].add(other)
                evidence[(module, other)].append(f"{f}:{number}")
    components = strongly_connected(graph)
    if not components:
        print(f"include cycles: none among the {len(graph)} modules of src/")
        return 0
    for members in components:
        member_set = set(members)
        print(f"include cycle among {len(members)} modules: {', '.join(members)}")
        cycle = shortest_cycle(graph, members[0], member_set)
        print("  for instance " + " -> ".join(cycle))
        for module in members:
            for other in sorted(graph[module] & member_set):
                print(f"  {module} -> {other}: {', '.join(evidence[(module, other)])}")
    return 1


if __name__ == "__main__":
    sys.exit(main())
