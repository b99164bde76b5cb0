#!/usr/bin/env bash
# The main job: builds Vexlo and generates code from the bundled example model.
# Output lands in out/example/ (override with OUT=dir).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/scripts/setup.sh"
"$root/scripts/build.sh" native

export VEXLO_REGISTRY=${VEXLO_REGISTRY:-$root/out/registry.reg}
mkdir -p "$(dirname "$VEXLO_REGISTRY")"
out=${OUT:-$root/out/example}
mkdir -p "$out"

if [ -x build/bin/vexlo ] && [ -f examples/Example.mdl ]; then
  build/bin/vexlo generate examples/Example.mdl --out "$out"
  echo
  echo "Generated files:"
  find "$out" -type f | sort
else
  # Until the command-line host exists: register the COM server and show the keys it wrote.
  build/bin/vexlo register
fi
