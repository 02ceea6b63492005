# Sourced at the top of each end-to-end script, with the script's own arguments.
# shellcheck source-path=SCRIPTDIR
# Runs the script again inside a fresh virtual X server (screen E2E_SCREEN, 1280x1024x24
# by default, with the server options E2E_XVFB_OPTS), at most E2E_LIMIT seconds (120 by
# default); there it gives a work folder $work, ends the program whose id the script
# puts in $app_pid and those in $also_kill, removes $work at exit, and offers fail()
# (which first keeps the pictures and logs in $shots, when the script sets it),
# save_shots and the helpers of lib.sh.
# shellcheck shell=bash

if [ -z "${E2E_INSIDE_X:-}" ]; then
  export E2E_INSIDE_X=1
  # shellcheck disable=SC2086 # the options are words of their own
  exec timeout "${E2E_LIMIT:-120}" xvfb-run -a -n $((100 + RANDOM % 800)) \
    -s "-screen 0 ${E2E_SCREEN:-1280x1024x24} -nolisten tcp ${E2E_XVFB_OPTS:-}" "$0" "$@"
fi

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
export LC_ALL=C.UTF-8 LANG=C.UTF-8
# The X server, whatever platform the calling environment names (offscreen in ctest).
export QT_QPA_PLATFORM=xcb

# The pictures and logs of the run into $shots, when the script was given one.
save_shots() {
  [ -n "${shots:-}" ] || return 0
  mkdir -p "$shots"
  cp "$work"/*.png "$work"/*.log "$shots/" 2>/dev/null || true
}
fail() {
  save_shots
  echo "FAIL: $*"
  exit 1
}

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
