#!/usr/bin/env bash
# Batch export benchmark: `tavelorn-export --all` on N profiles against N runs of
# `cjpeg -quality 100 -baseline` on a 450 x 600 picture (the first profile's own picture),
# side by side: the two alternate ROUNDS times, so both see the same machine load.
# Prints each round, the medians and their ratio (target: at most 0.4).
# Usage: bench/batch_export/run.sh [PROFILES [ROUNDS]]
# (uses build/ or $TAVELORN_BUILD_DIR; $TAVELORN_EXPORT names another tavelorn-export)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
profiles=${1:-1000}
rounds=${2:-3}
build=${TAVELORN_BUILD_DIR:-$root/build}
exporter=${TAVELORN_EXPORT:-$build/src/export/tavelorn-export}
command -v cjpeg >/dev/null || { echo "cjpeg missing (package libjpeg-turbo-progs)"; exit 1; }
if [ ! -x "$exporter" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$build" --target tavelorn-export
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export LC_ALL=C.UTF-8
unset DISPLAY WAYLAND_DISPLAY

# Two background pictures, as systems have them: a photo-like JPEG and a small bitmap.
convert -size 450x350 plasma:fractal -seed 7 -quality 90 "$work/photo.jpg" 2>/dev/null ||
  convert -size 450x350 gradient:'#2060c0-#f0f0ff' "$work/photo.jpg"
convert -size 200x120 gradient:'#c03020-#f0e0a0' "BMP3:$work/logo.bmp"

# N profiles over 10 titles, 40 SIDs and 4 positions; a background on every other one.
{
  echo "[SystemTitle]"; echo "NbItems=10"
  for i in $(seq 1 10); do echo "Item_$i=SAP system title $i"; done
  echo "[LandscapeType]"; echo "NbItems=4"
  echo "Item_1=DEV"; echo "Item_2=QAS"; echo "Item_3=PRD"; echo "Item_4=SBX"
  echo "[Color]"; echo "NbItems=4"
  echo "Item_1=32768"; echo "Item_2=33023"; echo "Item_3=255"; echo "Item_4=8421504"
  echo "[SID]"; echo "NbItems=40"
  for i in $(seq 1 40); do printf 'Item_%d=S%02d\n' "$i" "$i"; done
  echo "[SystemInfo]"; echo "NbItems=$profiles"
  positions=(DEV QAS PRD SBX)
  for i in $(seq 1 "$profiles"); do
    printf '[SystemInfo_%d]\nID=Profile %d\nBorderWidth=%d\n' "$i" "$i" $((i % 4))
    printf 'SystemTitle=SAP system title %d\nLansdscapePosition=%s\nSID=S%02d\n' \
      $(((i % 10) + 1)) "${positions[$((i % 4))]}" $(((i % 40) + 1))
    printf 'Usage1=Usage of system %d\nUsage2=Client %d\nInfo1=Important information\n' "$i" "$i"
    case $((i % 4)) in
      0) printf 'PictureFullPath=%s\nPictureStretch=1\n' "$work/photo.jpg" ;;
      2) printf 'PictureFullPath=%s\nPictureCenter=1\n' "$work/logo.bmp" ;;
    esac
    printf 'LastRefresh=%02d/%02d/2024\nSourceRefresh=S01\n' $(((i % 28) + 1)) $(((i % 12) + 1))
  done
} > "$work/Config.ini"

# cjpeg's input: the first profile's picture, decoded.
"$exporter" --config "$work/Config.ini" --profile "Profile 1" --output "$work/one.jpg" >/dev/null
djpeg -pnm -outfile "$work/picture.ppm" "$work/one.jpg"

now() { date +%s%N; }
export_ms=()
cjpeg_ms=()
for r in $(seq 1 "$rounds"); do
  rm -rf "$work/out" "$work/cjpeg"
  mkdir "$work/out" "$work/cjpeg"
  t0=$(now)
  "$exporter" --config "$work/Config.ini" --all --output-dir "$work/out" >/dev/null 2>"$work/notes"
  t1=$(now)
  for i in $(seq 1 "$profiles"); do
    cjpeg -quality 100 -baseline -outfile "$work/cjpeg/$i.jpg" "$work/picture.ppm"
  done
  t2=$(now)
  written=$(find "$work/out" -name '*.jpg' | wc -l)
  [ "$written" -eq "$profiles" ] || { echo "only $written of $profiles pictures written"; exit 1; }
  export_ms+=($(((t1 - t0) / 1000000)))
  cjpeg_ms+=($(((t2 - t1) / 1000000)))
  echo "round $r: tavelorn-export ${export_ms[-1]} ms, cjpeg ${cjpeg_ms[-1]} ms"
done

median() { printf '%s\n' "$@" | sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }
me=$(median "${export_ms[@]}")
mc=$(median "${cjpeg_ms[@]}")
echo "profiles: $profiles, rounds: $rounds, cores: $(nproc)"
echo "tavelorn-export --all: median ${me} ms"
echo "cjpeg runs:            median ${mc} ms"
awk -v e="$me" -v c="$mc" 'BEGIN { printf "ratio: %.2f (target <= 0.4)\n", e / c }'
