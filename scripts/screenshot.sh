#!/usr/bin/env bash
# Takes the README's picture of the main window: the real program in a virtual X server
# with a window manager, a sample profile picked, saved as docs/screenshot-main.png.
# Usage: scripts/screenshot.sh [TAVELORN [OUTPUT.png]]
# (build first: ./scripts/build.sh tavelorn)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
tavelorn=$(realpath "${1:-$root/build/src/app/tavelorn}")
output=$(realpath -m "${2:-$root/docs/screenshot-main.png}")

if [ -z "${SHOT_INSIDE_X:-}" ]; then
  export SHOT_INSIDE_X=1
  exec timeout 120 xvfb-run -a -n $((100 + RANDOM % 800)) \
    -s "-screen 0 1280x1024x24 -nolisten tcp -r" "$0" "$tavelorn" "$output"
fi

work=$(mktemp -d)
app_pid= wm_pid=
cleanup() {
  for p in $app_pid $wm_pid; do kill "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "screenshot: $*" >&2; exit 1; }
export LC_ALL=C.UTF-8 LANG=C.UTF-8 QT_QPA_PLATFORM=xcb DO_NOT_TRACK=1
export HOME=$work XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$work/runtime"

# A background band: a sky and two mountain ridges, 450 x 350 like the band itself.
convert -size 450x350 gradient:'#8fbce6-#eef5fb' \
  -fill '#7d97b3' -draw 'polygon 0,350 0,230 70,170 130,215 210,120 290,205 350,160 450,240 450,350' \
  -fill '#4d6a88' -draw 'polygon 0,350 0,290 90,245 170,290 260,230 360,285 450,260 450,350' \
  "BMP3:$work/mountains.bmp"

cat > "$work/Config.ini" <<INI
[SystemTitle]
NbItems=2
Item_1=SAP S/4HANA 2023
Item_2=SAP BW/4HANA 2.0
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
Item_1=DS4
Item_2=PS4
Item_3=QS4
[RefreshComment]
NbItems=2
Item_1=
Item_2=Copy of production
[SystemInfo]
NbItems=1
[SystemInfo_1]
ID=SAP S/4HANA 2023__QS4__2024_03_03
BorderWidth=2
SystemTitle=SAP S/4HANA 2023
LansdscapePosition=QAS
SID=QS4
Usage1=Quality assurance
Usage2=Integration and user tests
PictureFullPath=$work/mountains.bmp
PictureCenter=1
PictureStretch=0
Info1=Do not use for production data
Info2=
Info3=Contact: SAP basis team
LastRefresh=03/03/2024
SourceRefresh=PS4
CommentRefresh=Copy of production
INI

# A window manager, for the window's frame and title.
openbox --sm-disable >/dev/null 2>&1 &
wm_pid=$!
for _ in $(seq 1 80); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.25
done

"$tavelorn" "$work/Config.ini" &
app_pid=$!
wid=$(timeout 30 xdotool search --sync --onlyvisible --pid "$app_pid" --name '^Corvandel$' | head -1 || true)
[ -n "$wid" ] || fail "the window did not appear"
xdotool windowactivate --sync "$wid" 2>/dev/null || true

# Frame geometry: the client's place on the screen grown by the window manager's frame.
frame() {
  local x y w h ext l r t b
  read -r x y w h < <(xwininfo -id "$wid" | awk '/Absolute upper-left X/{x=$4}
    /Absolute upper-left Y/{y=$4} /^ *Width/{w=$2} /^ *Height/{h=$2} END {print x, y, w, h}')
  ext=$(xprop -id "$wid" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= //p' | tr -d ' ')
  IFS=, read -r l r t b <<<"${ext:-0,0,0,0}"
  echo "$((w + l + r))x$((h + t + b))+$((x - l))+$((y - t))"
}

# The profile selector has the focus: End picks the one profile. Wait until the preview
# shows it and holds still.
xdotool mousemove 5 5
xdotool key End
prev=
for _ in $(seq 1 80); do
  sleep 0.25
  import -window root -crop "$(frame)" +repage "$work/shot.png"
  sum=$(md5sum <"$work/shot.png")
  white=$(convert "$work/shot.png" -crop 450x600+400+40 +repage -fill black +opaque white \
    -format '%[fx:mean]' info:)
  awk -v w="$white" 'BEGIN { exit !(w < 0.9) }' && [ "$sum" = "$prev" ] && break
  prev=$sum
done
[ "$sum" = "$prev" ] || fail "the preview did not settle on the profile"
mkdir -p "$(dirname "$output")"
convert "$work/shot.png" -strip "PNG24:$output"
echo "$output"
