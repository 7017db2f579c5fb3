#!/bin/sh
# Runs a command inside a private network namespace with only loopback up, so that no
# discovery or camera traffic can reach a real network.
set -e
if [ "${ORVEX_ISOLATED:-}" = 1 ]; then exec "$@"; fi
if [ "$(id -u)" = 0 ]; then
  exec unshare --net -- sh -c 'ip link set lo up && ORVEX_ISOLATED=1 exec "$@"' isolated "$@"
fi
exec unshare --map-root-user --net -- sh -c 'ip link set lo up && ORVEX_ISOLATED=1 exec "$@"' isolated "$@"
