#!/bin/sh
# The whole test suite: installs what it needs, builds, runs every test (each test binary
# in its own private network namespace), then the core and tool tests again under
# AddressSanitizer/UBSan and under ThreadSanitizer.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh

build() {  # build DIR [cmake options...]
  dir=$1; shift
  cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
  ninja -C "$dir"
}

build build
ctest --test-dir build --output-on-failure -j2

build build-asan -DORVEX_SANITIZE=address,undefined -DORVEX_BUILD_GUI=OFF -DORVEX_BUILD_BENCH=OFF
ctest --test-dir build-asan --output-on-failure -j2 -L 'core|tools'

build build-tsan -DORVEX_SANITIZE=thread -DORVEX_BUILD_GUI=OFF -DORVEX_BUILD_BENCH=OFF
TSAN_OPTIONS=halt_on_error=1 ctest --test-dir build-tsan --output-on-failure -j2 -L 'core|tools'

echo "all tests passed"
