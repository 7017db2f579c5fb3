#!/bin/sh
# orvexctl against virtual cameras: installs and builds what it needs, then,
# inside a private network namespace (nothing reaches a real network), starts three
# virtual cameras and lets orvexctl find them.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja >/dev/null
ninja -C build orvexctl orvex-camsim >/dev/null
exec tests/support/run-isolated.sh sh -c '
  sleep 8 | build/tools/camsim/orvex-camsim --file scripts/demo-cameras.txt --spread 300 &
  sleep 0.3
  echo "== cameras answering in this private network namespace; searching for 5 seconds =="
  build/tools/orvexctl/orvexctl scan --bind 127.0.0.1 --seconds 5 --events
  wait'
