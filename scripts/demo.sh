#!/bin/sh
# Orvex's main job on a machine without cameras: installs and builds what it needs, then
# starts three virtual cameras, a virtual firmware server and the Orvex window inside a
# private network namespace (nothing reaches a real network). The clock runs ten times
# faster (ORVEX_TIME_SCALE=10), so an upgrade's restart waits pass in seconds. With a
# display (DISPLAY set) the window opens there until you close it; without one it runs
# under a virtual X server for a few seconds and saves a screenshot.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja >/dev/null
ninja -C build orvex orvex-camsim >/dev/null
mkdir -p screenshots build/demo
# Firmware files for the manual upgrade (Others > Manual Upgrade > Open): the version the
# virtual cameras read, then binary bytes, as in a real image (a text file is refused).
for f in webui-1.7.20.1 system-1.7.20.2; do
  { printf 'ORVEXFW %s\n\000' "${f#*-}"; head -c 65536 /dev/urandom; } >"build/demo/$f.bin"
done
export ORVEX_DEMO_SHOT="$PWD/screenshots/orvex-demo.png"
export ORVEX_TIME_SCALE=10 ORVEX_FIRMWARE_HOST=127.0.0.80
exec tests/support/run-isolated.sh sh -c '
  build/tools/camsim/orvex-camsim --file scripts/demo-cameras.txt --spread 300 \
    --firmware 127.0.0.80 --latest 1.7.20.9 --quiet &
  CAMS=$!
  trap "kill $CAMS 2>/dev/null" EXIT
  sleep 0.3
  if [ -n "${DISPLAY:-}" ] && [ -z "${ORVEX_DEMO_HEADLESS:-}" ]; then
    echo "Orvex is listing three virtual cameras (clock ten times faster; the firmware"
    echo "server offers 1.7.20.9; firmware files to upload are in build/demo/)."
    echo "Close its window to end the demo."
    build/app/orvex
  else
    Xvfb :91 -screen 0 1024x700x24 >/dev/null 2>&1 &
    XVFB=$!
    sleep 1
    DISPLAY=:91 build/app/orvex &
    APP=$!
    sleep 5
    DISPLAY=:91 import -window root "$ORVEX_DEMO_SHOT"
    kill $APP; wait $APP 2>/dev/null || true
    kill $XVFB
    echo "No display: Orvex ran under a virtual X server; its window is in $ORVEX_DEMO_SHOT"
  fi'
