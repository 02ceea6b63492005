#!/usr/bin/env bash
# Runs the real program under a window manager in a virtual X server at 96 dpi, at
# 144 dpi (Xft.dpi) and at QT_SCALE_FACTOR=1.5, and opens every dialog and message box
# it has: each opens with its frame (title bar included) centred on the frame of the
# window it belongs to, within 2 pixels.
# Usage: dialog_placement.sh TAVELORN
# shellcheck source-path=SCRIPTDIR
set -euo pipefail

E2E_LIMIT=280 source "$(dirname "$0")/common.sh"

tavelorn=$1
private_home
# No web site: the About dialog's downloads fail at once.
export TAVELORN_SITE_URL=http://127.0.0.1:9
fixture screenshot.ini "$work/Config.ini"
printf 'not a picture' >"$work/bad.xyz"
: >"$work/pic.jpg"

start_wm

# The frame of window $1 once the window manager has framed it and it holds still.
settled_frame() {
  local id=$1 prev='' now=''
  framed_and_still() {
    prev=$now
    sleep 0.15
    xprop -id "$id" _NET_FRAME_EXTENTS 2>/dev/null | grep -q '=' || return 1
    now=$(frame_geometry "$id")
    [ "$now" = "$prev" ]
  }
  wait_until 10 framed_and_still || fail "window $id was never framed"
  echo "$now"
}

# The visible window titled $1 of the program other than the windows $2...
new_window() {
  local title=$1 w known end=$((SECONDS + 10))
  shift
  while [ $SECONDS -lt $end ]; do
    for w in $(xdotool search --all --pid "$app_pid" --onlyvisible --name "^$title\$" 2>/dev/null); do
      for known in "$@"; do [ "$w" = "$known" ] && continue 2; done
      echo "$w"
      return 0
    done
    sleep 0.1
  done
  return 0
}

only_main() {
  [ "$(xdotool search --all --pid "$app_pid" --onlyvisible --name '^Corvandel$' 2>/dev/null)" = "$wid" ]
}

# Checks that window $2 (titled $1) is centred on window $3.
check_centred() {
  local name=$1 child=$2 parent=$3 cw ch cx cy pw ph px py
  [ -n "$child" ] || fail "\"$name\" did not open ($mode)"
  IFS='x+' read -r cw ch cx cy <<<"$(settled_frame "$child")"
  IFS='x+' read -r pw ph px py <<<"$(settled_frame "$parent")"
  # Twice the offset of the centres, in whole pixels.
  local dx=$((2 * cx + cw - 2 * px - pw)) dy=$((2 * cy + ch - 2 * py - ph))
  echo "$mode: \"$name\" centre offset $((dx / 2)),$((dy / 2))"
  if [ "${dx#-}" -gt 4 ] || [ "${dy#-}" -gt 4 ]; then
    echo "FAIL: \"$name\" (${cw}x${ch}+${cx}+${cy}) is not centred on its window (${pw}x${ph}+${px}+${py}), $mode"
    failures=$((failures + 1))
  fi
}

# A point of the 96-dpi layout at the current scale.
scaled() { echo $((($1 * num + den / 2) / den)); }
click_at() { xdotool mousemove --window "$wid" "$(scaled "$1")" "$(scaled "$2")" click 1; }

failures=0
for mode in "96 dpi" "144 dpi" "scale 1.5"; do
  num=1 den=1
  unset QT_SCALE_FACTOR
  case $mode in
    "96 dpi") echo "Xft.dpi: 96" | xrdb -nocpp -merge ;;
    "144 dpi") echo "Xft.dpi: 144" | xrdb -nocpp -merge; num=3 den=2 ;;
    "scale 1.5") echo "Xft.dpi: 96" | xrdb -nocpp -merge; num=3 den=2; export QT_SCALE_FACTOR=1.5 ;;
  esac
  "$tavelorn" "$work/Config.ini" &
  app_pid=$!
  wid=$(window_named Corvandel "$app_pid")
  [ -n "$wid" ] || fail "the main window did not appear ($mode)"
  settled_frame "$wid" >/dev/null
  focus "$wid"
  xdotool key End # the one profile: a SID to save the picture under, a profile to delete

  # The colour dialog, and the desktop's colour dialog over it.
  click_at 223 108
  colours=$(new_window 'Assign color to system position')
  check_centred "colour dialog" "$colours" "$wid"
  focus "$colours"
  xdotool key Down # the first position
  xdotool mousemove --window "$colours" "$(scaled 285)" "$(scaled 108)" click 1
  desktop=$(new_window "Select Color")
  [ -n "$desktop" ] || { for w in $(xdotool search --all --pid "$app_pid" --onlyvisible --name .); do xdotool getwindowname "$w"; done; import -window root /tmp/ui_dbg.png; }
  check_centred "desktop colour dialog" "$desktop" "$colours"
  focus "$desktop"
  xdotool key Escape
  wait_closed 'Select Color'
  focus "$colours"
  xdotool key Escape
  wait_closed 'Assign color to system position'

  # About.
  focus "$wid"
  click_at 24 575
  about=$(new_window About)
  check_centred "About" "$about" "$wid"
  focus "$about"
  xdotool key Return
  wait_closed About

  # The Delete question.
  focus "$wid"
  click_at 114 575
  question=$(new_window Corvandel "$wid")
  check_centred "Delete question" "$question" "$wid"
  focus "$question"
  xdotool key Escape
  wait_until 10 only_main || fail "the Delete question did not close"

  # Open picture, and the error box of a file it cannot read.
  focus "$wid"
  click_at 108 252
  open=$(new_window 'Open picture')
  check_centred "open-picture dialog" "$open" "$wid"
  focus "$open"
  xdotool key ctrl+a type "$work/bad.xyz"
  xdotool key Return
  error=$(new_window Corvandel "$wid")
  check_centred "error box" "$error" "$wid"
  focus "$error"
  xdotool key Return
  wait_until 10 only_main || fail "the error box did not close"

  # Save picture, and the question before replacing the file the forced ".jpg" names.
  focus "$wid"
  click_at 324 575
  save=$(new_window 'Save picture')
  check_centred "save-picture dialog" "$save" "$wid"
  focus "$save"
  xdotool key ctrl+a type "$work/pic"
  xdotool key Return
  replace=$(new_window 'Save picture' "$save")
  check_centred "replace box" "$replace" "$wid"
  focus "$replace"
  xdotool key Escape
  wait_closed 'Save picture'

  # The font dialog of the first information line.
  focus "$wid"
  click_at 373 311
  wait_until 5 other_window_geometry "$app_pid" "$wid" >/dev/null || fail "the menu did not open"
  xdotool key Down Return
  font=$(new_window Font)
  check_centred "font dialog" "$font" "$wid"
  focus "$font"
  xdotool key Escape
  wait_closed Font

  kill "$app_pid"
  wait "$app_pid" 2>/dev/null || true
  app_pid=
done
[ "$failures" -eq 0 ] || fail "$failures windows off centre"
echo "PASS"
