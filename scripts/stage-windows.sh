#!/usr/bin/env bash
# scripts/stage-windows.sh <bin folder> <folder>: lays out the Windows package in
# <folder> from a Windows build's programs: Vexlo.dll, vexlo.exe, the property sets,
# install.cmd/uninstall.cmd, their .reg template and INSTALL.txt (Windows line ends, the
# version filled in). scripts/package-windows.sh zips it; scripts/wine-tests.sh runs
# its install.cmd and uninstall.cmd.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin=$1 stage=$2
version=$(sed -n 's/^project(Vexlo VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
mkdir -p "$stage"
cp "$bin/Vexlo.dll" "$bin/vexlo.exe" "$stage/"
cp "$root/properties/Delphi.pty" "$root/properties/CSharp.pty" "$stage/"
for f in install.cmd uninstall.cmd addins.reg.in INSTALL.txt; do
  sed -e "s/@VERSION@/$version/g" -e 's/\r$//' -e 's/$/\r/' "$root/packaging/windows/$f" >"$stage/$f"
done
