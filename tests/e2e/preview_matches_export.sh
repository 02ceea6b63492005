#!/usr/bin/env bash
# Starts the real program in a virtual X server with a prepared Config.ini, picks a
# profile with the keyboard, and compares the preview's pixels on screen with what
# tavelorn-export writes for the same profile.
# Usage: preview_matches_export.sh TAVELORN TAVELORN_EXPORT
# shellcheck source-path=SCRIPTDIR
set -euo pipefail

source "$(dirname "$0")/common.sh"

tavelorn=$1
exporter=$2

# A background picture, so that the loaders take part too.
convert -size 300x200 gradient:'#2060c0-#f0f0ff' -fill '#c03020' -draw 'rectangle 20,20 120,90' \
  "BMP3:$work/band.bmp"

# The main window tests' lists and profiles, the background picture in the one shown.
# QAS orange instead of blue: the peak error bound below allows for the chroma
# subsampling of orange edges.
fixture main-window.ini "$work/Config.ini" "$work/band.bmp"
sed -i '/^\[Color\]/,/^\[/ s/^Item_2=.*/Item_2=33023/' "$work/Config.ini"
profile='SAP ERP 6.0 EHP7__QAS__2024_03_03'

"$tavelorn" "$work/Config.ini" &
app_pid=$!
wid=$(window_named Corvandel "$app_pid")
[ -n "$wid" ] || fail "the window did not appear"

# The profile selector has the focus at start; its items are sorted, so the wanted
# profile is the last one: End picks it (and picking it again changes nothing, so a key
# repeated after a slow start does no harm).
focus "$wid"
eval "$(xdotool getwindowgeometry --shell "$wid")"
crop="450x600+$((X + 394))+$((Y + 0))"
# The preview shows the profile, not the empty start picture, and holds still.
white_share() { convert "$work/preview.png" -fill black +opaque white -format '%[fx:mean]' info:; }
shows_profile() {
  xdotool key End
  still_shot "$work/preview.png" "$crop"
  awk -v w="$(white_share)" 'BEGIN { exit !(w < 0.9) }'
}
wait_until 5 shows_profile || fail "the preview shows no profile (white share $(white_share))"
echo "white share of the preview: $(white_share)"

"$exporter" --config "$work/Config.ini" --profile "$profile" --output "$work/export.jpg"

metric() { (compare -metric "$1" "$2" "$3" null: 2>&1 || true) | sed 's/.*(\(.*\))/\1/'; }

# Equal within JPEG accuracy: a small mean error against the export; the peak error
# is large only where chroma subsampling blurs coloured edges.
mae=$(metric MAE "$work/preview.png" "$work/export.jpg")
pae=$(metric PAE "$work/preview.png" "$work/export.jpg")
# The screenshot encoded the same way (quality 100, 4:2:0) decodes to the export's
# pixels: the preview shows exactly the exported picture.
convert "$work/preview.png" -quality 100 -sampling-factor 2x2 "$work/preview.jpg"
same=$(metric PAE "$work/preview.jpg" "$work/export.jpg")
echo "preview against export: mean error $mae, peak error $pae; re-encoded peak error $same"
if ! awk -v m="$mae" -v p="$pae" -v s="$same" 'BEGIN { exit !(m < 0.01 && p < 0.6 && s < 0.02) }'; then
  cp "$work/preview.png" "$work/export.jpg" "${E2E_KEEP_DIR:-/tmp}/" 2>/dev/null || true
  fail "the preview differs from the export"
fi

# "Quit" (the last control of the tab sequence, one Shift+Tab back from the profile
# selector) ends the program with exit code 0 and writes nothing.
cp "$work/Config.ini" "$work/before.ini"
xdotool key shift+Tab space
ended() { ! kill -0 "$app_pid" 2>/dev/null; }
wait_until 10 ended || fail "Quit did not end the program"
status=0
wait "$app_pid" || status=$?
app_pid=
[ "$status" -eq 0 ] || fail "exit code $status"
cmp -s "$work/Config.ini" "$work/before.ini" || fail "Config.ini changed"
echo "PASS"
