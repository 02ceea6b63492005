#!/usr/bin/env bash
# Installs what is missing, builds everything with the tests (warnings in src/ are
# errors), and runs the whole suite. Then builds again with clang into build-clang/, its
# warnings in src/ errors too, and runs the unit tests of that build; the end-to-end runs
# and the fuzz targets, already run above, are left out there.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
TAVELORN_CMAKE_OPTIONS="-DTAVELORN_WERROR=ON ${TAVELORN_CMAKE_OPTIONS:-}" "$root/scripts/build.sh"
cd "$root/build"
ctest --output-on-failure -j"$(nproc)" --timeout 600

clang_options=(-DCMAKE_CXX_COMPILER=clang++ -DTAVELORN_WERROR=ON
  -DTAVELORN_BUILD_BENCHMARKS=OFF -DTAVELORN_FUZZ_WITH_TESTS=OFF)
if command -v ccache >/dev/null; then
  clang_options+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
# shellcheck disable=SC2086 # the options are words
cmake -S "$root" -B "$root/build-clang" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DBUILD_TESTING=ON ${TAVELORN_CMAKE_OPTIONS:-} "${clang_options[@]}" >/dev/null
cmake --build "$root/build-clang"
cd "$root/build-clang"
ctest --output-on-failure -j"$(nproc)" --timeout 600 --exclude-regex '^e2e_'
