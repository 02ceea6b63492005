#!/usr/bin/env bash
# Two windows of the real program on one Config.ini, in a virtual X server: each saves a
# profile it did not see the other save, and the file keeps both.
# Usage: two_windows.sh TAVELORN
# shellcheck source-path=SCRIPTDIR
set -euo pipefail

E2E_LIMIT=150 source "$(dirname "$0")/common.sh"

tavelorn=$1
config="$work/Config.ini"
cat > "$config" <<INI
[SystemTitle]
NbItems=1
Item_1=ERP
[SID]
NbItems=2
Item_1=DEV
Item_2=PRD
INI

"$tavelorn" "$config" &
app_pid=$!
"$tavelorn" "$config" &
also_kill=$!
a=$(window_named Corvandel "$app_pid")
[ -n "$a" ] || fail "window A did not appear"
b=$(window_named Corvandel "$also_kill")
[ -n "$b" ] || fail "window B did not appear"
[ "$a" != "$b" ] || fail "windows A and B are one window"

# Picks the SID whose first letter is given in window w, then presses Save.
save_with_sid() {
  local w=$1 letter=$2 pid
  pid=$(xdotool getwindowpid "$w")
  xdotool windowraise "$w"
  focus "$w"
  xdotool mousemove --window "$w" 321 109 click 1
  # The drop-down is a window of its own.
  wait_until 5 other_window_geometry "$pid" "$w" >/dev/null || fail "the SID drop-down did not open"
  xdotool type "$letter"
  xdotool key Return
  wait_until 5 no_other_window "$pid" "$w" || true
  xdotool mousemove --window "$w" 69 575 click 1
}

no_other_window() { ! other_window_geometry "$@" >/dev/null; }
has_profile() { grep -q "^ID=.*__$1__" "$config"; }

# Picks the SID and saves until the file has the profile: a key typed while the
# drop-down is still taking the keyboard may be lost, and the pick is tried again.
save_profile() {
  local w=$1 letter=$2 sid=$3
  for _ in 1 2 3 4; do
    save_with_sid "$w" "$letter"
    wait_until 5 has_profile "$sid" && return 0
    xdotool key Escape
  done
  fail "no profile with SID $sid in Config.ini: $(tr '\n' ' ' < "$config")"
}

# Both windows loaded the file before either saved.
save_profile "$b" P PRD
save_profile "$a" D DEV
grep -q "^ID=.*__PRD__" "$config" || fail "window A's save erased window B's profile: $(tr '\n' ' ' < "$config")"
[ "$(sed -n '/^\[SystemInfo\]/,/^\[/p' "$config" | grep -c '^NbItems=2$')" = 1 ] ||
  fail "the profile count is not 2: $(tr '\n' ' ' < "$config")"
echo "PASS"
