#!/usr/bin/env bash
# Takes the README's pictures: the real program in a virtual X server with a window
# manager, a sample profile picked. Writes docs/screenshot-main.png; with --dark, under
# the Fusion style and qt6ct's "darker" colour scheme, docs/screenshot-dark-main.png,
# docs/screenshot-dark-colors-opening.png and docs/screenshot-dark-colors.png (the colour
# dialog as it opens, and with its drop-down open), docs/screenshot-dark-about.png (the
# news box focused) and docs/screenshot-dark-date.png (the refresh date's pop-up).
# Usage: scripts/screenshot.sh [TAVELORN [OUTPUT.png]]
#        scripts/screenshot.sh --dark [TAVELORN [OUTPUT_DIR]]
# (build first: ./scripts/build.sh tavelorn; --dark needs qt6ct)
# shellcheck source-path=SCRIPTDIR/../tests/e2e
set -euo pipefail

args=("$@")
dark=
if [ "${1:-}" = --dark ]; then dark=1; shift; fi
root=$(cd "$(dirname "$0")/.." && pwd)
tavelorn=$(realpath "${1:-$root/build/src/app/tavelorn}")
if [ -n "$dark" ]; then
  output=$(realpath -m "${2:-$root/docs}")
else
  output=$(realpath -m "${2:-$root/docs/screenshot-main.png}")
fi
scheme=/usr/share/qt6ct/colors/darker.conf
[ -z "$dark" ] || [ -f "$scheme" ] || { echo "screenshot: qt6ct's $scheme is missing" >&2; exit 1; }

set -- "${args[@]}"
E2E_LIMIT=150 E2E_XVFB_OPTS=-r source "$root/tests/e2e/common.sh"
fail() { echo "screenshot: $*" >&2; exit 1; }
export DO_NOT_TRACK=1
private_home
if [ -n "$dark" ]; then
  export QT_QPA_PLATFORMTHEME=qt6ct QT_STYLE_OVERRIDE=Fusion
  mkdir -p "$work/config/qt6ct"
  cat >"$work/config/qt6ct/qt6ct.conf" <<CONF
[Appearance]
color_scheme_path=$scheme
custom_palette=true
style=Fusion
CONF
fi

# A background band: a sky and two mountain ridges, 450 x 350 like the band itself.
convert -size 450x350 gradient:'#8fbce6-#eef5fb' \
  -fill '#7d97b3' -draw 'polygon 0,350 0,230 70,170 130,215 210,120 290,205 350,160 450,240 450,350' \
  -fill '#4d6a88' -draw 'polygon 0,350 0,290 90,245 170,290 260,230 360,285 450,260 450,350' \
  "BMP3:$work/mountains.bmp"
fixture screenshot.ini "$work/Config.ini" "$work/mountains.bmp"

# A window manager, for the windows' frames and titles.
start_wm
"$tavelorn" "$work/Config.ini" &
app_pid=$!
wid=$(window_named Corvandel "$app_pid" 30)
[ -n "$wid" ] || fail "the window did not appear"
xdotool windowactivate --sync "$wid" 2>/dev/null || true

# Shoots window $1 with its frame to $work/shot.png once it holds still.
shoot() { still_shot "$work/shot.png" "$(frame_geometry "$1")"; }
# Saves the last shot as $1.
keep() {
  mkdir -p "$(dirname "$1")"
  convert "$work/shot.png" -strip "PNG24:$1"
  echo "$1"
}

# The profile selector has the focus: End picks the one profile. The shot is taken once
# the preview shows it and holds still.
shows_profile() {
  shoot "$wid"
  awk -v w="$(convert "$work/shot.png" -crop 450x600+400+40 +repage -fill black +opaque white \
    -format '%[fx:mean]' info:)" 'BEGIN { exit !(w < 0.9) }'
}
xdotool mousemove 5 5
xdotool key End
wait_until 20 shows_profile || fail "the preview did not settle on the profile"
if [ -z "$dark" ]; then
  keep "$output"
  exit 0
fi
keep "$output/screenshot-dark-main.png"

# The colour dialog: DEV selected, the picker's drop-down open.
colours='Assign color to system position'
xdotool mousemove --window "$wid" 223 108 click 1
dlg=$(window_named "$colours" "$app_pid" 10)
[ -n "$dlg" ] || fail "the colour dialog did not open"
focus "$dlg"
# On opening no position looks chosen.
xdotool mousemove 5 5
shoot "$dlg"
keep "$output/screenshot-dark-colors-opening.png"
xdotool key Down Tab alt+Down
wait_until 10 other_window_geometry "$app_pid" "$wid" "$dlg" >/dev/null || fail "the drop-down did not open"
xdotool mousemove 5 5
shoot "$dlg"
keep "$output/screenshot-dark-colors.png"
xdotool key Escape Escape
wait_closed "$colours"

# About.
xdotool windowactivate --sync "$wid" 2>/dev/null || true
xdotool mousemove --window "$wid" 24 575 click 1
about=$(window_named About "$app_pid" 10)
[ -n "$about" ] || fail "the About dialog did not open"
xdotool mousemove 5 5
focus "$about"
xdotool key Tab # from Close to the news box, which shows the focus
shoot "$about"
keep "$output/screenshot-dark-about.png"
xdotool key shift+Tab Return
wait_closed About

# The date pop-up of the refresh date (the profile has one).
xdotool windowactivate --sync "$wid" 2>/dev/null || true
xdotool mousemove --window "$wid" 97 445 click 1
popup=
popup_open() { popup=$(other_window_geometry "$app_pid" "$wid"); }
wait_until 10 popup_open || fail "the date pop-up did not open"
eval "$(echo "$popup" | tr ' ' '\n' | grep -E '^(X|Y|WIDTH|HEIGHT)=')"
xdotool mousemove 5 5
still_shot "$work/shot.png" "${WIDTH}x${HEIGHT}+${X}+${Y}"
keep "$output/screenshot-dark-date.png"
xdotool key Escape
