#!/usr/bin/env bash
# Runs clang-tidy with the checks of .clang-tidy over the source files of src/, one file
# per core at a time, and fails on any finding. It reads the compile commands of
# build-lint/, which it configures on first use, and first makes the moc and uic output
# there that the sources include. Generated sources are not checked.
# Arguments narrow the files checked (regular expressions on their paths, e.g. core/);
# by default all of src/. With TAVELORN_LINT_CACHE set (CI sets it to a folder outside
# the clone), a file found clean is not checked again until it, a header of src/, the
# generated sources, .clang-tidy or clang-tidy itself changes.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
build="$root/build-lint"
if [ ! -f "$build/compile_commands.json" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF \
    -DTAVELORN_BUILD_BENCHMARKS=OFF -DCMAKE_GLOBAL_AUTOGEN_TARGET=ON \
    -DCMAKE_AUTOGEN_ORIGIN_DEPENDS=OFF >/dev/null
fi
cmake --build "$build" --target autogen >/dev/null
patterns=()
for p in "${@:-}"; do
  patterns+=("^$root/src/.*$p")
done
# Each file's key: its own content and everything a finding in it may depend on.
files=()
keys=()
if [ -n "${TAVELORN_LINT_CACHE:-}" ]; then
  mkdir -p "$TAVELORN_LINT_CACHE"
  shared=$( {
    clang-tidy --version
    cat "$root/.clang-tidy"
    find "$root/src" "$build" -path "$build/CMakeFiles" -prune -o \
      \( -name '*.h' -o -name '*.in' -o -name '*.ui' \) -type f -print0 | sort -z | xargs -0 cat
  } | sha256sum | cut -c1-64)
  mapfile -t all < <(python3 -c 'import json,sys
for e in json.load(open(sys.argv[1])): print(e["file"])' "$build/compile_commands.json" |
    grep "^$root/src/" | grep -v '/build-lint/' | sort -u)
  for f in "${all[@]}"; do
    match=
    for p in "${patterns[@]}"; do [[ $f =~ $p ]] && match=1; done
    [ -n "$match" ] || continue
    key=$( (echo "$shared"; cat "$f") | sha256sum | cut -c1-64)
    [ -f "$TAVELORN_LINT_CACHE/$key" ] && continue
    files+=("$f")
    keys+=("$key")
  done
  if [ ${#files[@]} -eq 0 ]; then
    echo "clang-tidy: no findings (every file unchanged since its last clean check)"
    exit 0
  fi
  # Exact paths: only the files that changed.
  patterns=()
  for f in "${files[@]}"; do patterns+=("^$(printf '%s' "$f" | sed 's/[].[^$*+?(){}|\\]/\\&/g')\$"); done
fi
# run-clang-tidy echoes each command and clang-tidy counts the warnings it hid (those of
# Qt's headers): only the findings are kept, coloured on a terminal only.
colour='s/\x1b\[[0-9;]*m//g'
[ -t 1 ] && colour=''
run-clang-tidy -quiet -p "$build" -j"$(nproc)" "${patterns[@]}" 2>&1 |
  sed -e "$colour" -e '/^clang-tidy[-0-9]* /d' -e '/[0-9]* warnings\? generated\.$/d'
for key in "${keys[@]}"; do : >"$TAVELORN_LINT_CACHE/$key"; done
echo "clang-tidy: no findings${keys[*]:+ (${#keys[@]} files checked, the others unchanged)}"
