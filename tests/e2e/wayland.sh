#!/usr/bin/env bash
# Runs the real program as a native Wayland client of a weston nested in a virtual X
# server, which passes on real pointer and key input. At output scale 1 the main window,
# the About dialog, a list editor, the colour dialog with its drop-down and the picture
# file dialog each show on the screenshots at their sizes; every dialog is a transient
# child of the main window (the compositor then places it) and the drop-down a pop-up of
# the colour dialog. At output scale 2 the main window is drawn at twice its size, with
# buffers of scale 2 (sharp, not enlarged by the compositor).
# Qt's own window frames are left out, so that a window's shot is its client area.
# Usage: wayland.sh TAVELORN [SHOTS_DIR]
# shellcheck source-path=SCRIPTDIR
set -euo pipefail

E2E_SCREEN=1800x1300x24 E2E_LIMIT=170 source "$(dirname "$0")/common.sh"

tavelorn=$1
shots=${2:-}
out_w=1800 out_h=1300

fixture lists.ini "$work/Config.ini"

# A plain background and no animations: a shot shows windows only once they are complete.
cat >"$work/weston.ini" <<INI
[core]
idle-time=0
[shell]
background-color=0xff204060
panel-position=none
animation=none
close-animation=none
startup-animation=none
focus-animation=none
[keyboard]
repeat-rate=0
INI
export XDG_RUNTIME_DIR="$work/run"
mkdir -m 700 "$XDG_RUNTIME_DIR"
socket="tavelorn-e2e"
weston_pid=
trap 'kill "$weston_pid" 2>/dev/null || true; cleanup' EXIT

shot() { still_shot "$work/$1.png"; }

# "W H X Y" of the pixels that differ between two shots, leaving out a rectangle
# "x0,y0 x1,y1" (the button that was pressed, whose focus frame comes and goes).
changed() {
  local mask=${3:-}
  # The pointer rests in the bottom right corner; its picture changes with the window under
  # it and with a pop-up's grab.
  convert "$work/$1.png" "$work/$2.png" -compose difference -composite -colorspace gray \
    -threshold 0 -fill black -draw "rectangle $((out_w - 48)),$((out_h - 48)) $out_w,$out_h" \
    ${mask:+-draw "rectangle $mask"} -format '%@' info: 2>/dev/null |
    sed 's/^\([0-9]*\)x\([0-9]*\)+\([0-9-]*\)+\([0-9-]*\)$/\1 \2 \3 \4/'
}

# Waits until the shot named $2 differs from shot $1 by a region other than the mask.
wait_change() { wait_until 30 differs "$@"; }
differs() {
  local W H
  shot "$2"
  read -r W H _ _ <<<"$(changed "$1" "$2" "${3:-}")"
  [ "${W:-0}" -gt 1 ] && [ "${H:-0}" -gt 1 ]
}
# True when shot $2 differs from shot $1 by no more than a line, outside the mask $3.
alike() {
  local W
  shot "$2"
  read -r W _ _ _ <<<"$(changed "$1" "$2" "${3:-}")"
  [ "${W:-0}" -le 1 ]
}

start_weston() { # scale; the output fills the X screen, its size given in scaled pixels
  rm -f "$XDG_RUNTIME_DIR/$socket" "$XDG_RUNTIME_DIR/$socket.lock"
  weston --backend=x11-backend.so --config="$work/weston.ini" --socket="$socket" \
    --width="$((out_w / $1))" --height="$((out_h / $1))" --scale="$1" --use-pixman --idle-time=0 \
    >"$work/weston-$1.log" 2>&1 &
  weston_pid=$!
  wait_until 10 test -S "$XDG_RUNTIME_DIR/$socket" || { cat "$work/weston-$1.log"; fail "weston did not start"; }
  xdotool mousemove "$((out_w - 1))" "$((out_h - 1))"
  # The background is painted once its own client has started.
  wait_until 20 desktop_shown "$1" || fail "weston showed no desktop"
}
desktop_shown() {
  shot "empty-$1"
  [ "$(convert "$work/empty-$1.png" -crop 1x1+10+10 -format '%[hex:p{0,0}]' info:)" = 204060 ]
}

stop_weston() {
  kill "$app_pid" 2>/dev/null || true
  wait "$app_pid" 2>/dev/null || true
  app_pid=
  kill "$weston_pid" 2>/dev/null || true
  wait "$weston_pid" 2>/dev/null || true
  weston_pid=
}

start_program() { # scale; sets MX MY MW MH, the main window on the screen
  WAYLAND_DISPLAY=$socket QT_QPA_PLATFORM=wayland QT_WAYLAND_DISABLE_WINDOWDECORATION=1 \
    WAYLAND_DEBUG=client DO_NOT_TRACK=1 "$tavelorn" "$work/Config.ini" 2>"$work/protocol-$1.log" &
  app_pid=$!
  wait_change "empty-$1" "main-$1" || {
    # What the program and weston last said, to tell a program that ended or hangs from a
    # window that weston did not show.
    kill -0 "$app_pid" 2>/dev/null && echo "The program runs." || echo "The program has ended."
    tail -n 8 "$work/protocol-$1.log" "$work/weston-$1.log"
    fail "the main window did not show at scale $1"
  }
  read -r MW MH MX MY <<<"$(changed "empty-$1" "main-$1")"
}

click() { # x y in the main window's client area, at scale 1
  xdotool mousemove "$((MX + $1))" "$((MY + $2))" click 1
  xdotool mousemove "$((out_w - 1))" "$((out_h - 1))"
}

# --- Output scale 1 ---
start_weston 1
start_program 1
[ "${MW}x${MH}" = 844x600 ] || fail "the main window is ${MW}x${MH} instead of 844x600"

# Opens a dialog with the button at client x y (w h), checks its size, closes it with
# the keys given, and waits for the main window to show again as it was.
check_dialog() { # name x y w h expected-size close-keys...
  local name=$1 x=$2 y=$3 w=$4 h=$5 want=$6 W H X Y mask
  shift 6
  mask="$((MX + x - 3)),$((MY + y - 3)) $((MX + x + w + 2)),$((MY + y + h + 2))"
  shot "before-$name"
  click "$((x + w / 2))" "$((y + h / 2))"
  wait_change "before-$name" "$name" "$mask" || fail "$name did not open"
  read -r W H X Y <<<"$(changed "before-$name" "$name" "$mask")"
  # Where the dialog's plain face lies over the main window's, the two are alike: its
  # region in the shot can fall short of its size (which the protocol gives exactly).
  # WxH+ asks for that size at least.
  local at_least="" want_w want_h
  [ "${want%+}" != "$want" ] && at_least=1 && want=${want%+}
  want_w=${want%x*} want_h=${want#*x}
  if [ -n "$at_least" ]; then
    { [ "$W" -ge "$want_w" ] && [ "$H" -ge "$want_h" ]; } || fail "$name is only ${W}x${H}"
  else
    { [ "$W" -ge $((want_w * 6 / 10)) ] && [ "$W" -le "$want_w" ] &&
      [ "$H" -ge $((want_h * 6 / 10)) ] && [ "$H" -le "$want_h" ]; } ||
      fail "$name shows as ${W}x${H}, not as a window of $want"
  fi
  { [ "$X" -ge 0 ] && [ "$Y" -ge 0 ] && [ $((X + W)) -le "$out_w" ] && [ $((Y + H)) -le "$out_h" ]; } ||
    fail "$name (${W}x${H}+${X}+${Y}) is not wholly on the screen"
  echo "$name: ${W}x${H}+${X}+${Y}, main window ${MW}x${MH}+${MX}+${MY}"
  DX=$X DY=$Y
  if [ $# -gt 0 ]; then
    xdotool key "$@"
    wait_until 30 alike "before-$name" "closed-$name" "$mask" || fail "$name did not close"
  fi
}

check_dialog about 8 559 33 33 450x288 Return
check_dialog sid-editor 361 96 25 25 402x381 alt+a
# Qt's file dialog has a size of its own making.
check_dialog open-picture 8 240 200 25 400x250+ Escape
check_dialog colours 211 96 25 25 410x234
# The drop-down: a position is chosen, the picker gets the focus and opens. weston grants
# a pop-up's grab only for the serial of the latest key event, so the keys are held until
# it shows, as a person's are: released at once, they may reach weston before the program
# asks for the grab, and weston closes the drop-down. (Key repeat is off for that.)
xdotool key Down Tab
shot colours-focused
xdotool keydown alt+Down
wait_change colours-focused colour-popup || fail "the colour drop-down did not open"
xdotool keyup Down alt
read -r W H X Y <<<"$(changed colours-focused colour-popup)"
echo "colour drop-down: ${W}x${H}+${X}+${Y}, dialog at +${DX}+${DY}"
{ [ "$W" -ge 150 ] && [ "$H" -ge 100 ]; } || fail "the colour drop-down is only ${W}x${H}"
# Under the picker (157, 8, 245 x 21 in the dialog), which itself changes as it opens;
# the dialog's place in the shot may be off by its edges that look like what lies under.
{ [ "$Y" -ge "$DY" ] && [ "$Y" -le "$((DY + 60))" ] && [ "$X" -ge "$((DX + 100))" ]; } ||
  fail "the colour drop-down (+${X}+${Y}) is not at the picker of the dialog (+${DX}+${DY})"
xdotool key Escape Escape
stop_weston

# Every dialog named its parent; the drop-down is a pop-up of the colour dialog. The
# protocol reuses the numbers of destroyed objects, so it is read in order: one line
# "toplevel|title|parent's title|last window geometry" per toplevel and
# "popup|parent's title" per pop-up.
windows=$(awk '
  function num(text, prefix) { match(text, prefix "@[0-9]+"); return substr(text, RSTART + length(prefix) + 1, RLENGTH - length(prefix) - 1) }
  function done(t) { print "toplevel|" title[t] "|" parent[t] "|" geometry[t]; delete title[t] }
  / -> xdg_surface@[0-9]+\.get_toplevel\(/ {
    t = num($0, "new id xdg_toplevel"); s = num($0, "xdg_surface")
    top[s] = t; title[t] = ""; parent[t] = ""; geometry[t] = ""; next }
  / -> xdg_toplevel@[0-9]+\.set_parent\(xdg_toplevel@/ {
    split($0, halves, "set_parent"); parent[num(halves[1], "xdg_toplevel")] = title[num(halves[2], "xdg_toplevel")]; next }
  / -> xdg_toplevel@[0-9]+\.set_title\("/ {
    t = num($0, "xdg_toplevel"); text = $0; sub(/.*set_title\("/, "", text); sub(/"\)$/, "", text); title[t] = text; next }
  / -> xdg_surface@[0-9]+\.set_window_geometry\(/ {
    s = num($0, "xdg_surface"); g = $0; sub(/.*set_window_geometry\(/, "", g); sub(/\)$/, "", g)
    split(g, v, ", "); geometry[top[s]] = v[3] "x" v[4]; next }
  / -> xdg_surface@[0-9]+\.get_popup\(/ {
    split($0, halves, "get_popup"); print "popup|" title[top[num(halves[2], "xdg_surface")]]; next }
  / -> xdg_toplevel@[0-9]+\.destroy\(\)/ { t = num($0, "xdg_toplevel"); if (t in title) done(t); next }
  END { for (t in title) done(t) }
' "$work/protocol-1.log")
echo "$windows"
grep -qx 'toplevel|Corvandel||844x600' <<<"$windows" || fail "no main window of 844x600 in the protocol"
for dialog in 'About|Corvandel|450x288' 'SID|Corvandel|402x381' \
  'Assign color to system position|Corvandel|410x234'; do
  grep -qxF "toplevel|$dialog" <<<"$windows" ||
    fail "no toplevel \"${dialog%%|*}\" of size ${dialog##*|} with the main window as parent"
done
grep -q '^toplevel|Open picture|Corvandel|' <<<"$windows" ||
  fail "the file dialog is no transient child of the main window"
grep -qx 'popup|Assign color to system position' <<<"$windows" ||
  fail "the colour drop-down is not a pop-up of the colour dialog"

# --- Output scale 2: twice the size, drawn at that size ---
start_weston 2
start_program 2
[ "${MW}x${MH}" = 1688x1200 ] || fail "at scale 2 the main window is ${MW}x${MH} instead of 1688x1200"
grep -q 'set_buffer_scale(2)' "$work/protocol-2.log" || fail "at scale 2 the buffers are not of scale 2"
stop_weston

save_shots
echo "PASS"
