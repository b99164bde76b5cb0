#!/usr/bin/env bash
# Builds what a Windows user installs: the i686 Release build of Vexlo.dll and
# vexlo.exe, stripped, with the property sets, install.cmd/uninstall.cmd, their
# .reg template and INSTALL.txt, in dist/vexlo-<version>-win32.zip. Then checks that
# the DLL and the program import only functions Windows XP SP3 provides
# (packaging/windows/xp-imports.txt), so the add-in loads where many Rose
# installations still live.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
version=$(sed -n 's/^project(Vexlo VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
build=$root/build-win32-release
name=vexlo-$version-win32
stage=$root/dist/$name
jobs=${JOBS:-$(nproc)}

cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-i686.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DVEXLO_BUILD_TESTS=OFF ${CMAKE_ARGS:-} >/dev/null
cmake --build "$build" -j"$jobs" --target Vexlo vexlo >/dev/null

rm -rf "$stage" "$root/dist/$name.zip"
"$root/scripts/stage-windows.sh" "$build/bin" "$stage"
i686-w64-mingw32-strip --strip-unneeded "$stage/Vexlo.dll" "$stage/vexlo.exe"

# Every imported function must be in the allow-list of what Windows XP SP3 has.
status=0
for binary in Vexlo.dll vexlo.exe; do
  imports=$(i686-w64-mingw32-objdump -p "$stage/$binary" | awk '
    /DLL Name:/ { dll = tolower($3) }
    /^\t[0-9a-f]+[ \t]+[0-9]+[ \t]+[A-Za-z_]/ && dll { print dll ":" $3 }' | sort -u)
  if [ -z "$imports" ]; then
    echo "package: no imports read from $binary" >&2; status=1; continue
  fi
  missing=$(comm -23 <(echo "$imports") <(grep -v '^#' packaging/windows/xp-imports.txt | sed '/^$/d' | sort -u))
  if [ -n "$missing" ]; then
    echo "package: $binary imports functions Windows XP SP3 does not have (or not yet reviewed):" >&2
    echo "$missing" | sed 's/^/  /' >&2
    status=1
  else
    echo "package: $binary imports $(echo "$imports" | wc -l) functions, all present on Windows XP SP3"
  fi
done
[ $status -eq 0 ] || exit $status

(cd "$root/dist" && rm -f "$name.zip" && zip -qr -X "$name.zip" "$name")
echo "package: dist/$name.zip ($(du -k "$root/dist/$name.zip" | cut -f1) KiB; Vexlo.dll $(du -k "$stage/Vexlo.dll" | cut -f1) KiB)"
