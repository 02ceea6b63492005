#!/usr/bin/env bash
# Installs what is missing, builds everything with the tests (warnings in src/ are
# errors), and runs the whole suite.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
TAVELORN_CMAKE_OPTIONS="-DTAVELORN_WERROR=ON ${TAVELORN_CMAKE_OPTIONS:-}" "$root/scripts/build.sh"
cd "$root/build"
ctest --output-on-failure -j"$(nproc)" --timeout 600
