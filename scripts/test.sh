#!/usr/bin/env bash
# Builds everything and runs every test: the native build, the sanitized build,
# both Windows cross builds with their tests and the end-to-end run under wine, the
# Windows package, and a short run of each fuzz target.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/scripts/setup.sh"

step() { printf '\n== %s ==\n' "$*"; }

step "native build and tests"
"$root/scripts/build.sh" native
ctest --test-dir build --output-on-failure -j"$(nproc)"

step "vexlo lint on the example model"
# The example's Delphi code needs two zone fixes ({$M+} for TItem, which TBook
# inherits, and the forward declaration of TLoan): three findings while no generated
# file holds them (docs/CI.md); any other count fails the step.
lint_dir=$(mktemp -d)
lint_status=0
VEXLO_REGISTRY="$lint_dir/registry.reg" build/bin/vexlo lint examples/Example.mdl --out "$lint_dir/out" \
  >"$lint_dir/lint.txt" || lint_status=$?
cat "$lint_dir/lint.txt"
if [ "$lint_status" -ne 1 ] || ! grep -q '^vexlo lint: 3 findings in ' "$lint_dir/lint.txt"; then
  echo "lint: expected exit code 1 and the example's 3 known findings (exit code $lint_status)" >&2
  rm -rf "$lint_dir"
  exit 1
fi
rm -rf "$lint_dir"

step "AddressSanitizer + UndefinedBehaviorSanitizer build and tests"
"$root/scripts/build.sh" asan
ASAN_OPTIONS=detect_leaks=1 ctest --test-dir build-asan --output-on-failure -j"$(nproc)"

step "Windows cross builds"
"$root/scripts/build.sh" win32
"$root/scripts/build.sh" win64

step "Windows under wine: CROSS suites, registration, COM, generation (both bitnesses)"
"$root/scripts/wine-tests.sh"

step "Windows package (i686 Release, XP-era imports)"
"$root/scripts/package-windows.sh"

if [ -x "$root/scripts/fuzz.sh" ]; then
  step "fuzz targets (short runs)"
  "$root/scripts/fuzz.sh"
fi
step "all tests passed"
