#!/bin/sh
# Runs a command in a private mount namespace whose /etc/resolv.conf names one name
# server, on 127.0.0.1, which the command provides itself (and never lets answer), so
# that no lookup ever leaves the machine. Exits 77, the tests' skip code, where a
# private mount namespace is not permitted.
# Usage: silent-dns.sh COMMAND [ARGUMENT...]
set -eu
if [ -z "${TAVELORN_TEST_SILENT_DNS:-}" ]; then
  if ! unshare -m --propagation private true 2>/dev/null; then
    echo "skipped: no private mount namespace here"
    exit 77
  fi
  export TAVELORN_TEST_SILENT_DNS=1
  exec unshare -m --propagation private "$0" "$@"
fi
conf=$(mktemp)
trap 'umount /etc/resolv.conf 2>/dev/null || true; rm -f "$conf"' EXIT
echo "nameserver 127.0.0.1" >"$conf"
if ! mount --bind "$conf" /etc/resolv.conf; then
  echo "skipped: /etc/resolv.conf cannot be replaced here"
  exit 77
fi
"$@"
