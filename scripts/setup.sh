#!/usr/bin/env bash
# Installs what the build and the tests need and is missing on this machine.
# Safe to run again: it only asks apt for packages that are not installed yet.
#   scripts/setup.sh            everything: tests, cross builds, wine, fuzzing, compilers
#   scripts/setup.sh --minimal  only what building vexlo and the add-in needs
set -euo pipefail

minimal=(cmake g++ make pkg-config)
packages=(
  "${minimal[@]}"
  libgtest-dev googletest libbenchmark-dev
  clang lld libclang-rt-dev
  mingw-w64 mingw-w64-tools libwine-dev
  wine wine64
  mono-mcs
  fp-compiler
)
case "${1:-}" in
  --minimal) packages=("${minimal[@]}") ;;
  "") ;;
  *) echo "usage: scripts/setup.sh [--minimal]" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
