#!/usr/bin/env bash
# scripts/mutate.sh [mutations-file]: a small mutation run, to see what the tests catch.
# Applies each mutation of the list (default scripts/mutations.txt, lines
# "file @@ original text @@ mutated text") alone, rebuilds the native tree incrementally,
# runs ctest, records whether a test failed (caught) or not (missed), restores the file.
# Not part of CI. Environment: BUILD (default build), JOBS (2), TIMEOUT per test (60 s),
# OUT (results file, default $BUILD/mutation-results.txt), ONLY="3 7" (numbers of the list).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
list=$(realpath "${1:-$root/scripts/mutations.txt}")
cd "$root"
build=${BUILD:-build}
jobs=${JOBS:-2}
timeout=${TIMEOUT:-60}
out=${OUT:-$build/mutation-results.txt}
[ -f "$build/CMakeCache.txt" ] || { echo "no configured build tree in $build (run scripts/build.sh native)" >&2; exit 2; }

backup=$(mktemp)
current=""
restore() {
  # Copied back without keeping the old time stamp, so that make rebuilds the original.
  [ -n "$current" ] && cat "$backup" >"$current"
  current=""
}
trap 'restore; rm -f "$backup"; exit 130' INT TERM
trap 'restore; rm -f "$backup"' EXIT

# file, original, mutated -> the file with the one occurrence replaced; fails unless it occurs once.
apply() {
  python3 - "$@" <<'PY'
import sys
path, old, new = sys.argv[1:4]
text = open(path, encoding="utf-8", newline="").read()
if text.count(old) != 1:
    sys.exit(f"{path}: the original text occurs {text.count(old)} times")
open(path, "w", encoding="utf-8", newline="").write(text.replace(old, new))
PY
}

echo "checking that the unmutated tree builds and passes"
nice -n 10 cmake --build "$build" -j"$jobs" >/dev/null || { echo "the unmutated tree does not build" >&2; exit 1; }
nice -n 10 ctest --test-dir "$build" -j"$jobs" --timeout "$timeout" -Q || { echo "the unmutated tree fails its tests" >&2; exit 1; }

: >"$out"
n=0 caught=0 missed=0 broken=0
while IFS= read -r line || [ -n "$line" ]; do
  case "$line" in ''|'#'*) continue ;; esac
  n=$((n + 1))
  if [ -n "${ONLY:-}" ] && [[ " $ONLY " != *" $n "* ]]; then continue; fi
  file=${line%% @@ *}; rest=${line#* @@ }
  old=${rest%% @@ *}; new=${rest#* @@ }
  cp "$file" "$backup"
  current=$file
  start=$SECONDS
  if ! apply "$file" "$old" "$new"; then
    result=invalid
  elif ! nice -n 10 cmake --build "$build" -j"$jobs" >"$build/mutant.log" 2>&1; then
    result=unbuilt
  elif nice -n 10 ctest --test-dir "$build" -j"$jobs" --timeout "$timeout" --stop-on-failure -Q \
         >>"$build/mutant.log" 2>&1; then
    result=missed
  else
    result=caught
  fi
  restore
  case $result in caught) caught=$((caught + 1)) ;; missed) missed=$((missed + 1)) ;; *) broken=$((broken + 1)) ;; esac
  printf '%-7s %3d %4ds %s: %s -> %s\n' "$result" "$n" $((SECONDS - start)) "$file" "$old" "$new" | tee -a "$out"
done <"$list"
# Leave the tree built from the originals.
nice -n 10 cmake --build "$build" -j"$jobs" >/dev/null
echo "caught $caught, missed $missed, not applicable $broken (of $n)" | tee -a "$out"
