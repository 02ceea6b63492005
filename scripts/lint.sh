#!/usr/bin/env bash
# Runs clang-tidy with the checks of .clang-tidy over the source files of src/, one file
# per core at a time, and fails on any finding. It reads the compile commands of
# build-lint/, which it configures on first use, and first makes the moc and uic output
# there that the sources include. Generated sources are not checked.
# Arguments narrow the files checked (regular expressions on their paths, e.g. core/);
# by default all of src/.
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
# run-clang-tidy echoes each command and clang-tidy counts the warnings it hid (those of
# Qt's headers): only the findings are kept, coloured on a terminal only.
colour='s/\x1b\[[0-9;]*m//g'
[ -t 1 ] && colour=''
run-clang-tidy -quiet -p "$build" -j"$(nproc)" "${patterns[@]}" 2>&1 |
  sed -e "$colour" -e '/^clang-tidy[-0-9]* /d' -e '/[0-9]* warnings\? generated\.$/d'
echo "clang-tidy: no findings"
