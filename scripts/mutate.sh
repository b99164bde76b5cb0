#!/usr/bin/env bash
# scripts/mutate.sh [mutations-file]: a small mutation run, to see what the tests catch.
# Applies each mutation of the list (default scripts/mutations.txt, lines
# "file @@ original text @@ mutated text") alone, rebuilds the native tree incrementally,
# runs the tests, records whether a test failed (caught) or not (missed), restores the file.
# Only the tests whose programs the rebuild changed run (see changed_tests).
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

# The numbers of the ctest tests whose program the last build changed (newer than the
# stamp file), or that load the built module or run the built program when those changed;
# all of them when a shared library changed.
# EXCLUDE (default: cli_tests, which runs the whole program on the sample models and takes
# most of a run) names programs left out.
changed_tests() {
  ctest --test-dir "$build" --show-only=json-v1 | python3 -c '
import json, os, sys
stamp = os.path.getmtime(sys.argv[1])
bin_dir = sys.argv[2]
excluded = set(sys.argv[3].split())
runtime_users = {"addin_tests", "vexlo_module_test", "cli_tests"}
def changed(path):
    return os.path.exists(path) and os.path.getmtime(path) > stamp
files = os.listdir(bin_dir)
runtime = any(changed(os.path.join(bin_dir, f)) for f in files if f.startswith(("Vexlo", "vexlo")))
# A changed shared library (the platform layer) is used by every program.
shared = any(changed(os.path.join(bin_dir, f)) for f in files if f.startswith("lib") and ".so" in f)
broken = set()
if os.path.exists(sys.argv[4]):
    broken = {line.split(":")[0] for line in open(sys.argv[4])}
numbers = []
for n, t in enumerate(json.load(sys.stdin)["tests"], 1):
    program = t["command"][0]
    name = os.path.basename(program)
    if name in excluded or str(n) in broken:
        continue
    if shared or changed(program) or (runtime and name in runtime_users):
        numbers.append(str(n))
print(",".join(numbers))' "$stamp" "$build/bin" "${EXCLUDE-cli_tests}" "$baseline"
}
run_tests() {
  local numbers
  numbers=$(changed_tests)
  [ -z "$numbers" ] && { echo "no test program changed"; return 0; }
  nice -n 10 ctest --test-dir "$build" -j"$jobs" --timeout "$timeout" ${STOP---stop-on-failure} -Q -I "0,0,0,$numbers"
}
stamp="$build/mutation.stamp"
# Tests that fail on the unmutated tree ("number:name" lines) are left out of the run.
baseline="$build/mutation-baseline-failures.txt"

echo "checking that the unmutated tree builds and passes"
nice -n 10 cmake --build "$build" -j"$jobs" >/dev/null || { echo "the unmutated tree does not build" >&2; exit 1; }
touch -d @0 "$stamp"
rm -f "$baseline"
if ! STOP= run_tests >"$build/mutant.log" 2>&1; then
  cp "$build/Testing/Temporary/LastTestsFailed.log" "$baseline"
  echo "left out, as they fail on the unmutated tree:"; sed 's/^/  /' "$baseline"
fi

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
  touch "$stamp"
  sleep 1
  if ! apply "$file" "$old" "$new"; then
    result=invalid
  elif ! nice -n 10 cmake --build "$build" -j"$jobs" >"$build/mutant.log" 2>&1; then
    result=unbuilt
  elif run_tests >>"$build/mutant.log" 2>&1; then
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
