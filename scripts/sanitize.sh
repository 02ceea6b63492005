#!/usr/bin/env bash
# Builds the programs and the tests with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer into build-sanitize/ (warnings in src/ errors, through
# ccache when it is installed) and runs the suite there. Any report fails its test.
# Extra arguments go to ctest (for example -R app_ to run the widget tests only;
# scripts/test.sh leaves out the slow and end-to-end tests, run by its g++ build).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
# shellcheck source=scripts/ccache.sh
source "$root/scripts/ccache.sh"
build="$root/build-sanitize"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON \
  -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang -DTAVELORN_WERROR=ON \
  -DTAVELORN_SANITIZE=ON -DTAVELORN_BUILD_BENCHMARKS=OFF -DTAVELORN_FUZZ_WITH_TESTS=OFF \
  "${ccache_options[@]}" >/dev/null
cmake --build "$build"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:detect_stack_use_after_return=1:${ASAN_OPTIONS:-}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:${UBSAN_OPTIONS:-}"
export LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp:print_suppressions=0:${LSAN_OPTIONS:-}"
cd "$build"
ctest --output-on-failure -j"$(nproc)" --timeout 900 "$@"
