#!/usr/bin/env bash
# Installs what is missing, configures build/ (Ninja, release with debug info, tests and
# benchmarks on, through ccache when it is installed) and builds the given targets, or
# everything. TAVELORN_CMAKE_OPTIONS adds configure options (scripts/test.sh makes
# warnings in src/ errors).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
# shellcheck source=scripts/ccache.sh
source "$root/scripts/ccache.sh"
# shellcheck disable=SC2086 # the options are words
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON \
  -DTAVELORN_BUILD_BENCHMARKS=ON "${ccache_options[@]}" ${TAVELORN_CMAKE_OPTIONS:-} >/dev/null
if [ $# -gt 0 ]; then
  cmake --build "$root/build" --target "$@"
else
  cmake --build "$root/build"
fi
