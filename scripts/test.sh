#!/bin/sh
# The whole test suite: installs what it needs, builds, runs every test (each test binary
# in its own private network namespace), then the core, tool and window tests again
# under AddressSanitizer/UBSan and the core and tool tests under ThreadSanitizer.
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
# Every kind of report was read by some test, and all of them match their schema.
/usr/bin/python3 tests/schema/validate-reports.py --require-all packaging/schema build/test-reports

# The window's tests too; leaks inside system libraries only are suppressed (commented file).
build build-asan -DORVEX_SANITIZE=address,undefined -DORVEX_BUILD_GUI=ON -DORVEX_BUILD_BENCH=OFF
LSAN_OPTIONS="suppressions=$PWD/tests/support/lsan-suppressions.txt" \
  ctest --test-dir build-asan --output-on-failure -j2 -L 'core|tools|gui'

build build-tsan -DORVEX_SANITIZE=thread -DORVEX_BUILD_GUI=OFF -DORVEX_BUILD_BENCH=OFF
TSAN_OPTIONS=halt_on_error=1 ctest --test-dir build-tsan --output-on-failure -j2 -L 'core|tools'

# Fuzz targets: clang, libFuzzer and ASan/UBSan, a short bounded run each from the seeds.
build build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DORVEX_FUZZ=ON \
  -DORVEX_SANITIZE=address,undefined,fuzzer-no-link
for target in http_head cgi_reply url firmware_doc discovery_reply set_plan wsd_message; do
  work="build-fuzz/corpus-$target"
  mkdir -p "$work"
  echo "fuzzing $target"
  if ! "build-fuzz/fuzz/fuzz_$target" -max_total_time="${ORVEX_FUZZ_SECONDS:-15}" -max_len=4096 \
    -artifact_prefix="build-fuzz/crash-$target-" "$work" "fuzz/corpus/$target" \
    >"build-fuzz/$target.log" 2>&1; then
    cat "build-fuzz/$target.log"
    exit 1
  fi
  tail -n 1 "build-fuzz/$target.log"
done

echo "all tests passed"
