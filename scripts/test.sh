#!/usr/bin/env bash
# Installs what is missing and builds each configuration once:
#  - g++ into build/ (warnings in src/ are errors): the programs, the tests, the
#    benchmarks and the fuzz targets; the whole suite runs there, the slow tests
#    (ctest label "slow"), the end-to-end runs, the fuzz targets and the start-up smoke
#    included;
#  - clang with AddressSanitizer and UndefinedBehaviorSanitizer into build-sanitize/
#    (scripts/sanitize.sh, warnings in src/ errors too): the unit tests run again under
#    the sanitizers, all but the slow ones, the end-to-end runs, the fuzz targets and the
#    smoke, which the first build ran already.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
TAVELORN_CMAKE_OPTIONS="-DTAVELORN_WERROR=ON ${TAVELORN_CMAKE_OPTIONS:-}" "$root/scripts/build.sh"
(cd "$root/build" && ctest --output-on-failure -j"$(nproc)" --timeout 600)
"$root/scripts/sanitize.sh" --label-exclude 'slow|fuzz|smoke' --exclude-regex '^e2e_'
