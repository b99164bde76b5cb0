#!/usr/bin/env bash
# Builds vexlo (the host and the add-in module, no tests) from the action's own sources
# into PREFIX: bin/ (vexlo, Vexlo.so, libvxplatform.so) and share/vexlo/properties.
set -euo pipefail
build="${RUNNER_TEMP:-/tmp}/vexlo-build"
cmake -S "$SRC" -B "$build" -DCMAKE_BUILD_TYPE=Release -DVEXLO_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target vexlo Vexlo
mkdir -p "$PREFIX/share/vexlo"
rm -rf "$PREFIX/bin" "$PREFIX/share/vexlo/properties"
cp -r "$build/bin" "$PREFIX/bin"
cp -r "$SRC/properties" "$PREFIX/share/vexlo/properties"
"$PREFIX/bin/vexlo" --version
