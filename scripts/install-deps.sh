#!/bin/sh
# Installs what building, testing and running Orvex needs on Debian 12 (run as root).
set -eu
PACKAGES="cmake ninja-build g++ clang libclang-rt-14-dev pkg-config
  libgtest-dev libgmock-dev libjsoncpp-dev libcsv-dev qt6-base-dev qt6-translations-l10n fonts-noto-cjk xvfb
  imagemagick iproute2 util-linux procps curl xdg-utils
  desktop-file-utils appstream man-db dpkg-dev file lintian"
missing=""
for p in $PACKAGES; do
  dpkg -s "$p" >/dev/null 2>&1 || missing="$missing $p"
done
if [ -n "$missing" ]; then
  echo "installing:$missing"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  # shellcheck disable=SC2086
  apt-get install -y -qq --no-install-recommends $missing
fi
