#!/usr/bin/env bash
# Runs two builds of the programs on the same inputs and compares what they do, byte for
# byte: tavelorn-export on every Config.ini fixture of the test suite and on generated
# ones (standard output, standard error, exit status, every file written, the fixture
# left untouched), in the C and de_DE.UTF-8 locales; and the window, its colour dialog,
# a list editor and About, shot in a virtual X server under openbox, pixel for pixel.
# For checking that a refactoring changed no behaviour.
#
# Usage: tools/compare-behaviour.sh [--no-gui|--no-export] [--only REGEX] [--keep DIR]
#                                   BEFORE_DIR AFTER_DIR
#   Each DIR holds tavelorn and tavelorn-export, directly or as a build folder
#   (src/app/tavelorn, src/export/tavelorn-export). --only runs the export cases whose
#   name (as the report prints it) matches the bash regex; --keep DIR works in DIR (new
#   or empty) and leaves the inputs and outputs there.
# Exits 0 when every case is identical, 1 on any difference, 2 on a usage or set-up error.
#
# The clock: with faketime installed every run starts at 2024-06-15 10:00:00 UTC, so that
# names made from today's date match; without it the runs use the real date, and a run
# that crosses midnight is reported as such.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
usage() { echo "usage: $0 [--no-gui|--no-export] [--only REGEX] [--keep DIR] BEFORE_DIR AFTER_DIR" >&2; exit 2; }

# ---------------------------------------------------------------------------------------
# Inside the virtual X server: shoots the window of one build.
# _gui TAVELORN OUT_DIR PICTURE [REFERENCE_DIR]
if [ "${1:-}" = _gui ]; then
  tavelorn=$2 out=$3 picture=$4 ref=${5:-}
  work=$(mktemp -d)
  app_pid=
  also_kill=
  cleanup() {
    local p
    for p in $app_pid $also_kill; do kill "$p" 2>/dev/null || true; done
    for p in $app_pid $also_kill; do wait "$p" 2>/dev/null || true; done
    rm -rf "$work"
  }
  trap cleanup EXIT
  fail() {
    echo "failed: $*" >>"$out/log"
    cp "$work/app.out" "$out/app.out" 2>/dev/null || true
    exit 0
  }
  # shellcheck source=tests/e2e/lib.sh
  source "$root/tests/e2e/lib.sh"
  export QT_QPA_PLATFORM=xcb
  private_home
  mkdir -p "$out"
  : >"$out/log"

  # Shoots area $2 to $out/$1.png once it holds still. With a reference shot, waits up
  # to eight seconds for the same pixels (a blinking caret may be in the other phase),
  # keeping the last shot.
  shot() {
    local name=$1 area=$2 png="$out/$1.png"
    echo "$name: $area" >>"$out/log"
    if [ -n "$ref" ] && [ -f "$ref/$name.png" ]; then
      same_as_ref() {
        import -window root -crop "$area" +repage "$png"
        cmp -s <(convert "$png" RGB:-) <(convert "$ref/$name.png" RGB:-)
      }
      wait_until 8 same_as_ref || true
    else
      still_shot "$png" "$area"
    fi
  }

  fixture screenshot.ini "$work/Config.ini" "$picture"
  start_wm
  clock=()
  [ -z "${COMPARE_FAKETIME:-}" ] ||
    clock=("LD_PRELOAD=$COMPARE_FAKETIME" "FAKETIME=@2024-06-15 10:00:00"
           "FAKETIME_DONT_FAKE_MONOTONIC=1" "FAKETIME_NO_CACHE=1")
  env "${clock[@]+"${clock[@]}"}" "$tavelorn" "$work/Config.ini" >"$work/app.out" 2>&1 &
  app_pid=$!
  wid=$(window_named Corvandel "$app_pid" 90)
  [ -n "$wid" ] || fail "the window did not appear"
  xdotool windowactivate --sync "$wid" 2>/dev/null || true
  focus "$wid"
  xdotool mousemove 0 0
  shot main-start "$(frame_geometry "$wid")"

  # The profile selector has the focus: End picks the one profile.
  shows_profile() {
    import -window root -crop "$(frame_geometry "$wid")" +repage "$work/p.png"
    awk -v w="$(convert "$work/p.png" -crop 450x600+400+40 +repage -fill black +opaque white \
      -format '%[fx:mean]' info:)" 'BEGIN { exit !(w < 0.9) }'
  }
  xdotool key End
  wait_until 20 shows_profile || fail "the preview did not show the profile"
  shot main-profile "$(frame_geometry "$wid")"

  # The colour dialog, then with the first position chosen and its drop-down open.
  colours='Assign color to system position'
  xdotool mousemove --window "$wid" 223 108 click 1
  dlg=$(window_named "$colours" "$app_pid" 10)
  [ -n "$dlg" ] || fail "the colour dialog did not open"
  focus "$dlg"
  xdotool mousemove 0 0
  shot colours "$(frame_geometry "$dlg")"
  xdotool key Down Tab alt+Down
  wait_until 10 other_window_geometry "$app_pid" "$wid" "$dlg" >/dev/null ||
    fail "the colour drop-down did not open"
  eval "$(xdotool getwindowgeometry --shell "$dlg")"
  shot colours-dropdown "450x454+$((X - 20))+$((Y - 20))"
  xdotool key Escape Escape
  wait_closed "$colours"

  # The SID list editor.
  xdotool windowactivate --sync "$wid" 2>/dev/null || true
  xdotool mousemove --window "$wid" 373 108 click 1
  ed=$(window_named SID "$app_pid" 10)
  [ -n "$ed" ] || fail "the SID list editor did not open"
  focus "$ed"
  xdotool mousemove 0 0
  shot editor-sid "$(frame_geometry "$ed")"
  xdotool key alt+a
  wait_closed SID

  # About (its downloads fail at once on the dead local port).
  xdotool windowactivate --sync "$wid" 2>/dev/null || true
  xdotool mousemove --window "$wid" 24 575 click 1
  about=$(window_named About "$app_pid" 15)
  [ -n "$about" ] || fail "the About dialog did not open"
  focus "$about"
  xdotool mousemove 0 0
  shot about "$(frame_geometry "$about")"
  xdotool key Return
  wait_closed About
  kill "$app_pid" 2>/dev/null || true
  wait "$app_pid" 2>/dev/null || true
  app_pid=
  echo "done" >>"$out/log"
  exit 0
fi

# ---------------------------------------------------------------------------------------
gui=1 keep='' no_export='' only=''
while [ $# -gt 0 ]; do
  case $1 in
    --no-gui) gui=; shift ;;
    --no-export) no_export=1; shift ;;
    --only) [ $# -ge 2 ] || usage; only=$2; shift 2 ;;
    --keep) [ $# -ge 2 ] || usage; keep=$2; shift 2 ;;
    -h|--help) sed -n '2,19p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    -*) usage ;;
    *) break ;;
  esac
done
[ $# -eq 2 ] || usage

# The program NAME of build folder $1.
find_program() {
  local p
  for p in "$1/$2" "$1/src/export/$2" "$1/src/app/$2"; do
    [ -f "$p" ] && [ -x "$p" ] && { realpath "$p"; return 0; }
  done
  echo "compare-behaviour: no $2 in $1" >&2
  exit 2
}
declare -A export_bin window_bin
export_bin[before]=$(find_program "$1" tavelorn-export)
export_bin[after]=$(find_program "$2" tavelorn-export)
if [ -n "$gui" ]; then
  window_bin[before]=$(find_program "$1" tavelorn)
  window_bin[after]=$(find_program "$2" tavelorn)
fi
for tool in python3 convert cmp diff timeout; do
  command -v "$tool" >/dev/null || { echo "compare-behaviour: $tool is missing" >&2; exit 2; }
done

if [ -n "$keep" ]; then
  [ ! -e "$keep" ] || [ -z "$(ls -A "$keep")" ] || { echo "compare-behaviour: $keep is not empty" >&2; exit 2; }
  mkdir -p "$keep"
  tmp=$(realpath "$keep")
else
  tmp=$(mktemp -d /tmp/tavelorn-compare.XXXXXX)
fi
chmod 755 "$tmp"
cleanup_tmp() { [ -n "$keep" ] || rm -rf "$tmp"; }
trap cleanup_tmp EXIT
trap 'exit 2' INT TERM
fx=$tmp/fixtures pics=$tmp/pictures work=$tmp/work res=$tmp/results
mkdir -p "$fx" "$pics" "$res" "$tmp/bin" "$tmp/home" "$tmp/cache"
# Fontconfig's cache outlives the runs (it costs a second a run otherwise).
chmod 1777 "$tmp/cache"

# --- Locales: de_DE.UTF-8 made in a private folder when the system lacks it. ---
locpath=
if ! locale -a 2>/dev/null | grep -qix 'de_DE\.utf-\?8'; then
  mkdir -p "$tmp/locale"
  localedef -i de_DE -f UTF-8 "$tmp/locale/de_DE.UTF-8" 2>/dev/null ||
    { echo "compare-behaviour: cannot make the de_DE.UTF-8 locale (package locales)" >&2; exit 2; }
  locpath=$tmp/locale
fi

# --- The clock. ---
clock=()
libfaketime=
for f in /usr/lib/x86_64-linux-gnu/faketime/libfaketimeMT.so.1 \
         /usr/lib/*/faketime/libfaketimeMT.so.1; do
  [ -f "$f" ] && { libfaketime=$f; break; }
done
if [ -n "$libfaketime" ]; then
  # The wall clock starts at a fixed moment and runs on; timers keep the real clock.
  clock=("LD_PRELOAD=$libfaketime" "FAKETIME=@2024-06-15 10:00:00" "FAKETIME_DONT_FAKE_MONOTONIC=1"
         "FAKETIME_NO_CACHE=1")
  clock_note="faketime: every run starts at 2024-06-15 10:00:00 UTC"
else
  clock_note="no faketime: the real date ($(date -u +%F)), runs checked to stay within one day"
fi
day_at_start=$(date -u +%F)

# --- Pictures and fixtures. ---
convert -size 120x80 xc:'#fac800' -fill '#2040a0' -draw 'rectangle 10,10 60,50' "BMP3:$pics/bg.bmp"
convert -size 300x200 gradient:'#2060c0-#f0f0ff' -fill '#c03020' -draw 'rectangle 20,20 120,90' \
  -quality 90 "$pics/bg.jpg"
convert -size 200x120 gradient:'#20a040-#ffffff' "$pics/bg.gif"
convert -size 1600x1600 -seed 7 plasma:fractal -quality 90 "$pics/big.jpg"
convert -size 500x700 gradient:'#303030-#e0e0e0' -compress lzw "$pics/bg.tif"
convert -size 32x32 xc:'#a02080' "$pics/bg.ico"
convert -size 60x60 xc:'#00ffff' "$pics/bg.png"
printf 'not a bitmap' >"$pics/broken.bmp"
: >"$pics/empty.jpg"
cp "$pics/bg.bmp" "$tmp/work-bg.bmp"
# The band of the README's screenshot, for the window.
convert -size 450x350 gradient:'#8fbce6-#eef5fb' \
  -fill '#7d97b3' -draw 'polygon 0,350 0,230 70,170 130,215 210,120 290,205 350,160 450,240 450,350' \
  -fill '#4d6a88' -draw 'polygon 0,350 0,290 90,245 170,290 260,230 360,285 450,260 450,350' \
  "BMP3:$pics/mountains.bmp"

# Every INI file of the suite, as it is and (with an empty picture line) with a picture.
suite_fixtures=()
while IFS= read -r -d '' f; do
  rel=${f#"$root"/}
  name=suite-$(echo "${rel%.ini}" | tr '/' '-')
  mkdir -p "$fx/$name"
  cp "$f" "$fx/$name/Config.ini"
  suite_fixtures+=("$name")
  if grep -q '^PictureFullPath=$' "$f"; then
    mkdir -p "$fx/$name-picture"
    sed "s|^PictureFullPath=\$|PictureFullPath=$pics/mountains.bmp|" "$f" >"$fx/$name-picture/Config.ini"
    suite_fixtures+=("$name-picture")
  fi
done < <(find "$root/tests" \( -name '*.ini' -o -name 'Config.ini' \) -type f -print0 | sort -z)
python3 "$here/compare-behaviour/fixtures.py" "$fx" "$pics"
# A configuration nobody but root may read, and one that is a folder.
mkdir -p "$fx/unreadable" "$fx/folder/Config.ini"
cp "$fx/export-suite/Config.ini" "$fx/unreadable/Config.ini"
chmod -R a+rX "$fx" "$pics"
chmod 000 "$fx/unreadable/Config.ini"

# --- The cases. ---
# case_add NAME [VAR=VALUE...] -- ARG...: one run, in the work folder, per locale.
# The pseudo-variables AS_NOBODY=1 (run as nobody) and STDOUT_BINARY=1 (standard output
# is a picture) are the runner's.
case_names=() case_envs=() case_args=()
case_add() {
  local name=$1 env=()
  shift
  [[ -z $only || $name =~ $only ]] || return 0
  while [ "$1" != -- ]; do env+=("$1"); shift; done
  shift
  case_names+=("$name")
  if [ ${#env[@]} -gt 0 ]; then case_envs+=("$(printf '%q ' "${env[@]}")"); else case_envs+=(""); fi
  if [ $# -gt 0 ]; then case_args+=("$(printf '%q ' "$@")"); else case_args+=(""); fi
}

locales=(C de_DE.UTF-8)
[ -z "$no_export" ] || locales=()
# The environment of every run: nothing of the caller's but PATH.
base_env() { # LOCALE
  local e=("PATH=/usr/bin:/bin" "HOME=$tmp/home" "XDG_CONFIG_HOME=$tmp/home/xdg"
           "XDG_STATE_HOME=$tmp/home/state" "XDG_CACHE_HOME=$tmp/cache" "TZ=UTC" "LC_ALL=$1" "LANG=$1"
           "TAVELORN_SITE_URL=http://127.0.0.1:9" "DO_NOT_TRACK=1")
  [ -n "$locpath" ] && [ "$1" != C ] && e+=("LOCPATH=$locpath")
  printf '%s\n' "${e[@]}"
}

# The profile identifiers of fixture $1 (as the BEFORE build lists them): the first and
# the last, for the single exports.
sample_ids() {
  local cfg=$1 loc=$2 env_lines
  shift 2
  mapfile -t env_lines < <(base_env "$loc")
  (cd "$tmp" && env -i "${env_lines[@]}" "$@" timeout 120 "${export_bin[before]}" --config "$cfg" --list \
    2>/dev/null || true) | awk 'NF && !seen[$0]++' | awk '{ a[NR] = $0 } END {
      if (NR >= 1) print a[1]; if (NR >= 2) print a[NR] }'
}

for loc in "${locales[@]}"; do
  L="[$loc]"
  # Usage, help and the default file.
  case_add "$L no arguments" -- 
  case_add "$L --help" -- --help
  case_add "$L --version" -- --version
  case_add "$L unknown option" -- --bogus
  case_add "$L --profile without value" -- --profile
  case_add "$L --list and --all" -- --list --all
  case_add "$L operand after --" -- --config "$fx/export-suite/Config.ini" -- --list
  case_add "$L --list --" -- --config "$fx/export-suite/Config.ini" --list --
  case_add "$L --title without --template" -- --config "$fx/export-suite/Config.ini" --all --title name
  case_add "$L --config=FILE --list" -- "--config=$fx/export-suite/Config.ini" --list
  case_add "$L default file --list" -- --list
  case_add "$L default file --all" -- --all --output-dir out
  case_add "$L default file --profile" -- --profile X
  # Files that are missing, unreadable, a folder.
  case_add "$L missing file --list" -- --config "$tmp/nowhere/Config.ini" --list
  case_add "$L missing file --all" -- --config "$tmp/nowhere/Config.ini" --all --output-dir out
  case_add "$L missing file --profile" -- --config "$tmp/nowhere/Config.ini" --profile X
  case_add "$L folder as file --list" -- --config "$fx/folder/Config.ini" --list
  case_add "$L folder as file --all" -- --config "$fx/folder/Config.ini" --all --output-dir out
  if [ "$(id -u)" = 0 ] && command -v setpriv >/dev/null; then
    case_add "$L unreadable file --list" AS_NOBODY=1 -- --config "$fx/unreadable/Config.ini" --list
    case_add "$L unreadable file --all" AS_NOBODY=1 -- --config "$fx/unreadable/Config.ini" --all --output-dir out
  elif [ "$(id -u)" != 0 ]; then
    case_add "$L unreadable file --list" -- --config "$fx/unreadable/Config.ini" --list
    case_add "$L unreadable file --all" -- --config "$fx/unreadable/Config.ini" --all --output-dir out
  fi
  # Output paths: through a file, a folder, standard output, to /dev/full.
  cfg=$fx/export-suite/Config.ini
  case_add "$L --output through a file" -- --config "$cfg" --profile Alpha__QAS__2016_12_01 --output "$pics/bg.bmp/sub/x.jpg"
  case_add "$L --output-dir is a file" -- --config "$cfg" --all --output-dir "$pics/bg.bmp"
  case_add "$L --output folder/" -- --config "$cfg" --profile Zeta__QAS__2016_12_01 --output made/
  case_add "$L --output png name" -- --config "$cfg" --profile Alpha__QAS__2016_12_01 --output alpha.final.png
  case_add "$L --output to /dev/full" -- --config "$cfg" --profile Alpha__QAS__2016_12_01 --output - 
  case_add "$L bad id" -- --config "$cfg" --profile 'No such profile'
  case_add "$L id differing in case" -- --config "$cfg" --profile zeta__qas__2016_12_01
  case_add "$L empty id" -- --config "$cfg" --profile ''

  # Every fixture: --list, --all, single exports (default name, a file, standard output).
  for name in "${suite_fixtures[@]}" export-suite ten-profiles every-key nul-bytes cp932 cp936 \
              utf16le-bom utf8-bom cp1250 broken-lines negative-counts counts-beyond \
              missing-pictures name-clashes empty lists-only bulk-10000 landscape; do
    cfg=$fx/$name/Config.ini
    extra=()
    case $name in
      cp932) extra=(TAVELORN_CODEPAGE=932) ;;
      cp936) extra=(TAVELORN_CODEPAGE=936) ;;
      cp1250) extra=(TAVELORN_CODEPAGE=1250) ;;
    esac
    case_add "$L $name --list" "${extra[@]+"${extra[@]}"}" -- --config "$cfg" --list
    # 10,000 pictures take minutes a build: that file is listed and exported one by one.
    [ "$name" = bulk-10000 ] ||
      case_add "$L $name --all" "${extra[@]+"${extra[@]}"}" -- --config "$cfg" --all --output-dir out/all
    # --all drew every profile already: the single mode on the first one (the last one of
    # the large file), once under its default name and once to standard output.
    ids=()
    mapfile -t ids < <(sample_ids "$cfg" "$loc" "${extra[@]+"${extra[@]}"}")
    [ ${#ids[@]} -gt 0 ] || continue
    id=${ids[0]}
    if [ "$name" = bulk-10000 ]; then
      case_add "$L $name --profile (last)" -- --config "$cfg" --profile "${ids[-1]}" --output out/one.jpg
    fi
    case_add "$L $name --profile (default name)" "${extra[@]+"${extra[@]}"}" -- --config "$cfg" --profile "$id"
    case_add "$L $name --profile --output -" "${extra[@]+"${extra[@]}"}" STDOUT_BINARY=1 -- --config "$cfg" --profile "$id" --output -
  done

  # Landscape mode.
  d=$fx/landscape
  case_add "$L landscape --list" -- --landscape "$d/SAPUILandscape.xml" --list
  case_add "$L landscape twice --list" -- --landscape "$d/SAPUILandscape.xml" --landscape "$d/more.xml" --list
  case_add "$L landscape --all" -- --config "$d/Config.ini" --landscape "$d/SAPUILandscape.xml" --template Template --all --output-dir out/land
  case_add "$L landscape --title description" -- --config "$d/Config.ini" --landscape "$d/SAPUILandscape.xml" --template Template --all --output-dir out/land --title description
  case_add "$L landscape other template" -- --config "$d/Config.ini" --landscape "$d/more.xml" --template Dotted --all
  case_add "$L landscape missing template" -- --config "$d/Config.ini" --landscape "$d/SAPUILandscape.xml" --template Nothing --all
  case_add "$L landscape without --template" -- --config "$d/Config.ini" --landscape "$d/SAPUILandscape.xml" --all
  case_add "$L landscape doctype" -- --config "$d/Config.ini" --landscape "$d/doctype.xml" --template Template --all
  case_add "$L landscape include loop" -- --landscape "$d/loop.xml" --list
  case_add "$L landscape truncated" -- --landscape "$d/truncated.xml" --list
  case_add "$L landscape missing" -- --landscape "$d/none.xml" --list
  case_add "$L landscape --title bad" -- --config "$d/Config.ini" --landscape "$d/SAPUILandscape.xml" --template Template --all --title other
done

# --- Running. ---
# Every run happens in the same work folder, with the program at the same path (a link
# that points to the build of the side), so that printed paths are the same.
fixture_state() { find "$fx" -printf '%p %y %s %m %T@\n' | LC_ALL=C sort; }

run_side() { # before|after
  local side=$1 i n=${#case_names[@]} loc envs args dir
  ln -sfn "${export_bin[$side]}" "$tmp/bin/tavelorn-export"
  local real_dir
  real_dir=$(dirname "${export_bin[$side]}")
  for ((i = 0; i < n; i++)); do
    dir=$res/$side/$i
    mkdir -p "$dir"
    loc=${case_names[$i]#[}
    loc=${loc%%]*}
    eval "envs=(${case_envs[$i]})"
    eval "args=(${case_args[$i]})"
    local nobody='' binary='' e run_env=()
    mapfile -t run_env < <(base_env "$loc")
    for e in "${envs[@]+"${envs[@]}"}"; do
      case $e in
        AS_NOBODY=1) nobody=1 ;;
        STDOUT_BINARY=1) binary=1 ;;
        *) run_env+=("$e") ;;
      esac
    done
    rm -rf "$work" "${tmp:?}/home"
    mkdir -p "$work" "$tmp/home"
    local runner=()
    if [ -n "$nobody" ]; then
      chmod 777 "$work"
      runner=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
    fi
    local out_target=$dir/stdout
    [[ ${case_names[$i]} == *"/dev/full"* ]] && out_target=/dev/full
    (
      cd "$work"
      set +e
      env -i "${run_env[@]}" "${clock[@]+"${clock[@]}"}" timeout 120 "${runner[@]+"${runner[@]}"}" \
        "$tmp/bin/tavelorn-export" "${args[@]+"${args[@]}"}" >"$out_target" 2>"$dir/stderr"
      echo $? >"$dir/status"
    )
    [ -f "$dir/stdout" ] || : >"$dir/stdout"
    # The program's own folder, should it name it.
    sed -i "s|$real_dir|@PROGRAM_DIR@|g" "$dir/stderr"
    [ -n "$binary" ] || sed -i "s|$real_dir|@PROGRAM_DIR@|g" "$dir/stdout"
    mv "$work" "$dir/files"
    (cd "$dir/files" && find . -mindepth 1 -printf '%p %y %s %m\n' | LC_ALL=C sort) >"$dir/tree"
    fixture_state >"$dir/fixtures"
    [ $((i % 50)) -ne 0 ] || echo "  $side: $i/$n" >&2
  done
}

n_cases=${#case_names[@]}
echo "compare-behaviour: ${export_bin[before]} against ${export_bin[after]}"
echo "  $n_cases export cases (${locales[*]}), $clock_note"
run_side before
run_side after

# --- The window. ---
gui_note=
if [ -n "$gui" ]; then
  # A session that fails (a loaded machine, a window manager slow to start) runs again
  # once; the failure stays in the log when it fails twice.
  for side in before after; do
    for attempt in 1 2; do
      rm -rf "$res/gui-$side"
      mkdir -p "$res/gui-$side"
      env -i "PATH=/usr/bin:/bin" "HOME=$tmp/home" "LC_ALL=C.UTF-8" "LANG=C.UTF-8" "TZ=UTC" \
        "TAVELORN_SITE_URL=http://127.0.0.1:9" "DO_NOT_TRACK=1" "COMPARE_FAKETIME=$libfaketime" \
        timeout 300 xvfb-run -a -n $((100 + RANDOM % 800)) \
        -s "-screen 0 1280x1024x24 -nolisten tcp" \
        "$0" _gui "${window_bin[$side]}" "$res/gui-$side" "$pics/mountains.bmp" \
        "$([ "$side" = after ] && echo "$res/gui-before")" \
        >"$res/gui-$side.out" 2>&1 || echo "failed: status $?" >>"$res/gui-$side/log"
      grep -q '^done$' "$res/gui-$side/log" && break
      echo "  the $side window session failed ($(grep -m1 '^failed' "$res/gui-$side/log")), attempt $attempt" >&2
    done
  done
fi

# --- Comparing. ---
differ=0 report=$tmp/report.txt
: >"$report"
section() { printf '\n=== %s\n' "$1" >>"$report"; }
for ((i = 0; i < n_cases; i++)); do
  b=$res/before/$i a=$res/after/$i bad=
  for f in status stderr stdout tree fixtures; do
    cmp -s "$b/$f" "$a/$f" || bad+=" $f"
  done
  diff -rq "$b/files" "$a/files" >/dev/null 2>&1 || bad+=" files"
  [ -n "$bad" ] || continue
  differ=$((differ + 1))
  section "${case_names[$i]}: differs in$bad"
  echo "    args: ${case_args[$i]}" >>"$report"
  [ -z "${case_envs[$i]// /}" ] || echo "    env: ${case_envs[$i]}" >>"$report"
  for f in status stderr stdout tree fixtures; do
    cmp -s "$b/$f" "$a/$f" && continue
    if [ "$f" = stdout ] && ! grep -qI . "$b/stdout" "$a/stdout" 2>/dev/null; then
      echo "--- stdout (binary): $(stat -c %s "$b/stdout") bytes before, $(stat -c %s "$a/stdout") after" >>"$report"
    else
      diff -u --label "before/$f" --label "after/$f" "$b/$f" "$a/$f" | head -40 >>"$report" || true
    fi
  done
  diff -rq "$b/files" "$a/files" 2>&1 | sed "s|$res/||g" | head -20 >>"$report" || true
done
gui_cases=0
if [ -n "$gui" ]; then
  for side in before after; do
    grep -q '^done$' "$res/gui-$side/log" 2>/dev/null || gui_note+=" the $side window run did not finish ($(grep '^failed' "$res/gui-$side/log" 2>/dev/null | head -1));"
  done
  gui_cases=1
  if ! cmp -s "$res/gui-before/log" "$res/gui-after/log"; then
    differ=$((differ + 1))
    section "window: the shots' states or geometries differ"
    diff -u --label before --label after "$res/gui-before/log" "$res/gui-after/log" >>"$report" || true
  fi
  for png in "$res"/gui-before/*.png; do
    [ -e "$png" ] || continue
    name=$(basename "$png" .png)
    gui_cases=$((gui_cases + 1))
    other=$res/gui-after/$name.png
    if [ ! -f "$other" ]; then
      differ=$((differ + 1))
      section "window shot $name: missing after"
    elif ! cmp -s <(convert "$png" RGB:-) <(convert "$other" RGB:-) ||
       [ "$(identify -format %wx%h "$png")" != "$(identify -format %wx%h "$other")" ]; then
      differ=$((differ + 1))
      pixels=$( (compare -metric AE "$png" "$other" "$tmp/diff-$name.png" 2>&1 || true) | cut -d' ' -f1)
      section "window shot $name: $pixels pixels differ"
      [ -z "$keep" ] || echo "    $res/gui-before/$name.png, $res/gui-after/$name.png, $tmp/diff-$name.png" >>"$report"
    fi
  done
fi
[ "$(date -u +%F)" = "$day_at_start" ] || [ -n "$libfaketime" ] ||
  echo "compare-behaviour: the date changed during the runs; names with today's date may differ" >&2

total=$((n_cases + gui_cases))
cat "$report"
echo
if [ -n "$gui_note" ]; then echo "window:$gui_note"; fi
if [ "$differ" -eq 0 ]; then
  echo "compare-behaviour: $total cases ($n_cases export runs, $gui_cases window checks): all identical"
else
  echo "compare-behaviour: $total cases ($n_cases export runs, $gui_cases window checks): $differ differ"
fi
[ -z "$keep" ] || echo "outputs kept in $keep (results/before|after/N: one folder per case, in the order above)"
[ "$differ" -eq 0 ] && [ -z "$gui_note" ]
