# Helpers of the end-to-end scripts and of scripts/screenshot.sh, sourced by common.sh.
# Every wait polls for a state and gives up after a bound, so a run fails instead of
# hanging or passing on a guess. Expects fail() and a work folder $work; pids put in
# $also_kill are ended at exit by common.sh.
# shellcheck shell=bash
# shellcheck disable=SC2154 # $work is set by common.sh

e2e_data=$(cd "$(dirname "${BASH_SOURCE[0]}")/../data" && pwd)

# Runs the command until it succeeds, every tenth of a second, for at most $1 seconds;
# the last try starts before the bound.
wait_until() {
  local end=$((${EPOCHREALTIME/./} + $1 * 1000000))
  shift
  until "$@"; do
    [ "${EPOCHREALTIME/./}" -lt "$end" ] || return 1
    sleep 0.1
  done
}

# Copies the fixture tests/data/$1 to $2; a picture path $3 goes into PictureFullPath
# lines that name none.
fixture() {
  sed "s|^PictureFullPath=\$|PictureFullPath=${3:-}|" "$e2e_data/$1" >"$2"
}

# Starts openbox and waits until it manages the screen.
start_wm() {
  openbox --sm-disable >"$work/wm.log" 2>&1 &
  also_kill+=" $!"
  wait_until 20 wm_running || fail "the window manager did not start"
}
wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }

# Prints the id of the visible window titled exactly $1 (of process $2 if given), once
# it shows, within $3 seconds (20 by default); prints nothing when it does not. Pop-ups
# name no process: look them up without one. (Without --all, xdotool takes a window that
# meets either condition.)
window_named() {
  timeout "${3:-20}" xdotool search ${2:+--all --pid "$2"} --sync --onlyvisible --name "^$1\$" \
    2>/dev/null | head -1 || true
}

# True when no window titled exactly $1 is visible.
no_window_named() { ! xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1; }

# Waits until no window titled exactly $1 is visible.
wait_closed() {
  wait_until 10 no_window_named "$1" || fail "\"$1\" did not close"
}

# Prints the geometry (as xdotool's --shell, on one line) of the first visible window of
# process $1 other than the windows $2...: a drop-down. False when there is none.
other_window_geometry() {
  local pid=$1 w known
  shift
  for w in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
    for known in "$@"; do [ "$w" = "$known" ] && continue 2; done
    xdotool getwindowgeometry --shell "$w" | tr '\n' ' '
    return 0
  done
  return 1
}

# A home, configuration and runtime folder of the run's own, under $work.
private_home() {
  export HOME=$work XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime
  mkdir -m 700 "$work/runtime"
}

# Focuses window $1 and waits until the X server has given it the focus.
focus() {
  xdotool windowfocus --sync "$1" 2>/dev/null || true
  wait_until 5 focused "$1" || fail "window $1 did not get the focus"
}
focused() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]; }

# The window manager's frame of window $1 on the screen: WxH+X+Y.
frame_geometry() {
  local x y w h ext l r t b
  read -r x y w h < <(xwininfo -id "$1" | awk '/Absolute upper-left X/{x=$4}
    /Absolute upper-left Y/{y=$4} /^ *Width/{w=$2} /^ *Height/{h=$2} END {print x, y, w, h}')
  ext=$(xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= //p' | tr -d ' ')
  IFS=, read -r l r t b <<<"${ext:-0,0,0,0}"
  echo "$((w + l + r))x$((h + t + b))+$((x - l))+$((y - t))"
}

# Shoots the screen (or its part $2, a WxH+X+Y crop) to $1 once two shots in a row agree
# (a loaded machine may still be painting), or the last one after about eight seconds
# (a caret blinks).
still_shot() {
  local a="$work/still.a.ppm" b="$work/still.b.ppm" tries
  import -window root ${2:+-crop "$2"} +repage "$a"
  for ((tries = 40; tries > 0; tries--)); do
    sleep 0.2
    import -window root ${2:+-crop "$2"} +repage "$b"
    cmp -s "$a" "$b" && break
    mv "$b" "$a"
  done
  convert "$b" "$1"
  rm -f "$a" "$b"
}
