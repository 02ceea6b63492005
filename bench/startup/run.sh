#!/usr/bin/env bash
# Start-up benchmark: how long the real program takes to show a usable window (mapped
# and painted) against a bare Qt Widgets window with as many controls, both in a
# virtual X server. Prints the medians and their ratio (target: at most 1.10).
# The program's usage hit goes to a local server that accepts and never answers, the
# worst case for a start; BENCH_PING=off sends none (DO_NOT_TRACK=1) to compare.
# Usage: bench/startup/run.sh [RUNS]   (uses build/ or $TAVELORN_BUILD_DIR; the
# benchmark's own programs from $TAVELORN_STARTUP_BIN when the main build made them)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
runs=${1:-20}
build=${TAVELORN_BUILD_DIR:-$root/build}

if [ -z "${BENCH_INSIDE_X:-}" ]; then
  if [ ! -x "$build/src/app/tavelorn" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$build" --target tavelorn
  fi
  if [ -z "${TAVELORN_STARTUP_BIN:-}" ]; then
    cmake -S "$here" -B "$build/bench-startup" -G Ninja >/dev/null
    cmake --build "$build/bench-startup" >/dev/null
  fi
  export BENCH_INSIDE_X=1
  exec xvfb-run -a -n $((100 + RANDOM % 800)) -s "-screen 0 1280x1024x24 -nolisten tcp" "$0" "$@"
fi

bin=${TAVELORN_STARTUP_BIN:-$build/bench-startup}
work=$(mktemp -d)
hole=
trap 'if [ -n "$hole" ]; then kill "$hole"; fi; rm -rf "$work"' EXIT
export LC_ALL=C.UTF-8 QT_QPA_PLATFORM=xcb
# A font cache of the run's own, filled by the warm-up: a system cache that another
# program makes stale mid-run would have one start rescan every font (some 100 ms) and
# fall on either side at random.
mkdir "$work/fontcache"
cat > "$work/fonts.conf" <<EOF
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">
<fontconfig>
  <cachedir>$work/fontcache</cachedir>
  <include ignore_missing="yes">/etc/fonts/fonts.conf</include>
</fontconfig>
EOF
export FONTCONFIG_FILE=$work/fonts.conf
# The hit's temporary file is left behind when a run is ended mid-download: keep it here.
export TMPDIR=$work
if [ "${BENCH_PING:-on}" = off ]; then
  export DO_NOT_TRACK=1
else
  unset DO_NOT_TRACK
  "$bin/blackhole" > "$work/port" &
  hole=$!
  for _ in $(seq 1 50); do [ -s "$work/port" ] && break; sleep 0.1; done
  export TAVELORN_SITE_URL="http://127.0.0.1:$(cat "$work/port")"
fi

# A configuration with a realistic number of profiles and list items.
{
  echo "[SystemTitle]"; echo "NbItems=10"
  for i in $(seq 1 10); do echo "Item_$i=SAP system title $i"; done
  echo "[LandscapeType]"; echo "NbItems=4"
  echo "Item_1=DEV"; echo "Item_2=QAS"; echo "Item_3=PRD"; echo "Item_4=SBX"
  echo "[Color]"; echo "NbItems=4"
  echo "Item_1=32768"; echo "Item_2=33023"; echo "Item_3=255"; echo "Item_4=8421504"
  echo "[SID]"; echo "NbItems=30"
  for i in $(seq 1 30); do printf 'Item_%d=S%02d\n' "$i" "$i"; done
  echo "[RefreshComment]"; echo "NbItems=5"
  for i in $(seq 1 5); do echo "Item_$i=Comment $i"; done
  echo "[SystemInfo]"; echo "NbItems=50"
  for i in $(seq 1 50); do
    printf '[SystemInfo_%d]\nID=SAP system title %d__S%02d__2024_01_05\nBorderWidth=2\n' "$i" $(( (i % 10) + 1 )) $(( (i % 30) + 1 ))
    printf 'SystemTitle=SAP system title %d\nLansdscapePosition=QAS\nSID=S%02d\n' $(( (i % 10) + 1 )) $(( (i % 30) + 1 ))
    printf 'Usage1=Usage %d\nUsage2=Second line\nInfo1=Information\nLastRefresh=03/03/2024\nSourceRefresh=S01\n' "$i"
  done
} > "$work/Config.ini"

waitmap="$bin/waitmap"
# Each run: the time to the painted window and the processor time the program took.
export WAITMAP_CPU=1
bare=()
app=()
# Alternate the two so that both see the same machine load; one warm-up each.
"$waitmap" Bare "$bin/bare_window" >/dev/null
"$waitmap" Corvandel "$build/src/app/tavelorn" "$work/Config.ini" >/dev/null
for _ in $(seq 1 "$runs"); do
  bare+=("$("$waitmap" Bare "$bin/bare_window")")
  app+=("$("$waitmap" Corvandel "$build/src/app/tavelorn" "$work/Config.ini")")
done

# median COLUMN RUN...: the median of one column of the runs
median() {
  local column=$1
  shift
  printf '%s\n' "$@" | awk -v c="$column" '{print $c}' | sort -n |
    awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'
}
mb=$(median 1 "${bare[@]}")
ma=$(median 1 "${app[@]}")
cb=$(median 2 "${bare[@]}")
ca=$(median 2 "${app[@]}")
echo "runs: $runs (usage hit: ${BENCH_PING:-on}${TAVELORN_SITE_URL:+, to a server that never answers})"
echo "bare Qt Widgets window: median ${mb} ms (processor ${cb} ms)"
echo "tavelorn (50 profiles): median ${ma} ms (processor ${ca} ms)"
awk -v a="$ma" -v b="$mb" -v ca="$ca" -v cb="$cb" \
  'BEGIN { printf "ratio: %.2f (target <= 1.10); processor time: %.2f\n", a / b, ca / cb }'
