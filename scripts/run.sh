#!/usr/bin/env bash
# Installs what is missing, builds, and starts Tavelorn (arguments go to the program).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/build.sh" tavelorn tavelorn-export
exec "$root/build/src/app/tavelorn" "$@"
