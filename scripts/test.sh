#!/usr/bin/env bash
# Builds everything and runs every test: the native build, the diagrams in headless
# Chromium, the sanitized build,
# both Windows cross builds with their tests and the end-to-end run under wine, the
# Windows package, and a short run of each fuzz target.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/scripts/setup.sh"

step() { printf '\n== %s ==\n' "$*"; }

step "native build and tests"
"$root/scripts/build.sh" native
# The browser check is a step of its own below.
ctest --test-dir build --output-on-failure -j"$(nproc)" -E '^diagram_browser_check$'

step "diagrams in a real browser (headless Chromium)"
"$root/scripts/browser-check.sh" "$root/build/bin/vexlo" "$root/examples/Example.mdl"

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
