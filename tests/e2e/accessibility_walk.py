#!/usr/bin/python3
"""Walks the windows of a running tavelorn over AT-SPI and fails on any focusable,
showing control without a name. Driven by accessibility_walk.sh, under Xvfb with a
session bus; the windows are opened with xdotool as a user would."""

import subprocess
import sys
import time

import pyatspi

PID = int(sys.argv[1])
failures = []


def log(*args):
    print(*args, flush=True)


def poll(what, predicate, timeout=20.0):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        try:
            result = predicate()
        except Exception:  # the tree changes under us while windows open and close
            result = None
        if result:
            return result
        time.sleep(0.2)
    raise SystemExit(f"FAIL: timed out waiting for {what}")


def application():
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.get_process_id() == PID:
            return app
    return None


def showing(acc):
    states = acc.getState()
    return states.contains(pyatspi.STATE_SHOWING) or states.contains(pyatspi.STATE_VISIBLE)


def window(app, name):
    for w in app:
        if w is not None and w.name == name and showing(w):
            return w
    return None


def walk(acc, path="", depth=0):
    """Yields (accessible, path) for every showing node under acc."""
    if acc is None or depth > 40 or not showing(acc):
        return
    here = f"{path}/{acc.getRoleName()}:{acc.name!r}"
    yield acc, here
    for i in range(acc.childCount):
        yield from walk(acc.getChildAtIndex(i), here, depth + 1)


def check(title, acc):
    """Every focusable control under acc has a name; returns the names seen."""
    focusable = []
    for node, path in walk(acc):
        if node.getState().contains(pyatspi.STATE_FOCUSABLE):
            focusable.append(node)
            if not node.name.strip():
                failures.append(f"{title}: unnamed {path}")
    names = [n.name for n in focusable]
    log(f"{title}: {len(focusable)} focusable controls checked")
    return names


def find(acc, predicate):
    for node, _ in walk(acc):
        if predicate(node):
            return node
    return None


def xdotool(*args):
    subprocess.run(["xdotool", *args], check=False, timeout=20)


def x_window(name):
    out = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{name}$"],
                         capture_output=True, text=True, timeout=20).stdout.split()
    return out[0] if out else None


def focus_x(name):
    wid = poll(f"the X window {name!r}", lambda: x_window(name))
    xdotool("windowfocus", "--sync", wid)
    time.sleep(0.2)
    return wid


def require(condition, message):
    if not condition:
        failures.append(message)


def main():
    app = poll("the program on the accessibility bus", application, timeout=40)
    main_window = poll("the main window", lambda: window(app, "Corvandel"))
    main_id = focus_x("Corvandel")

    # A positive control: the walk sees the window's controls, by the names they have.
    names = check("main window", main_window)
    require(len(names) >= 20, f"main window: only {len(names)} focusable controls seen")
    for expected in ("Profile", "Edit the system titles", "Assign color to system position",
                     "Save picture", "Border"):
        require(expected in names, f"main window: no control named {expected!r}")

    def known_windows():
        return {w.name for w in app if w is not None and showing(w)}

    def new_window():
        others = [w for w in app if w is not None and showing(w) and w.name != "Corvandel"]
        return others[0] if others else None

    def closed():
        return known_windows() == {"Corvandel"}

    # The list editor of the system titles: the pencil beside the list.
    xdotool("mousemove", "--window", main_id, "373", "66", "click", "1")
    editor = poll("the list editor", new_window)
    names = check(f"list editor {editor.name!r}", editor)
    require("Trie la liste" in names, "list editor: the sort button has no name")
    focus_x(editor.name)
    xdotool("key", "alt+a")
    poll("the list editor to close", closed)

    # The colour dialog, then its picker opened from the keyboard.
    xdotool("mousemove", "--window", main_id, "223", "108", "click", "1")
    dialog = poll("the colour dialog", lambda: window(app, "Assign color to system position"))
    check("colour dialog", dialog)
    focus_x("Assign color to system position")
    xdotool("key", "Down", "Tab")
    time.sleep(0.3)
    xdotool("key", "alt+Down")
    picker = poll("the picker", lambda: find(
        dialog, lambda n: n.getRole() == pyatspi.ROLE_COMBO_BOX and n.name == "Color"))
    poll("the picker's pop-up in the tree", lambda: picker.getState().contains(
        pyatspi.STATE_EXPANDED) and showing(picker.getChildAtIndex(0)))
    names = check("colour dialog with the pop-up open", dialog)
    entries = [n.name for n, _ in walk(picker)
               if n.getRole() == pyatspi.ROLE_LIST_ITEM]
    require(len(entries) == 16 and "Green" in entries,
            f"pop-up: named colours as list items expected, found {entries}")
    # DEV is green: the picker's value is the colour's name.
    value = picker.queryText().getText(0, -1)
    require(value == "Green", f"picker value {value!r}, expected 'Green'")
    for caption in ("List", "Disc", "Cube", "Spect"):
        require(caption in names, f"pop-up: no footer button {caption!r}")
    # A footer button pressed through its action switches the open pop-up.
    disc = find(picker, lambda n: n.getRole() == pyatspi.ROLE_PUSH_BUTTON and n.name == "Disc")
    require(disc is not None, "pop-up: no button Disc")
    if disc is not None:
        action = disc.queryAction()
        action.doAction(0)
        poll("the palette", lambda: find(picker, lambda n: n.name == "Theme colors"))
        check("colour dialog with the palette open", dialog)
    focus_x("Assign color to system position")
    xdotool("key", "Escape")
    poll("the pop-up to close", lambda: not picker.getState().contains(pyatspi.STATE_EXPANDED))
    xdotool("key", "Escape")
    poll("the colour dialog to close", closed)

    # About: its button at the bar's left end; Enter presses Close.
    xdotool("mousemove", "--window", main_id, "24", "575", "click", "1")
    about = poll("the About dialog", lambda: window(app, "About"))
    names = check("About", about)
    require("Version History" in names, "About: the news box has no name")
    focus_x("About")
    xdotool("key", "Return")
    poll("the About dialog to close", closed)

    for f in failures:
        log("FAIL:", f)
    if failures:
        sys.exit(1)
    log("PASS")


main()
