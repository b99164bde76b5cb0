#!/usr/bin/env bash
# Runs the cross-built (x86_64) test programs under wine against the real Win32 API.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if ! command -v wine >/dev/null 2>&1; then
  echo "wine is not installed: skipping the Windows test run" >&2
  exit 0
fi
export WINEPREFIX=${WINEPREFIX:-$root/build-win64/wineprefix}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
ctest --test-dir "$root/build-win64" --output-on-failure
