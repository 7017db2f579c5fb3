#!/bin/sh
# Installs what building, testing and running Orvex needs on Debian 12 (run as root).
set -eu
PACKAGES="cmake ninja-build g++ clang libclang-rt-14-dev pkg-config
  libgtest-dev libgmock-dev libjsoncpp-dev libcsv-dev libssl-dev libxml2-dev qt6-base-dev qt6-translations-l10n fonts-noto-cjk xvfb
  imagemagick iproute2 util-linux procps curl xdg-utils
  desktop-file-utils appstream man-db dpkg-dev file lintian
  lighttpd nginx-light busybox perl ansible-core ansible-lint python3-jsonschema python3-zeep wsdd onvif-tools"
missing=""
for p in $PACKAGES; do
  dpkg -s "$p" >/dev/null 2>&1 || missing="$missing $p"
done
if [ -n "$missing" ]; then
  echo "installing:$missing"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  # The HTTP servers are for the tests, started by them inside a private network
  # namespace: keep their packages from starting a system service on installation.
  policy=""
  if [ ! -e /usr/sbin/policy-rc.d ]; then
    policy=/usr/sbin/policy-rc.d
    trap 'rm -f "$policy"' EXIT
    printf '#!/bin/sh\nexit 101\n' > "$policy" && chmod 755 "$policy"
  fi
  # shellcheck disable=SC2086
  apt-get install -y -qq --no-install-recommends $missing
fi
