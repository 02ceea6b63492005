#!/usr/bin/env bash
# Runs the real program under a window manager in a virtual X server, once at 96 and
# once at 144 dots per inch (Xft.dpi): the main window and each list editor show
# exactly their titles, have their sizes at 96 dpi and one and a half times them at
# 144 dpi (as on a Wayland output of scale 1.5), and open with their frames centred on
# the screen.
# Usage: windows_under_wm.sh TAVELORN [SHOTS_DIR]
# shellcheck source-path=SCRIPTDIR
set -euo pipefail

E2E_LIMIT=170 source "$(dirname "$0")/common.sh"

tavelorn=$1
shots=${2:-}
screen_w=1280 screen_h=1024

cat > "$work/Config.ini" <<INI
[SystemTitle]
NbItems=2
Item_1=SAP ERP 6.0 EHP7
Item_2=SAP BW 7.5
[LandscapeType]
NbItems=2
Item_1=DEV
Item_2=PRD
[SID]
NbItems=3
Item_1=AAA
Item_2=PRD01
Item_3=ZZZ
[RefreshComment]
NbItems=1
Item_1=Copy of production
INI

start_wm

# Client area and frame of a window once the window manager has framed it and it holds
# still: sets X Y W H (client) and FX FY FW FH (frame).
settle() {
  local id=$1 prev='' now='' ext=''
  framed_and_still() {
    prev=$now
    sleep 0.15 # still for a quarter of a second with the poll's pause
    ext=$(xprop -id "$id" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= //p' | tr -d ' ')
    now="$(xwininfo -id "$id" | awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4}
      /^ *Width/{w=$2} /^ *Height/{h=$2} END {print x, y, w, h}') $ext"
    [ -n "$ext" ] && [ "$now" = "$prev" ]
  }
  wait_until 10 framed_and_still || [ -n "$ext" ] || fail "window $id was never framed"
  read -r X Y W H <<<"${now% *}"
  IFS=, read -r l r t b <<<"$ext"
  FX=$((X - l)) FY=$((Y - t)) FW=$((W + l + r)) FH=$((H + t + b))
}

check_window() { # id, title, width, height
  local name
  name=$(xprop -id "$1" _NET_WM_NAME | sed -n 's/^_NET_WM_NAME(UTF8_STRING) = "\(.*\)"$/\1/p')
  [ "$name" = "$2" ] || fail "window titled \"$name\" instead of \"$2\""
  settle "$1"
  # At a fractional scale a side can come out a pixel short or long, as its ends round.
  local dw=$((W - $3)) dh=$((H - $4))
  if [ "${dw#-}" -gt $((dpi % 96 ? 1 : 0)) ] || [ "${dh#-}" -gt $((dpi % 96 ? 1 : 0)) ]; then
    fail "\"$2\" is ${W}x${H} instead of ${3}x${4} at $dpi dpi"
  fi
  local dx=$((2 * FX + FW - screen_w)) dy=$((2 * FY + FH - screen_h))
  if [ "${dx#-}" -gt 2 ] || [ "${dy#-}" -gt 2 ]; then
    fail "the frame of \"$2\" (${FW}x${FH}+${FX}+${FY}) is not centred at $dpi dpi"
  fi
}

# A shot of the client area found by settle.
grab() { still_shot "$work/$1.png" "${W}x${H}+${X}+${Y}"; }

# A size of the 96-dpi layout at the current resolution, rounded to the nearest pixel.
scaled() { echo $((($1 * dpi + 48) / 96)); }

for dpi in 96 144; do
  echo "Xft.dpi: $dpi" | xrdb -nocpp -merge
  "$tavelorn" "$work/Config.ini" &
  app_pid=$!
  wid=$(window_named Corvandel "$app_pid")
  [ -n "$wid" ] || fail "the window did not appear at $dpi dpi"
  check_window "$wid" Corvandel "$(scaled 844)" "$(scaled 600)"
  xdotool mousemove 0 0 # no button under the pointer
  grab "main-$dpi"

  # Each list button (centre in the client area) and the title of its editor.
  for spec in "373 66 System Title" "192 108 Position in the landscape" "373 108 SID" \
              "373 491 Comment about refresh"; do
    read -r bx by title <<<"$spec"
    xdotool mousemove --window "$wid" "$(scaled "$bx")" "$(scaled "$by")" click 1
    ed=$(window_named "$title" "$app_pid" 10)
    [ -n "$ed" ] || fail "the editor \"$title\" did not open at $dpi dpi"
    check_window "$ed" "$title" "$(scaled 402)" "$(scaled 381)"
    if [ "$title" = SID ]; then
      xdotool mousemove 0 0
      grab "editor-$dpi"
    fi
    focus "$ed"
    xdotool key alt+a # Annuler
    wait_closed "$title"
  done
  kill "$app_pid"
  wait "$app_pid" 2>/dev/null || true
  app_pid=
done

# At 144 dpi the windows are drawn at their size, not a 96-dpi picture enlarged: the
# shot of the larger main window differs from the smaller one scaled up.
convert "$work/main-96.png" -filter point -resize "$(scaled 844)x$(scaled 600)!" "$work/main-96-enlarged.png"
diff=$( (compare -metric AE "$work/main-96-enlarged.png" "$work/main-144.png" null: 2>&1 || true) | cut -d' ' -f1)
[ "${diff%.*}" -gt 1000 ] || fail "the window at 144 dpi is the 96-dpi one enlarged ($diff pixels differ)"
if [ -n "$shots" ]; then mkdir -p "$shots" && cp "$work"/*.png "$shots/"; fi
echo "PASS"
