# Sourced at the top of each end-to-end script, with the script's own arguments.
# Runs the script again inside a fresh virtual X server (screen E2E_SCREEN, 1280x1024x24
# by default), at most E2E_LIMIT seconds (120 by default); there it gives a work folder
# $work, ends the program whose id the script puts in $app_pid and removes $work at exit,
# and offers fail().

if [ -z "${E2E_INSIDE_X:-}" ]; then
  export E2E_INSIDE_X=1
  exec timeout "${E2E_LIMIT:-120}" xvfb-run -a -n $((100 + RANDOM % 800)) \
    -s "-screen 0 ${E2E_SCREEN:-1280x1024x24} -nolisten tcp" "$0" "$@"
fi

work=$(mktemp -d)
app_pid=
cleanup() {
  if [ -n "$app_pid" ]; then kill "$app_pid" 2>/dev/null || true; wait "$app_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
export LC_ALL=C.UTF-8 LANG=C.UTF-8
# The X server, whatever platform the calling environment names (offscreen in ctest).
export QT_QPA_PLATFORM=xcb

fail() {
  echo "FAIL: $*"
  exit 1
}
