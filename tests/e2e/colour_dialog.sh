#!/usr/bin/env bash
# Runs the real program in a virtual X server: the colour button opens the landscape
# position colour dialog; Cancel writes the positions again unchanged; DEV set to red
# and confirmed reaches Config.ini, and tavelorn-export then draws DEV's SID in red.
# With SHOTS_DIR it also saves the dialog with its drop-down open in each style.
# Usage: colour_dialog.sh TAVELORN TAVELORN_EXPORT [SHOTS_DIR]
# shellcheck source-path=SCRIPTDIR
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
wid=$(window_named Corvandel "$app_pid")
[ -n "$wid" ] || fail "the window did not appear"

dialog_title='Assign color to system position'

# Clicks the colour button (25 x 25 at 211, 96), waits for the dialog and gives it the
# focus.
open_dialog() {
  local dlg=
  for _ in 1 2 3; do
    xdotool mousemove --window "$wid" 223 108 click 1
    dlg=$(window_named "$dialog_title" "$app_pid" 5)
    [ -n "$dlg" ] && break
  done
  [ -n "$dlg" ] || fail "the colour dialog did not open"
  focus "$dlg"
  echo "$dlg"
}

# Types keys $2... into dialog $1 and waits until it shows their effect.
type_and_wait() {
  local dlg=$1 area
  shift
  area=$(frame_geometry "$dlg")
  still_shot "$work/before-keys.png" "$area"
  xdotool key "$@"
  changed() {
    import -window root -crop "$area" +repage "$work/after-keys.png"
    ! cmp -s <(convert "$work/before-keys.png" RGB:-) <(convert "$work/after-keys.png" RGB:-)
  }
  wait_until 10 changed || fail "the dialog did not change on the keys $*"
}

# Cancel: QAS is given Black (type B in the picker), then Escape leaves the dialog.
colours_before=$(color_section | grep '^Item_')
dlg=$(open_dialog)
xdotool key Down Down Tab
type_and_wait "$dlg" b
xdotool key Escape
wait_closed "$dialog_title"
# Cancel writes the positions again; the count shows it.
rewritten() { grep -qx 'NbItems=3' <(color_section); }
wait_until 10 rewritten || fail "Cancel did not write the positions again: $(color_section | tr '\n' ' ')"
[ "$(color_section | grep '^Item_')" = "$colours_before" ] || fail "Cancel changed a colour: $(color_section | tr '\n' ' ')"
echo "after Cancel: $(color_section | tr '\n' ' ')"

# OK: DEV is given Red (type R in the picker), then Enter presses OK.
dlg=$(open_dialog)
xdotool key Down Tab
type_and_wait "$dlg" r
xdotool key Return
wait_closed "$dialog_title"
dev_red() { grep -qx 'Item_1=255' <(color_section); }
wait_until 10 dev_red || fail "DEV is not red in Config.ini: $(color_section | tr '\n' ' ')"
echo "after OK: $(color_section | tr '\n' ' ')"

after_red=$(sid_red_share)
echo "red share of the SID's box: before $before_red, after $after_red"
awk -v s="$after_red" 'BEGIN { exit !(s > 0.1) }' || fail "the exported SID is not red"

if [ -n "$shots" ]; then
  mkdir -p "$shots"
  dlg=$(open_dialog)
  xdotool key Down Tab alt+Down
  popup_geometry() { other_window_geometry "$app_pid" "$wid" "$dlg"; }
  wait_until 10 popup_geometry >/dev/null || fail "the drop-down did not open"
  shoot() {
    eval "$(xdotool getwindowgeometry --shell "$dlg")"
    still_shot "$shots/$1.png" "$((410 + 40))x$((234 + 220))+$((X - 20))+$((Y - 20))"
  }
  # Clicks along the footer's button row, right to left, until the drop-down has the
  # size of the wanted style. The buttons stand against the right edge in every style.
  switch_to() {
    local want=$1 off size
    for off in $(seq 18 6 150); do
      eval "$(popup_geometry)" || fail "the drop-down closed"
      [ "${WIDTH}x${HEIGHT}" = "$want" ] && return 0
      [ "$off" -lt "$((WIDTH - 4))" ] || break
      size="${WIDTH}x${HEIGHT}"
      xdotool mousemove "$((X + WIDTH - off))" "$((Y + HEIGHT - 12))" click 1
      # Most of the row is no button: a click there changes nothing.
      resized() { eval "$(popup_geometry)" && [ "${WIDTH}x${HEIGHT}" != "$size" ]; }
      wait_until 1 resized || true
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
