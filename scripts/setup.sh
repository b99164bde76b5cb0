#!/usr/bin/env bash
# Installs what the build and the tests need and is missing on this machine.
# Safe to run again: it only asks apt for packages that are not installed yet.
#   scripts/setup.sh            everything: tests, cross builds, wine, fuzzing, compilers,
#                               PNG diagrams (librsvg) and the browser check (chromium)
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
  zip
  librsvg2-dev chromium python3 fonts-liberation2
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

# 32-bit wine for the i686 build (scripts/wine-tests.sh): only where the kernel runs
# 32-bit programs. Elsewhere the i386 loader would take the place of wine64's and
# break wine altogether, so it stays off. The probe is the smallest i386 program
# (exit(0) through int 0x80).
probe=$(mktemp)
printf '\x7f\x45\x4c\x46\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80' >"$probe"
chmod +x "$probe"
if "$probe" 2>/dev/null; then
  if ! dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q "install ok installed"; then
    echo "setup: installing wine32:i386"
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO="sudo"
    export DEBIAN_FRONTEND=noninteractive
    $SUDO dpkg --add-architecture i386
    $SUDO apt-get update -qq
    $SUDO apt-get install -y -qq --no-install-recommends wine32:i386 >/dev/null
  fi
else
  echo "setup: this kernel does not run 32-bit programs: no wine32, the i686 build is not run under wine"
fi
rm -f "$probe"
