#!/usr/bin/env bash
# Takes the README's pictures of the program under a dark desktop: the real program in a
# virtual X server with a window manager, the Fusion style and qt6ct's "darker" colour
# scheme. Writes docs/screenshot-dark-main.png, docs/screenshot-dark-colors.png (the
# colour dialog with its drop-down open) and docs/screenshot-dark-about.png.
# Usage: scripts/screenshot-dark.sh [TAVELORN [OUTPUT_DIR]]
# (build first: ./scripts/build.sh tavelorn; needs qt6ct)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
tavelorn=$(realpath "${1:-$root/build/src/app/tavelorn}")
outdir=$(realpath -m "${2:-$root/docs}")

if [ -z "${SHOT_INSIDE_X:-}" ]; then
  export SHOT_INSIDE_X=1
  exec timeout 150 xvfb-run -a -n $((100 + RANDOM % 800)) \
    -s "-screen 0 1280x1024x24 -nolisten tcp -r" "$0" "$tavelorn" "$outdir"
fi

scheme=/usr/share/qt6ct/colors/darker.conf
[ -f "$scheme" ] || { echo "screenshot-dark: qt6ct's $scheme is missing" >&2; exit 1; }

work=$(mktemp -d)
app_pid= wm_pid=
cleanup() {
  for p in $app_pid $wm_pid; do kill "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "screenshot-dark: $*" >&2; exit 1; }
export LC_ALL=C.UTF-8 LANG=C.UTF-8 QT_QPA_PLATFORM=xcb DO_NOT_TRACK=1
export HOME=$work XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime
export QT_QPA_PLATFORMTHEME=qt6ct QT_STYLE_OVERRIDE=Fusion
mkdir -m 700 "$work/runtime"
mkdir -p "$work/config/qt6ct"
cat > "$work/config/qt6ct/qt6ct.conf" <<CONF
[Appearance]
color_scheme_path=$scheme
custom_palette=true
style=Fusion
CONF

convert -size 450x350 gradient:'#8fbce6-#eef5fb' \
  -fill '#7d97b3' -draw 'polygon 0,350 0,230 70,170 130,215 210,120 290,205 350,160 450,240 450,350' \
  -fill '#4d6a88' -draw 'polygon 0,350 0,290 90,245 170,290 260,230 360,285 450,260 450,350' \
  "BMP3:$work/mountains.bmp"

cat > "$work/Config.ini" <<INI
[SystemTitle]
NbItems=1
Item_1=SAP S/4HANA 2023
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
NbItems=1
Item_1=QS4
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
SourceRefresh=QS4
CommentRefresh=Copy of production
INI

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

# Frame geometry of window $1: its place on the screen grown by the window manager's
# frame, and grown further by $2 pixels right and $3 below.
frame() {
  local x y w h ext l r t b
  read -r x y w h < <(xwininfo -id "$1" | awk '/Absolute upper-left X/{x=$4}
    /Absolute upper-left Y/{y=$4} /^ *Width/{w=$2} /^ *Height/{h=$2} END {print x, y, w, h}')
  ext=$(xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= //p' | tr -d ' ')
  IFS=, read -r l r t b <<<"${ext:-0,0,0,0}"
  echo "$((w + l + r + ${2:-0}))x$((h + t + b + ${3:-0}))+$((x - l))+$((y - t))"
}

# Shoots the region of window $1 (grown by $3 and $4) to $2 once it holds still.
shoot() {
  local prev= sum=
  for _ in $(seq 1 40); do
    sleep 0.25
    import -window root -crop "$(frame "$1" "${3:-0}" "${4:-0}")" +repage "$work/shot.png"
    sum=$(md5sum <"$work/shot.png")
    [ "$sum" = "$prev" ] && break
    prev=$sum
  done
  mkdir -p "$outdir"
  convert "$work/shot.png" -strip "PNG24:$outdir/$2"
  echo "$outdir/$2"
}

dialog() {
  timeout 10 xdotool search --all --sync --onlyvisible --pid "$app_pid" --name "^$1\$" | head -1 || true
}

# The main window with the profile picked (the profile selector has the focus).
xdotool mousemove 5 5
xdotool key End
sleep 1
shoot "$wid" screenshot-dark-main.png

# The colour dialog: DEV selected, the picker's drop-down open.
xdotool mousemove --window "$wid" 223 108 click 1
dlg=$(dialog 'Assign color to system position')
[ -n "$dlg" ] || fail "the colour dialog did not open"
xdotool windowactivate --sync "$dlg" 2>/dev/null || true
sleep 0.3
xdotool key Down Tab alt+Down
xdotool mousemove 5 5
shoot "$dlg" screenshot-dark-colors.png
xdotool key Escape Escape
sleep 0.5

# About.
xdotool windowactivate --sync "$wid" 2>/dev/null || true
xdotool mousemove --window "$wid" 24 575 click 1
about=$(dialog About)
[ -n "$about" ] || fail "the About dialog did not open"
xdotool mousemove 5 5
shoot "$about" screenshot-dark-about.png
xdotool key Return
