#!/usr/bin/env bash
# scripts/build.sh <kind>: configures and builds one build tree.
#   native  -> build/        (Linux, the default)
#   main    -> build-main/   (Linux, without the tests: vexlo and the add-in only)
#   asan    -> build-asan/   (Linux, AddressSanitizer + UndefinedBehaviorSanitizer)
#   win32   -> build-win32/  (i686 cross build: the shipped 32-bit Vexlo.dll)
#   win64   -> build-win64/  (x86_64 cross build, for wine64)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
kind=${1:-native}
jobs=${JOBS:-$(nproc)}
case "$kind" in
  native) dir=build;       args=() ;;
  main)   dir=build-main;  args=(-DVEXLO_BUILD_TESTS=OFF) ;;
  asan)   dir=build-asan;  args=(-DVEXLO_SANITIZE=ON) ;;
  win32)  dir=build-win32; args=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-i686.cmake") ;;
  win64)  dir=build-win64; args=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-x86_64.cmake") ;;
  fuzz)   dir=build-fuzz;  args=(-DVEXLO_FUZZ=ON -DVEXLO_BUILD_TESTS=OFF -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++) ;;
  *) echo "unknown build kind: $kind" >&2; exit 2 ;;
esac
cmake -S "$root" -B "$root/$dir" "${args[@]}" ${CMAKE_ARGS:-} >/dev/null
# TARGETS="a b" builds only those targets.
cmake --build "$root/$dir" -j"$jobs" ${TARGETS:+--target $TARGETS}
