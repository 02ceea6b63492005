#!/usr/bin/env bash
# Two windows of the real program on one Config.ini, under a window manager in a virtual
# X server. Both apply profile P; A saves a new usage line, then B a new information
# line from its older copy: the file keeps both. Then B saves a new profile, and A's
# profile selector lists it within a second without A being used.
# Usage: shared_windows.sh TAVELORN
# shellcheck source-path=SCRIPTDIR
set -euo pipefail

E2E_LIMIT=170 source "$(dirname "$0")/common.sh"

tavelorn=$1
config="$work/Config.ini"
fixture main-window.ini "$config"
p_id='SAP ERP 6.0 EHP7__QAS__2024_03_03'

start_wm
"$tavelorn" "$config" &
app_pid=$!
a=$(window_named Corvandel "$app_pid")
[ -n "$a" ] || fail "window A did not appear"
"$tavelorn" "$config" &
also_kill+=" $!"
b=$(window_named Corvandel "$!")
[ -n "$b" ] || fail "window B did not appear"

# Brings window $1 to the front with the keyboard focus.
front() {
  xdotool windowraise "$1"
  focus "$1"
}

no_other_window() { ! other_window_geometry "$@" >/dev/null; }

# Opens the drop-down at ($2, $3) of window $1 and waits until it shows.
open_list() {
  local pid
  pid=$(xdotool getwindowpid "$1")
  front "$1"
  xdotool mousemove --window "$1" "$2" "$3" click 1
  wait_until 5 other_window_geometry "$pid" "$1" >/dev/null || fail "the drop-down did not open"
}
# Closes the open drop-down of window $1 with key $2 (Return picks, Escape does not).
close_list() {
  local pid
  pid=$(xdotool getwindowpid "$1")
  xdotool key "$2"
  wait_until 5 no_other_window "$pid" "$1" || fail "the drop-down did not close"
}

# Picks the last profile of the selector of window $1 (P sorts after SAP BW 7.5).
pick_p() {
  open_list "$1" 197 20
  xdotool key End
  close_list "$1" Return
}

# Replaces the text of the edit at ($2, $3) in window $1 by $4.
set_text() {
  front "$1"
  xdotool mousemove --window "$1" "$2" "$3" click 1
  xdotool key ctrl+a
  xdotool type --delay 20 "$4"
}

save() {
  front "$1"
  xdotool mousemove --window "$1" 69 575 click 1
}

# The value of key $2 of profile $1 in Config.ini.
value_of() {
  awk -v id="$1" -v key="$2" -F= '
    /^\[/ { inside = 0 } $1 == "ID" { inside = ($2 == id) }
    inside && $1 == key { sub(/^[^=]*=/, ""); print; exit }' "$config"
}
holds() { [ "$(value_of "$1" "$2")" = "$3" ]; }

pick_p "$b"
pick_p "$a"
set_text "$a" 197 168 "usage by A"
save "$a"
wait_until 5 holds "$p_id" Usage1 "usage by A" || fail "A's save did not reach the file: $(tr '\n' ' ' <"$config")"

set_text "$b" 180 309 "info by B"
save "$b"
wait_until 5 holds "$p_id" Info1 "info by B" || fail "B's save did not reach the file: $(tr '\n' ' ' <"$config")"
holds "$p_id" Usage1 "usage by A" || fail "B's save undid A's usage line: $(value_of "$p_id" Usage1)"
[ "$(sed -n '/^\[SystemInfo\]/,/^\[/p' "$config" | grep -c '^NbItems=2$')" = 1 ] ||
  fail "the profile count is not 2: $(tr '\n' ' ' <"$config")"

# The height of A's open profile list grows with its items; opening and closing it
# reloads nothing.
list_height() {
  local pid geometry
  pid=$(xdotool getwindowpid "$a")
  open_list "$a" 197 20
  geometry=$(other_window_geometry "$pid" "$a")
  close_list "$a" Escape
  sed -n 's/.*HEIGHT=\([0-9]*\).*/\1/p' <<<"$geometry"
}
before=$(list_height)
# Notes when the look that finds the new item began: the list already held it then.
lists_more() {
  local began=${EPOCHREALTIME/./}
  [ "$(list_height)" -gt "$before" ] || return 1
  seen_at=$(((began - start) / 1000))
}

# B saves P under the SID PRD: a new profile.
open_list "$b" 321 109
xdotool type P
close_list "$b" Return
save "$b"
new_id='SAP ERP 6.0 EHP7__PRD__2024_03_03'
has_new() { grep -qx "ID=$new_id" "$config"; }
wait_until 5 has_new || fail "B's new profile did not reach the file"
start=${EPOCHREALTIME/./}
wait_until 1 lists_more || fail "A's profile selector does not list B's profile within a second"
echo "A listed B's profile ${seen_at} ms after the file held it"
echo "PASS"
