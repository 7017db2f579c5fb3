#!/bin/sh
# Mutation check: applies each mutant of tests/mutants.txt, one at a time, to a scratch
# worktree of the current commit, rebuilds incrementally, runs the tests with the ctest
# labels the mutant names, and reverts. A mutant the tests catch makes a test fail; one
# that survives is a fault the tests would let through. Prints caught/survived for each
# and a summary line; exit status 1 when any survived (or could not be applied or built).
# Minutes per mutant: not part of scripts/test.sh.
#   sh scripts/mutants.sh [LIST]        (default tests/mutants.txt; run as root, as the tests)
#   MUTANTS_ONLY=PATTERN sh scripts/mutants.sh   only the mutants whose line matches PATTERN
set -eu
cd "$(dirname "$0")/.."
root=$PWD
list=${1:-tests/mutants.txt}
[ -f "$list" ] || { echo "mutants: no list $list" >&2; exit 2; }
list=$(cd "$(dirname "$list")" && pwd)/$(basename "$list")
scratch=${MUTANTS_WORKTREE:-/tmp/orvex-mutants}
start=$(date +%s)

scripts/install-deps.sh
if [ ! -d "$scratch/.git" ] && [ ! -f "$scratch/.git" ]; then
  git worktree add --detach "$scratch" HEAD >/dev/null
else
  (cd "$scratch" && git checkout --quiet --detach "$(cd "$root" && git rev-parse HEAD)" && git reset --quiet --hard)
fi
cd "$scratch"
# Warnings stay warnings here: a mutant may leave a variable unused, which is not the fault tested.
cmake -S . -B build -G Ninja -DORVEX_BUILD_BENCH=OFF -DORVEX_WERROR=OFF >/dev/null
echo "mutants: building the unchanged tree once"
ninja -C build >/dev/null

caught=0
survived=0
broken=0
n=0
# Mutants one a line, fields separated by tabs: FILE TEXT REPLACEMENT LABELS WHY (read with
# a separator that is not white space, so that an empty replacement stays a field).
us=$(printf '\037')
tr '\t' '\037' <"$list" >build/mutants.list
while IFS="$us" read -r file text replacement labels why; do
  case "$file" in '' | '#'*) continue ;; esac
  if [ -n "${MUTANTS_ONLY:-}" ] && ! printf '%s %s\n' "$file" "$why" | grep -q -- "$MUTANTS_ONLY"; then
    continue
  fi
  n=$((n + 1))
  label="$file: $why"
  if ! python3 - "$file" "$text" "$replacement" <<'PYTHON'; then
import sys
path, text, replacement = sys.argv[1:4]
source = open(path, encoding="utf-8").read()
if source.count(text) != 1:
    sys.exit("the text is in the file %d times, not once" % source.count(text))
open(path, "w", encoding="utf-8").write(source.replace(text, replacement))
PYTHON
    echo "not applied  $label"
    broken=$((broken + 1))
    continue
  fi
  labels_regex=$(printf '%s' "$labels" | tr ';' '|')
  verdict=survived
  if ! ninja -C build >"build/mutant.log" 2>&1 </dev/null; then
    verdict="not built"
  elif ! ctest --test-dir build -L "^($labels_regex)\$" -FC reports -j2 >>"build/mutant.log" 2>&1 </dev/null; then
    verdict=caught
  fi
  git checkout --quiet -- "$file"
  case "$verdict" in
    caught) caught=$((caught + 1)) ;;
    survived) survived=$((survived + 1)) ;;
    *) broken=$((broken + 1)) ;;
  esac
  printf '%-12s %s [%s]\n' "$verdict" "$label" "$labels"
done <build/mutants.list
ninja -C build >/dev/null 2>&1 || true  # back to the unchanged tree for the next run
minutes=$(( ($(date +%s) - start + 59) / 60 ))
echo "mutants: $n, caught $caught, survived $survived, not applied or not built $broken ($minutes min)"
[ "$survived" = 0 ] && [ "$broken" = 0 ]
