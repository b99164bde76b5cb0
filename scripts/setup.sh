#!/usr/bin/env bash
# Installs what the build and the tests need and is missing on this machine.
# Safe to run again: it only asks apt for packages that are not installed yet.
#   scripts/setup.sh            everything: tests, cross builds, wine (32-bit too where
#                               the kernel runs 32-bit programs), fuzzing, compilers,
#                               PNG diagrams (librsvg, fonts: Liberation, WenQuanYi Micro
#                               Hei for Chinese and Japanese), the browser check (chromium)
#                               and C# reading (libtree-sitter + the C# grammar from npm)
#   scripts/setup.sh --minimal  only the build tools of the main job (cmake, g++, make)
set -euo pipefail

minimal=(cmake g++ make)
packages=(
  "${minimal[@]}"
  libgtest-dev googletest libbenchmark-dev
  clang lld libclang-rt-dev
  mingw-w64 mingw-w64-tools libwine-dev
  wine wine64
  mono-mcs
  fp-compiler
  zip patch
  librsvg2-dev chromium python3 fonts-liberation2 fonts-wqy-microhei
  libtree-sitter-dev
  python3-jsonschema python3-yaml
)
# npm fetches the C# grammar's sources; a node installed otherwise brings its own npm.
command -v npm >/dev/null || packages+=(npm)
full=1
case "${1:-}" in
  --minimal) packages=("${minimal[@]}"); full=0 ;;
  "") ;;
  *) echo "usage: scripts/setup.sh [--minimal]" >&2; exit 2 ;;
esac

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive

missing=()
for p in "${packages[@]}"; do
  installed "$p" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
[ $full -eq 1 ] || exit 0

# Sources the build compiles from npm (the C# grammar; the tree-sitter runtime for Windows).
"$(dirname "$0")/fetch-npm-sources.sh"

# 32-bit wine for the i686 build (scripts/wine-tests.sh runs it wherever this probe
# passes): only where the kernel runs 32-bit programs. Elsewhere a 32-bit wine cannot
# start, and wine's launcher, which prefers it, would then fail for 64-bit programs too,
# so it stays off. Where the kernel runs them, wine64 keeps working beside it.
if "$(dirname "$0")/runs-32bit.sh"; then
  if ! installed wine32:i386; then
    echo "setup: this kernel runs 32-bit programs: installing wine32:i386 for the i686 build"
    $SUDO dpkg --add-architecture i386
    $SUDO apt-get update -qq
    $SUDO apt-get install -y -qq --no-install-recommends wine32:i386 >/dev/null
  fi
else
  echo "setup: this kernel does not run 32-bit programs: no wine32, the i686 build is not run under wine"
fi

# The workflow files' checker (docs/CI.md), from npm, into .tools/ of the checkout (not
# committed). npm comes with Debian's nodejs, or with the one already installed.
if ! command -v npm >/dev/null; then
  echo "setup: installing nodejs and npm"
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends nodejs npm >/dev/null
fi
tools="$(cd "$(dirname "$0")/.." && pwd)/.tools"
if [ ! -x "$tools/node_modules/.bin/action-validator" ]; then
  echo "setup: installing @action-validator/cli 0.6.0 into $tools"
  npm install --silent --no-audit --no-fund --prefix "$tools" @action-validator/cli@0.6.0 >/dev/null
fi
