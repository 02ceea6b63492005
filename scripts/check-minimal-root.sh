#!/usr/bin/env bash
# Installs the Debian package on a minimal Debian root (debootstrap --variant=minbase, from
# the Debian mirror this machine's apt uses) together with what it depends on, nothing it
# merely recommends, and runs both programs there: tavelorn-export --version, --list and a
# picture (which must equal the build tree's), tavelorn --version, and tavelorn showing its
# window on a virtual X server of this machine. So a Depends that the package lacks fails
# here, where a developer's machine has it installed anyway.
#
# The minimal root is made once and kept in BUILD_DIR/minimal-root/ (or in
# $TAVELORN_MINIMAL_ROOT_CACHE) as a tar file, with the package lists and the downloaded
# packages beside it; each run unpacks it afresh.
# Needs root (it mounts and chroots) and the network to the mirror; without root it says
# so and stops.
# Usage: scripts/check-minimal-root.sh DEB [BUILD_DIR]
set -euo pipefail
root_dir=$(cd "$(dirname "$0")/.." && pwd)
deb=$(realpath "$1")
build=$(cd "${2:-$root_dir/build}" && pwd)

if [ "$(id -u)" -ne 0 ]; then
  echo "check-minimal-root: skipped: a chroot needs root"
  exit 0
fi
# Mounts in a namespace of this run's own: whatever happens, none is left behind.
if [ -z "${TAVELORN_MINIMAL_ROOT_NS:-}" ]; then
  TAVELORN_MINIMAL_ROOT_NS=1 exec unshare --mount --propagation private "$0" "$deb" "$build"
fi
for tool in debootstrap Xvfb xdotool import; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (scripts/deps.sh installs it)"; exit 1; }
done

# shellcheck source=/dev/null
suite=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
arch=$(dpkg --print-architecture)
version=$(dpkg-deb -f "$deb" Version)

# The Debian archives apt uses here, as "URI suite component" lines: the release, its
# updates and its security archive. apt-cache policy names each with its origin.
sources=$(apt-cache policy | awk -v suite="$suite" '
  /^ *[0-9]+ (https?|file):/ { uri = $2; split($3, sc, "/"); s = sc[1]; c = sc[2]; next }
  /release / && /o=Debian,/ && uri != "" && (s == suite || s == suite "-updates" || s == suite "-security") {
    if (!seen[uri " " s " " c]++) print uri, s, c
    uri = ""
  }')
mirror=$(awk -v suite="$suite" '$2 == suite { print $1; exit }' <<<"$sources")
if [ -z "$mirror" ]; then
  mirror=http://deb.debian.org/debian
  sources="$mirror $suite main"
fi

cache="${TAVELORN_MINIMAL_ROOT_CACHE:-$build/minimal-root}"
image="$cache/$suite-minbase.tar"
mkdir -p "$cache/archives/partial" "$cache/lists/partial"
if [ ! -f "$image" ] || [ "$(cat "$cache/mirror" 2>/dev/null)" != "$mirror $suite $arch" ]; then
  echo "minimal root: debootstrap --variant=minbase $suite from $mirror"
  rm -rf "$cache/bootstrap"
  debootstrap --variant=minbase --arch="$arch" "$suite" "$cache/bootstrap" "$mirror" \
    >"$cache/debootstrap.log" 2>&1 || { tail -20 "$cache/debootstrap.log"; echo "FAIL: debootstrap"; exit 1; }
  rm -f "$cache/bootstrap"/var/cache/apt/archives/*.deb
  tar -C "$cache/bootstrap" --numeric-owner -cf "$image.part" .
  mv "$image.part" "$image"
  echo "$mirror $suite $arch" >"$cache/mirror"
  rm -rf "$cache/bootstrap"
fi

work=$(mktemp -d "$cache/run.XXXXXX")
chroot_dir="$work/root"
xvfb_pid=
mounts=()
cleanup() {
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
  # Unmounted before anything is removed: the caches and the X server's socket lie behind
  # them. A mount that stays keeps the whole root from being removed.
  local m busy=
  for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do
    m=${mounts[i]}
    umount "$m" 2>/dev/null || umount -l "$m" 2>/dev/null || true
    if mountpoint -q "$m"; then busy=$m; fi
  done
  if [ -n "$busy" ]; then
    echo "check-minimal-root: $busy is still mounted; $work is left in place"
  else
    rm -rf --one-file-system "$work"
  fi
}
# mount_in SOURCE TARGET [OPTIONS...]: a mount that cleanup undoes.
mount_in() {
  local source=$1 target=$2
  shift 2
  mount "$@" "$source" "$target"
  mounts+=("$target")
}
trap cleanup EXIT
mkdir "$chroot_dir"
tar -C "$chroot_dir" --numeric-owner -xpf "$image"
cp "$deb" "$chroot_dir/tmp/tavelorn.deb"
awk '{ print "deb", $1, $2, $3 }' <<<"$sources" >"$chroot_dir/etc/apt/sources.list"
cp -L /etc/resolv.conf "$chroot_dir/etc/resolv.conf"

# A picture from the build tree's command, to compare with the installed one.
cp "$root_dir/tests/data/package-check.ini" "$work/Config.ini"
env -u DISPLAY -u WAYLAND_DISPLAY HOME="$work" XDG_CONFIG_HOME="$work/xdg" \
  "$build/src/export/tavelorn-export" --config "$work/Config.ini" \
  --profile 'SAP ERP 6.0 EHP7__QAS__2024_03_03' --output "$work/reference.jpg" >/dev/null
mkdir -p "$chroot_dir/tmp/home"
cp "$work/Config.ini" "$chroot_dir/tmp/home/Config.ini"
chmod -R a+rwX "$chroot_dir/tmp/home"

# A virtual X server of this machine; its socket is shown inside the root.
display=$((200 + RANDOM % 600))
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp -ac >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 1 50); do [ -S "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
[ -S "/tmp/.X11-unix/X$display" ] || { cat "$work/xvfb.log"; echo "FAIL: Xvfb did not start"; exit 1; }

cat >"$chroot_dir/tmp/inside.sh" <<'INSIDE'
#!/bin/sh
# Runs in the minimal root as root: installs the package, then runs the programs as nobody.
set -eu
export DEBIAN_FRONTEND=noninteractive LC_ALL=C.UTF-8 PATH=/usr/sbin:/usr/bin:/sbin:/bin
apt-get -q -o Acquire::Retries=3 update >/tmp/apt.log 2>&1 || { cat /tmp/apt.log; exit 1; }
apt-get install -y -q --no-install-recommends -o Acquire::Retries=3 /tmp/tavelorn.deb \
  >>/tmp/apt.log 2>&1 || { tail -30 /tmp/apt.log; echo "FAIL: the package does not install"; exit 1; }
echo "installed: $(dpkg-query -W -f='${Package} ${Version}' tavelorn), $(dpkg-query -W | wc -l) packages in the root"
if ldd /usr/bin/tavelorn /usr/bin/tavelorn-export | grep 'not found'; then
  echo "FAIL: libraries missing"; exit 1
fi
INSIDE
chmod +x "$chroot_dir/tmp/inside.sh"

# As a user would run them: nobody, a home of its own, a plain environment.
as_user() {
  chroot --userspec=65534:65534 "$chroot_dir" /usr/bin/env -i HOME=/tmp/home \
    XDG_CONFIG_HOME=/tmp/home/xdg XDG_RUNTIME_DIR=/tmp/home/run PATH=/usr/bin:/bin \
    LANG=C.UTF-8 "$@"
}
fail() {
  echo "FAIL: $*"
  exit 1
}

mount_in proc "$chroot_dir/proc" -t proc
mount_in "$cache/archives" "$chroot_dir/var/cache/apt/archives" --bind
mount_in "$cache/lists" "$chroot_dir/var/lib/apt/lists" --bind
# Only this run's X server socket, not the folder of every server's.
mkdir -p "$chroot_dir/tmp/.X11-unix"
touch "$chroot_dir/tmp/.X11-unix/X$display"
mount_in "/tmp/.X11-unix/X$display" "$chroot_dir/tmp/.X11-unix/X$display" --bind
chroot "$chroot_dir" /tmp/inside.sh

out=$(as_user /usr/bin/tavelorn-export --version)
[ "$out" = "tavelorn-export $version" ] || fail "tavelorn-export --version says \"$out\""
out=$(as_user /usr/bin/tavelorn-export --config /tmp/home/Config.ini --list)
[ "$out" = 'SAP ERP 6.0 EHP7__QAS__2024_03_03' ] || fail "tavelorn-export --list says \"$out\""
as_user /usr/bin/tavelorn-export --config /tmp/home/Config.ini \
  --profile 'SAP ERP 6.0 EHP7__QAS__2024_03_03' --output /tmp/home/qas.jpg >/dev/null ||
  fail "tavelorn-export could not export"
cmp "$chroot_dir/tmp/home/qas.jpg" "$work/reference.jpg" ||
  fail "the installed tavelorn-export draws another picture than the build tree's"
out=$(as_user /usr/bin/tavelorn --version)
[ "$out" = "tavelorn $version" ] || fail "tavelorn --version says \"$out\""

# The window program on the X server, through its socket. It ends only when killed.
as_user DISPLAY=":$display" QT_QPA_PLATFORM=xcb DO_NOT_TRACK=1 /usr/bin/tavelorn \
  /tmp/home/Config.ini >"$work/tavelorn.log" 2>&1 &
app_pid=$!
trap 'kill "$app_pid" 2>/dev/null || true; wait "$app_pid" 2>/dev/null || true; cleanup' EXIT
wid=$(DISPLAY=":$display" timeout 30 xdotool search --sync --onlyvisible --name '^Corvandel$' | head -1 || true)
[ -n "$wid" ] || { cat "$work/tavelorn.log"; fail "the window did not show on the X server"; }
geometry=$(DISPLAY=":$display" xdotool getwindowgeometry "$wid" | sed -n 's/ *Geometry: //p')
[ "$geometry" = 844x600 ] || fail "the window is $geometry instead of 844x600"
# The preview's white canvas, the fields and the button pictures: a window that painted.
colours=0
for _ in $(seq 1 40); do
  DISPLAY=":$display" import -window "$wid" "$work/window.png"
  colours=$(convert "$work/window.png" -format '%k' info:)
  [ "$colours" -gt 20 ] && break
  sleep 0.25
done
[ "$colours" -gt 20 ] || fail "the window shows only $colours colours"
kill -0 "$app_pid" 2>/dev/null || fail "tavelorn ended"
if grep -iE 'could not|cannot|failed|not found' "$work/tavelorn.log"; then
  fail "tavelorn complained"
fi
echo "PASS: tavelorn $version installs and runs on a minimal $suite root"
