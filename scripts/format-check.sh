#!/usr/bin/env bash
# Checks with clang-format --dry-run that every C and C++ file of the repository is in the
# layout of .clang-format, except the files that scripts/format-exceptions.txt names (not
# yet formatted; reformatting them all at once would collide with everyone's work). New
# files are checked from their first commit. Prints the differences and fails on any.
# Usage: scripts/format-check.sh [FILE...]   (by default every file git knows)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
if [ $# -gt 0 ]; then
  files=("$@")
else
  mapfile -t files < <(git ls-files '*.cpp' '*.h' '*.c')
fi
mapfile -t skipped < <(grep -v '^\s*#' scripts/format-exceptions.txt | sed '/^\s*$/d')
declare -A skip=()
for f in "${skipped[@]}"; do skip[$f]=1; done
checked=()
for f in "${files[@]}"; do
  [ -n "${skip[$f]:-}" ] || checked+=("$f")
done
status=0
printf '%s\0' "${checked[@]}" | xargs -0 -n 20 -P "$(nproc)" clang-format --dry-run --Werror || status=1
if [ "$status" -ne 0 ]; then
  echo "format-check: files above differ from .clang-format's layout (clang-format -i FILE)"
  exit 1
fi
echo "format-check: ${#checked[@]} files formatted (${#skipped[@]} left out, see scripts/format-exceptions.txt)"
