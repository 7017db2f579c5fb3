#!/bin/sh
# Orvex as an installed desktop application: validates the desktop entry and the
# AppStream metadata, installs into a temporary prefix and checks what lands there,
# runs the installed programs' --version and each manual page, then builds the Debian
# package and checks its fields and files (and lintian, when installed).
# usage: check-install.sh BUILD_DIR SOURCE_DIR
set -eu
build=$1
src=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
# The version the project declares, which every program and the package must carry.
release=$(sed -n 's/^project(Orvex VERSION \([0-9.]*\).*/\1/p' "$src/CMakeLists.txt")
[ -n "$release" ] || fail "no project version in CMakeLists.txt"
head -n 1 "$src/packaging/changelog" | grep -q "^orvex ($release) " || fail "the changelog's first entry is not $release"

desktop-file-validate "$src/resources/desktop/net.orvex.Orvex.desktop" >"$work/desktop.log" 2>&1 ||
  { cat "$work/desktop.log"; fail "desktop entry"; }
grep -q "error:" "$work/desktop.log" && { cat "$work/desktop.log"; fail "desktop entry"; }
appstreamcli validate --no-net "$src/resources/desktop/net.orvex.Orvex.metainfo.xml" ||
  fail "AppStream metadata"

prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null
(cd "$prefix" && find . -type f | sed 's|^\./||' | LC_ALL=C sort) >"$work/files.txt"
LC_ALL=C sort "$src/tests/install/expected-files.txt" | diff -u - "$work/files.txt" || fail "installed files"

for program in orvex orvexctl orvex-camsim orvex-tracewin; do
  version=$(env -u DISPLAY QT_QPA_PLATFORM=offscreen "$prefix/bin/$program" --version)
  [ "$version" = "$program $release" ] || fail "$program --version printed '$version'"
done
bash -n "$prefix/share/bash-completion/completions/orvexctl" || fail "bash completion"
bash -c ". '$prefix/share/bash-completion/completions/orvexctl' && complete -p orvexctl" >/dev/null ||
  fail "bash completion does not register"
status=0
env -u DISPLAY QT_QPA_PLATFORM=offscreen "$prefix/bin/orvex" --frobnicate 2>"$work/err.txt" || status=$?
[ "$status" = 2 ] && [ "$(wc -l <"$work/err.txt")" = 1 ] || fail "orvex with an unknown argument (status $status)"
for page in "$prefix"/share/man/man1/*.1.gz; do
  LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>"$work/man.log" >/dev/null ||
    fail "man -l $page"
  [ -s "$work/man.log" ] && { cat "$work/man.log"; fail "warnings in $page"; }
done

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/package" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; fail "cpack"; }
deb=$(ls "$work"/package/orvex_"$release"_*.deb)
dpkg-deb -I "$deb" >"$work/info.txt"
for field in "Package: orvex" "Version: $release" "Section: net" "Maintainer: The Orvex developers"; do
  grep -q "^ $field" "$work/info.txt" || { cat "$work/info.txt"; fail "package field '$field'"; }
done
grep -q "^ Depends:.*libqt6widgets6.*xdg-utils\|^ Depends:.*xdg-utils.*libqt6widgets6" "$work/info.txt" ||
  { cat "$work/info.txt"; fail "package dependencies"; }
grep -q "^ Recommends: fonts-noto-cjk, qt6-translations-l10n" "$work/info.txt" || fail "package recommendations"
dpkg-deb -c "$deb" | awk '{print $6}' | grep -v '/$' | sed 's|^\./usr/||' | LC_ALL=C sort >"$work/deb-files.txt"
LC_ALL=C sort "$src/tests/install/expected-files.txt" | diff -u - "$work/deb-files.txt" || fail "package files"
if command -v lintian >/dev/null; then
  lintian --fail-on error "$deb" || fail "lintian"
fi
echo "installed files, programs, manual pages and $(basename "$deb") ($(du -k "$deb" | cut -f1) KB) are in order"
