#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer into
# build-sanitize/ and runs the whole suite there. Any report fails its test.
# Extra arguments go to ctest (for example -R app_ to run the widget tests only).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
build="$root/build-sanitize"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON \
  -DTAVELORN_SANITIZE=ON -DTAVELORN_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$build"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:detect_stack_use_after_return=1:${ASAN_OPTIONS:-}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:${UBSAN_OPTIONS:-}"
export LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp:print_suppressions=0:${LSAN_OPTIONS:-}"
cd "$build"
ctest --output-on-failure -j"$(nproc)" --timeout 900 "$@"
