#!/usr/bin/env bash
# Starts the real program in a virtual X server with a prepared Config.ini, picks a
# profile with the keyboard, and compares the preview's pixels on screen with what
# tavelorn-export writes for the same profile.
# Usage: preview_matches_export.sh TAVELORN TAVELORN_EXPORT
set -euo pipefail

source "$(dirname "$0")/common.sh"

tavelorn=$1
exporter=$2

# A background picture, so that the loaders take part too.
convert -size 300x200 gradient:'#2060c0-#f0f0ff' -fill '#c03020' -draw 'rectangle 20,20 120,90' \
  "BMP3:$work/band.bmp"

cat > "$work/Config.ini" <<INI
[SystemTitle]
NbItems=2
Item_1=SAP ERP 6.0 EHP7
Item_2=SAP BW 7.5
[LandscapeType]
NbItems=3
Item_1=DEV
Item_2=QAS
Item_3=PRD
[Color]
NbItems=3
Item_1=32768
Item_2=33023
Item_3=255
[SID]
NbItems=3
Item_1=DEV
Item_2=QAS
Item_3=PRD
[RefreshComment]
NbItems=1
Item_1=Copy of production
[SystemInfo]
NbItems=2
[SystemInfo_1]
ID=SAP BW 7.5__DEV__2024_01_05
BorderWidth=1
SystemTitle=SAP BW 7.5
LansdscapePosition=DEV
SID=DEV
Usage1=Development
[SystemInfo_2]
ID=SAP ERP 6.0 EHP7__QAS__2024_03_03
BorderWidth=3
SystemTitle=SAP ERP 6.0 EHP7
LansdscapePosition=QAS
SID=QAS
Usage1=Quality assurance
Usage2=Integration & tests
PictureFullPath=$work/band.bmp
PictureCenter=1
PictureStretch=0
Info1=Do not use for production data
Info2=
Info3=Contact: basis team
LastRefresh=03/03/2024
SourceRefresh=PRD
CommentRefresh=Copy of production
INI
profile='SAP ERP 6.0 EHP7__QAS__2024_03_03'

"$tavelorn" "$work/Config.ini" &
app_pid=$!
wid=$(timeout 20 xdotool search --sync --onlyvisible --name '^Corvandel$' | head -1)
[ -n "$wid" ] || { echo "FAIL: the window did not appear"; exit 1; }

# The profile selector has the focus at start; its items are sorted, so the wanted
# profile is the last one: End picks it (and picking it again changes nothing, so a key
# repeated after a slow start does no harm).
xdotool windowfocus --sync "$wid" 2>/dev/null || true
eval "$(xdotool getwindowgeometry --shell "$wid")"
crop="450x600+$((X + 394))+$((Y + 0))"
white=1
for _ in 1 2 3 4 5; do
  xdotool key End
  # Wait until the preview holds still (the key has been handled and painted).
  prev=
  for _ in $(seq 1 20); do
    sleep 0.25
    import -window root -crop "$crop" +repage "$work/preview.png"
    sum=$(md5sum < "$work/preview.png")
    [ "$sum" = "$prev" ] && break
    prev=$sum
  done
  # The preview must show the profile, not the empty start picture.
  white=$(convert "$work/preview.png" -fill black +opaque white -format '%[fx:mean]' info:)
  awk -v w="$white" 'BEGIN { exit !(w < 0.9) }' && break
done
echo "white share of the preview: $white"
awk -v w="$white" 'BEGIN { exit !(w < 0.9) }' || { echo "FAIL: the preview shows no profile"; exit 1; }

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
  echo "FAIL: the preview differs from the export"
  exit 1
fi

# "Quit" (the last control of the tab sequence, one Shift+Tab back from the profile
# selector) ends the program with exit code 0 and writes nothing.
cp "$work/Config.ini" "$work/before.ini"
xdotool key shift+Tab
sleep 0.2
xdotool key space
status=0
for _ in $(seq 1 40); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.25; done
if kill -0 "$app_pid" 2>/dev/null; then echo "FAIL: Quit did not end the program"; exit 1; fi
wait "$app_pid" || status=$?
app_pid=
[ "$status" -eq 0 ] || { echo "FAIL: exit code $status"; exit 1; }
cmp -s "$work/Config.ini" "$work/before.ini" || { echo "FAIL: Config.ini changed"; exit 1; }
echo "PASS"
