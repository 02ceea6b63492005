#!/usr/bin/env bash
# Installs what is missing, builds everything with the tests, and runs the whole suite.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/build.sh"
cd "$root/build"
ctest --output-on-failure -j"$(nproc)" --timeout 600
