#!/usr/bin/env bash
# The main job: builds Vexlo, then generates Delphi and C# code from the bundled example
# model through the command-line host, exactly as Rose would drive the add-in.
# Output lands in out/example/ (override with OUT=dir); the registry file the run
# uses is out/registry.reg (override with VEXLO_REGISTRY). Only what this needs is
# installed and built (no tests, no cross compilers, no wine): scripts/test.sh does the rest.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/scripts/setup.sh" --minimal
TARGETS="vexlo Vexlo" "$root/scripts/build.sh" main

export VEXLO_REGISTRY=${VEXLO_REGISTRY:-$root/out/registry.reg}
mkdir -p "$(dirname "$VEXLO_REGISTRY")"
out=${OUT:-$root/out/example}
mkdir -p "$out"

vexlo="$root/build-main/bin/vexlo"
echo "== What the model holds and where each component goes"
"$vexlo" show examples/Example.mdl --out "$out"
echo
echo "== Generating"
"$vexlo" generate examples/Example.mdl --out "$out"
echo
echo "== Generated files"
find "$out" -name .vexlo -prune -o -type f -print | sort
echo
echo "== The tool"
echo "vexlo is $vexlo (the add-in beside it), for example:"
echo "  ${vexlo#"$PWD"/} generate examples/Example.mdl --out out/mine"
