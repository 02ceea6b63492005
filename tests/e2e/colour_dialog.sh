#!/usr/bin/env bash
# Runs the real program in a virtual X server: the colour button opens the landscape
# position colour dialog; Cancel writes the positions again unchanged; DEV set to red
# and confirmed reaches Config.ini, and tavelorn-export then draws DEV's SID in red.
# With SHOTS_DIR it also saves the dialog with its drop-down open in each style.
# Usage: colour_dialog.sh TAVELORN TAVELORN_EXPORT [SHOTS_DIR]
set -euo pipefail

E2E_LIMIT=150 source "$(dirname "$0")/common.sh"

tavelorn=$1
exporter=$2
shots=${3:-}

# DEV green, QAS orange, PRD red; "Color" counts two items only, so that the rewrite
# after Cancel shows in its count while every colour stays.
cat > "$work/Config.ini" <<INI
[LandscapeType]
NbItems=3
Item_1=DEV
Item_2=QAS
Item_3=PRD
[Color]
NbItems=2
Item_1=32768
Item_2=33023
Item_3=255
[SID]
NbItems=1
Item_1=DEV
[SystemInfo]
NbItems=1
[SystemInfo_1]
ID=SAP BW 7.5__DEV__2024_01_05
BorderWidth=1
SystemTitle=SAP BW 7.5
LansdscapePosition=DEV
SID=DEV
Usage1=Development
INI
profile='SAP BW 7.5__DEV__2024_01_05'

color_section() { sed -n '/^\[Color\]/,/^\[/p' "$work/Config.ini" | grep -v '^\[SID\]'; }

# Share of clearly red pixels in the SID's box of the exported picture.
sid_red_share() {
  "$exporter" --config "$work/Config.ini" --profile "$profile" --output "$work/export.jpg" >/dev/null
  convert "$work/export.jpg" -crop 75x39+361+40 +repage \
    -fx '(r > 0.7 && g < 0.3 && b < 0.3) ? 1 : 0' -format '%[fx:mean]' info:
}

before_red=$(sid_red_share)
awk -v s="$before_red" 'BEGIN { exit !(s < 0.01) }' || fail "the SID is red before any change ($before_red)"

"$tavelorn" "$work/Config.ini" &
app_pid=$!
wid=$(timeout 20 xdotool search --sync --onlyvisible --name '^Corvandel$' | head -1)
[ -n "$wid" ] || fail "the window did not appear"

# Clicks the colour button (25 x 25 at 211, 96) and waits for the dialog.
open_dialog() {
  local dlg=
  for _ in 1 2 3; do
    xdotool mousemove --window "$wid" 223 108 click 1
    dlg=$(timeout 5 xdotool search --sync --onlyvisible --name '^Assign color to system position$' | head -1 || true)
    [ -n "$dlg" ] && break
  done
  [ -n "$dlg" ] || fail "the colour dialog did not open"
  xdotool windowfocus --sync "$dlg" 2>/dev/null || true
  sleep 0.3
  echo "$dlg"
}

wait_closed() {
  for _ in $(seq 1 40); do
    xdotool search --onlyvisible --name '^Assign color to system position$' >/dev/null 2>&1 || return 0
    sleep 0.25
  done
  fail "the colour dialog did not close"
}

# Cancel: QAS is given Black (type B in the picker), then Escape leaves the dialog.
colours_before=$(color_section | grep '^Item_')
open_dialog >/dev/null
xdotool key Down Down Tab b
sleep 0.2
xdotool key Escape
wait_closed
sleep 0.3
grep -qx 'NbItems=3' <(color_section) || fail "Cancel did not write the positions again: $(color_section | tr '\n' ' ')"
[ "$(color_section | grep '^Item_')" = "$colours_before" ] || fail "Cancel changed a colour: $(color_section | tr '\n' ' ')"
echo "after Cancel: $(color_section | tr '\n' ' ')"

# OK: DEV is given Red (type R in the picker), then Enter presses OK.
open_dialog >/dev/null
xdotool key Down Tab r
sleep 0.2
xdotool key Return
wait_closed
for _ in $(seq 1 20); do grep -qx 'Item_1=255' <(color_section) && break; sleep 0.25; done
grep -qx 'Item_1=255' <(color_section) || fail "DEV is not red in Config.ini: $(color_section | tr '\n' ' ')"
echo "after OK: $(color_section | tr '\n' ' ')"

after_red=$(sid_red_share)
echo "red share of the SID's box: before $before_red, after $after_red"
awk -v s="$after_red" 'BEGIN { exit !(s > 0.1) }' || fail "the exported SID is not red"

if [ -n "$shots" ]; then
  mkdir -p "$shots"
  dlg=$(open_dialog)
  xdotool key Down Tab alt+Down
  sleep 0.5
  popup_geometry() {
    local w
    for w in $(xdotool search --onlyvisible --pid "$app_pid" 2>/dev/null); do
      [ "$w" = "$wid" ] || [ "$w" = "$dlg" ] && continue
      xdotool getwindowgeometry --shell "$w" | tr '\n' ' '
      return 0
    done
    return 1
  }
  shoot() {
    sleep 0.4
    eval "$(xdotool getwindowgeometry --shell "$dlg")"
    local dx=$X dy=$Y
    import -window root -crop "$((410 + 40))x$((234 + 220))+$((dx - 20))+$((dy - 20))" +repage "$shots/$1.png"
  }
  # Clicks along the footer's button row, right to left, until the drop-down has the
  # size of the wanted style. The buttons stand against the right edge in every style.
  switch_to() {
    local want=$1 off
    for off in $(seq 18 6 150); do
      eval "$(popup_geometry)" || fail "the drop-down closed"
      [ "${WIDTH}x${HEIGHT}" = "$want" ] && return 0
      [ "$off" -lt "$((WIDTH - 4))" ] || break
      xdotool mousemove "$((X + WIDTH - off))" "$((Y + HEIGHT - 12))" click 1
      sleep 0.2
    done
    eval "$(popup_geometry)"
    [ "${WIDTH}x${HEIGHT}" = "$want" ] || fail "no footer button gave $want"
  }
  shoot list
  switch_to 167x108; shoot palette
  switch_to 184x184; shoot cube
  switch_to 152x198; shoot spectrum
  xdotool key Escape Escape
fi
echo "PASS"
