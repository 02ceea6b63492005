#!/usr/bin/python3
"""Walks the windows of a running tavelorn over AT-SPI and fails on any focusable,
showing control without a name. Driven by accessibility_walk.sh, under Xvfb with a
session bus; the windows are opened with xdotool as a user would."""

import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

PID = int(sys.argv[1])
failures = []
# Focus changes announced over the bus: (role, name) of each newly focused object.
focus_events = []


def on_focus(event):
    if event.detail1 == 1:
        try:
            focus_events.append((event.source.getRoleName(), event.source.name))
        except Exception:  # the source may be gone already
            pass


def log(*args):
    print(*args, flush=True)


def poll(what, predicate, timeout=20.0):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        # Deliver the events that have arrived, so that listeners hear them.
        while GLib.MainContext.default().iteration(False):
            pass
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

    require(main_window.getRole() == pyatspi.ROLE_FRAME,
            f"main window: role {main_window.getRoleName()!r}, expected 'frame'")
    require(find(main_window, lambda n: n.name == "Picture preview") is not None,
            "main window: the preview has no name")
    pyatspi.Registry.registerEventListener(on_focus, "object:state-changed:focused")

    # A positive control: the walk sees the window's controls, by the names they have.
    names = check("main window", main_window)
    require(len(names) >= 20, f"main window: only {len(names)} focusable controls seen")
    for expected in ("Profile", "Edit the system titles", "Assign color to system position",
                     "Save picture", "Border"):
        require(expected in names, f"main window: no control named {expected!r}")

    # A chosen item is a drop-down's value, not its name: position DEV and SID DEV.
    def combo(name):
        return find(main_window, lambda n: n.getRole() == pyatspi.ROLE_COMBO_BOX and n.name == name)

    for x, y in ((80, 109), (320, 109)):  # the position list, then the SID list
        xdotool("mousemove", "--window", main_id, str(x), str(y), "click", "1")
        time.sleep(0.3)
        xdotool("key", "Home", "Return")
        time.sleep(0.3)
    for name in ("Position in the landscape", "SID"):
        box = poll(f"the drop-down {name!r} holding DEV",
                   lambda: (lambda c: c if c and c.queryText().getText(0, -1) == "DEV" else None)(
                       combo(name)), timeout=10)
        labels = [t.name for r in box.getRelationSet()
                  if r.getRelationType() == pyatspi.RELATION_LABELLED_BY
                  for t in (r.getTarget(i) for i in range(r.getNTargets()))]
        require(name in labels, f"drop-down {name!r}: labelled by {labels}")
    require(combo("DEV") is None, "a drop-down is named after its choice 'DEV'")
    require(combo("Profile") is not None, "no drop-down named 'Profile'")

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
    # The style buttons are named for what they switch to.
    for style in ("Named colors", "Theme colors", "Color honeycomb", "Spectrum"):
        require(style in names, f"pop-up: no footer button {style!r}")
    words = [n.name for n, _ in walk(dialog) if n.getRole() == pyatspi.ROLE_PUSH_BUTTON
             and n.name.startswith("Choose another color")]
    require(len(words) == 2 and len(set(words)) == 2,
            f"the preview words: two distinct names expected, found {words}")
    # A footer button pressed through its action switches the open pop-up: the
    # honeycomb's cells are list items named by their colour, and each arrow key
    # announces the cell it reaches.
    cube = find(picker, lambda n: n.getRole() == pyatspi.ROLE_PUSH_BUTTON
                and n.name == "Color honeycomb")
    require(cube is not None, "pop-up: no button 'Color honeycomb'")
    if cube is not None:
        cube.queryAction().doAction(0)
        panel = poll("the honeycomb", lambda: find(
            picker, lambda n: n.getRole() == pyatspi.ROLE_LIST and n.name == "Color honeycomb"))
        cells = [panel.getChildAtIndex(i).name for i in range(panel.childCount)]
        require(len(cells) == 127 and cells[0] == "#003366" and "#FFFFFF" in cells,
                f"honeycomb: 127 cells named by colour expected, found {cells[:3]}...")
        check("colour dialog with the honeycomb open", dialog)
        focus_x("Assign color to system position")
        del focus_events[:]
        xdotool("key", "Right")
        xdotool("key", "Right")
        heard = poll("a honeycomb cell announced", lambda: [
            e for e in focus_events if e[0] == "list item" and e[1].startswith("#")], timeout=10)
        # DEV is green, #008000: the first key shows the mark there, the second moves it on.
        require(heard[-1][1] == "#33CC33",
                f"the second Right from #008000 announced {heard[-1][1]!r}, not '#33CC33'")
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
