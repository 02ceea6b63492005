#!/usr/bin/env bash
# Builds the Debian package in the build folder, checks it with lintian (no tag at all,
# pedantic ones included), installs it on this machine with apt-get and runs the installed
# programs: tavelorn-export --version and one profile's picture, which must equal what the
# build tree's command writes. Then scripts/check-minimal-root.sh installs it on a minimal
# Debian root and runs both programs there. CI runs it as root on a fresh Debian 12 after
# the test suite; without root it says so and stops. A package that was not installed
# before is removed again at the end.
# Usage: scripts/check-package.sh [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)

if [ "$(id -u)" -ne 0 ]; then
  echo "check-package: skipped: installing a package needs root"
  exit 0
fi

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
rm -f "$build"/tavelorn_*.deb
# As the README says to make it: the package target builds everything, then the package.
cmake --build "$build" --target package >/dev/null
deb="$build/tavelorn_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || { echo "FAIL: $deb was not made"; exit 1; }
echo "package: $deb"
if command -v lintian >/dev/null; then
  # Every tag counts, pedantic ones too; the package's overrides say why each is kept.
  lintian --pedantic --display-level '>=pedantic' --fail-on error,warning,info,pedantic "$deb"
fi

work=$(mktemp -d)
installed_before=$(dpkg-query -W -f='${Status}' tavelorn 2>/dev/null | grep -c 'ok installed' || true)
cleanup() {
  rm -rf "$work"
  if [ "$installed_before" = 0 ]; then
    apt-get remove -y -q tavelorn >/dev/null || true
  fi
}
trap cleanup EXIT
export DEBIAN_FRONTEND=noninteractive
apt-get install -y -q --reinstall -o DPkg::Lock::Timeout=300 "$deb"

for f in /usr/bin/tavelorn /usr/bin/tavelorn-export /usr/share/applications/tavelorn.desktop \
  /usr/share/icons/hicolor/scalable/apps/tavelorn.svg /usr/share/icons/hicolor/48x48/apps/tavelorn.png \
  /usr/share/man/man1/tavelorn.1.gz /usr/share/man/man1/tavelorn-export.1.gz \
  /usr/share/doc/tavelorn/copyright; do
  [ -f "$f" ] || { echo "FAIL: $f is not installed"; exit 1; }
done
ls /usr/share/metainfo/*.tavelorn.metainfo.xml >/dev/null
if ldd /usr/bin/tavelorn /usr/bin/tavelorn-export | grep 'not found'; then
  echo "FAIL: libraries missing"
  exit 1
fi
# Libraries the programs open themselves when first needed. The cache is read whole
# first: grep -q stops reading early, and under pipefail the writer's SIGPIPE would fail.
cache=$(ldconfig -p)
for soname in libcurl.so.4 libtiff.so.6 libemf2svg.so.1 libwmf-0.2.so.7 libwmflite-0.2.so.7; do
  grep -qF "$soname (" <<<"$cache" || { echo "FAIL: $soname missing"; exit 1; }
done

out=$(/usr/bin/tavelorn-export --version)
[ "$out" = "tavelorn-export $version" ] || { echo "FAIL: --version says \"$out\""; exit 1; }

cp "$root/tests/data/package-check.ini" "$work/Config.ini"
profile='SAP ERP 6.0 EHP7__QAS__2024_03_03'
# As a script runs it: no display, an empty home.
run() { env -u DISPLAY -u WAYLAND_DISPLAY HOME="$work" XDG_CONFIG_HOME="$work/xdg" "$@"; }
out=$(run /usr/bin/tavelorn-export --config "$work/Config.ini" --profile "$profile" --output "$work/qas.png")
[ "$out" = "$work/qas.jpg" ] || { echo "FAIL: the export printed \"$out\""; exit 1; }
run "$build/src/export/tavelorn-export" --config "$work/Config.ini" --profile "$profile" \
  --output "$work/reference.jpg" >/dev/null
cmp "$work/qas.jpg" "$work/reference.jpg" || { echo "FAIL: the installed command draws another picture"; exit 1; }
[ "$(head -c 3 "$work/qas.jpg" | od -An -tx1 | tr -d ' ')" = ffd8ff ] || { echo "FAIL: no JPEG"; exit 1; }
echo "PASS: tavelorn $version installs and exports"

# Its Depends alone, on a Debian without anything else.
"$root/scripts/check-minimal-root.sh" "$deb" "$build"
