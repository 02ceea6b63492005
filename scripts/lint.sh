#!/usr/bin/env bash
# Runs clang-tidy with the checks of .clang-tidy over the source files of src/, one file
# per core at a time, then the include-cycle check of src/ (check-include-cycles.py),
# and fails on any finding of either. It reads the compile commands of build-lint/, which
# it configures on first use, and first makes the moc and uic output there that the
# sources include. Generated sources are not checked.
# The forms (src/app/u[A-Z]*: the windows, their .ui object names and handlers) keep the
# names of their controls: they are checked in a second run without
# readability-identifier-naming, whose header filter admits their headers, which the
# first run's (that of .clang-tidy) leaves out.
# Arguments narrow the files checked (regular expressions on their paths, e.g. core/);
# by default all of src/. With TAVELORN_LINT_CACHE set (CI sets it to a folder outside
# the clone), a file found clean is not checked again until it, a header of src/, the
# generated sources, .clang-tidy, this script or clang-tidy itself changes.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
build="$root/build-lint"
# The generated sources need a few programs built (rendersvg and its libraries).
# shellcheck source=scripts/ccache.sh
source "$root/scripts/ccache.sh"
if [ ! -f "$build/compile_commands.json" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF \
    -DTAVELORN_BUILD_BENCHMARKS=OFF -DCMAKE_GLOBAL_AUTOGEN_TARGET=ON \
    -DCMAKE_AUTOGEN_ORIGIN_DEPENDS=OFF "${ccache_options[@]}" >/dev/null
fi
cmake --build "$build" --target autogen >/dev/null
patterns=()
for p in "${@:-}"; do
  patterns+=("^$root/src/.*$p")
done
forms="^$root/src/app/u[A-Z][^/]*\$"
form_headers='/src/app/u[A-Z][A-Za-z0-9_]*\.h$'
# Each file's key: its own content and everything a finding in it may depend on.
mapfile -t all < <(python3 -c 'import json,sys
for e in json.load(open(sys.argv[1])): print(e["file"])' "$build/compile_commands.json" |
  grep "^$root/src/" | grep -v '/build-lint/' | sort -u)
shared=
if [ -n "${TAVELORN_LINT_CACHE:-}" ]; then
  mkdir -p "$TAVELORN_LINT_CACHE"
  shared=$( {
    clang-tidy --version
    cat "$root/.clang-tidy" "$root/scripts/lint.sh"
    find "$root/src" "$build" -path "$build/CMakeFiles" -prune -o \
      \( -name '*.h' -o -name '*.in' -o -name '*.ui' \) -type f -print0 | sort -z | xargs -0 cat
  } | sha256sum | cut -c1-64)
fi
files=()
keys=()
for f in "${all[@]}"; do
  match=
  for p in "${patterns[@]}"; do [[ $f =~ $p ]] && match=1; done
  [ -n "$match" ] || continue
  key=
  if [ -n "$shared" ]; then
    key=$( (echo "$shared"; cat "$f") | sha256sum | cut -c1-64)
    [ -f "$TAVELORN_LINT_CACHE/$key" ] && continue
  fi
  files+=("$f")
  keys+=("$key")
done
if [ ${#files[@]} -eq 0 ]; then
  echo "clang-tidy: no findings (every file unchanged since its last clean check)"
  exec "$root/scripts/check-include-cycles.py" "$root/src"
fi
# Exact paths, the forms apart.
named=()
unnamed=()
for f in "${files[@]}"; do
  exact="^$(printf '%s' "$f" | sed 's/[].[^$*+?(){}|\\]/\\&/g')\$"
  if [[ $f =~ $forms ]]; then unnamed+=("$exact"); else named+=("$exact"); fi
done
# run-clang-tidy echoes each command and clang-tidy counts the warnings it hid (those of
# Qt's headers): only the findings are kept, coloured on a terminal only.
colour='s/\x1b\[[0-9;]*m//g'
[ -t 1 ] && colour=''
tidy() {
  run-clang-tidy -quiet -p "$build" -j"$(nproc)" "$@" 2>&1 |
    sed -e "$colour" -e '/^clang-tidy[-0-9]* /d' -e '/[0-9]* warnings\? generated\.$/d'
}
clean=1
if [ ${#named[@]} -gt 0 ]; then
  tidy "${named[@]}" || clean=
fi
if [ ${#unnamed[@]} -gt 0 ]; then
  filter=$(sed -n "s/^HeaderFilterRegex: '\(.*\)'\$/\1/p" "$root/.clang-tidy")
  tidy -checks=-readability-identifier-naming -header-filter="$filter|$form_headers" \
    "${unnamed[@]}" || clean=
fi
if [ -n "$clean" ]; then
  if [ -n "$shared" ]; then
    for key in "${keys[@]}"; do : >"$TAVELORN_LINT_CACHE/$key"; done
  fi
  echo "clang-tidy: no findings${shared:+ (${#keys[@]} files checked, the others unchanged)}"
fi
"$root/scripts/check-include-cycles.py" "$root/src" || clean=
[ -n "$clean" ]
