#!/usr/bin/env bash
# Walks the real program over the accessibility bus (AT-SPI), as a screen reader finds
# it: the main window, the list editor, the colour dialog with the picker's pop-up open
# and the About dialog. Fails on any focusable control without a name, on a drop-down
# named after its choice, and on a colour cell that is not announced as the arrows reach it.
# Usage: accessibility_walk.sh TAVELORN
# shellcheck source-path=SCRIPTDIR
set -euo pipefail

# A session bus of our own, from which the accessibility bus is started on demand.
if [ -z "${A11Y_WALK_BUS:-}" ]; then
  export A11Y_WALK_BUS=1
  exec dbus-run-session -- "$0" "$@"
fi

E2E_LIMIT=170 source "$(dirname "$0")/common.sh"

tavelorn=$1
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1 DO_NOT_TRACK=1
private_home
# libatspi asks the session bus for the accessibility bus, not the X server.
unset AT_SPI_BUS_ADDRESS

# Every list filled, no profile yet.
fixture lists.ini "$work/Config.ini"

# Under a window manager, as on a desktop.
start_wm

"$tavelorn" "$work/Config.ini" &
app_pid=$!
/usr/bin/python3 "$(dirname "$0")/accessibility_walk.py" "$app_pid"
