#!/usr/bin/env bash
# The Windows builds under wine, for each bitness whose cross build exists and whose
# wine can run here, each in a fresh WINEPREFIX that is thrown away afterwards:
#   1. the CROSS test suites (platform, foundation library, hooks) against the real API;
#   2. regsvr32 of Vexlo.dll and a check of every key it wrote, the type library's
#      included (tests/wine/ComClient.cpp);
#   3. both add-ins created by ProgID and called by name through the type library, with
#      a host whose calls fail: DISP_E_EXCEPTION with the add-in's description;
#   4. vexlo.exe generate on the bundled example, once as rose.exe and once as vm.exe,
#      byte-identical to the Linux build's output; then again over files whose
#      preserved zones hold user text; then a code page 936 model (charSet 134) with
#      classes that depend on each other: the same bytes, and the add-in's two message
#      boxes on standard error as on Linux;
#   5. regsvr32 /u, after which no key of the server is left;
#   6. the Windows package laid out from the i686 build (scripts/stage-windows.sh):
#      its install.cmd under wine's cmd.exe, every add-in entry of its template written
#      with the install folder filled in (on 64-bit, in the 32-bit view where a 32-bit
#      host looks) and the server registered; then uninstall.cmd, after which neither is
#      left. Runs in every prefix that can run 32-bit programs.
# win32 runs wherever the kernel runs 32-bit programs (scripts/runs-32bit.sh) and the
# i686 build exists; there a missing wine32 is a failure, not a skip.
# Ends with one line "wine tests: PASSED ..." or "wine tests: FAILED ...".
#   WINE_BITS="win64 win32" picks the bitnesses (default both); WINE_CTEST_ARGS is
#   passed to ctest (e.g. "-R hook_tests").
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if ! command -v wine >/dev/null 2>&1; then
  echo "wine tests: SKIPPED (wine is not installed)"
  exit 0
fi
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

failures=()
skipped=()
ran=()
now() { date +%s.%N; }
since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.1f s", b - a }'; }
winpath() { local p; p=$(cd "$(dirname "$1")" && pwd)/$(basename "$1"); printf 'Z:%s' "${p//\//\\}"; }

# Whether this machine runs programs of the bitness at all: 32-bit ones need a kernel
# that executes them; whether wine is there for them is checked apart (has_wine).
can_run() {
  case "$1" in
    win64) true ;;
    win32) "$root/scripts/runs-32bit.sh" ;;
  esac
}
has_wine() {
  case "$1" in
    win64) [ -x /usr/lib/wine/wine64 ] || command -v wine64 >/dev/null 2>&1 ;;
    win32) [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1 ;;
  esac
}

# Adds user text after the opening marker of every preserved zone.
add_user_text() {
  find "$1" -name .vexlo -prune -o -type f -print | while read -r f; do
    awk '{ print } /\/\/## begin .*preserve=yes/ { n++; printf "  // user text %d kept\r\n", n }' "$f" >"$f.tmp" && mv "$f.tmp" "$f"
  done
}

# The package's install.cmd and uninstall.cmd under wine's cmd.exe, in the prefix of
# WINEPREFIX (of architecture $1), from a folder whose name needs quoting.
package_steps() {
  local arch=$1 winfolder='C:\Vexlo (x86) test' view=""
  local folder="$WINEPREFIX/drive_c/Vexlo (x86) test" pbin=$root/build-win32/bin
  [ "$arch" = win64 ] && view='Wow6432Node'
  local pclient=$pbin/vexlo_com_client.exe pdll="$winfolder\Vexlo.dll"
  "$root/scripts/stage-windows.sh" "$pbin" "$folder"
  # "key|name|value" of every value the template asks for: the install folder filled
  # in, the .reg escapes undone, the key in the view a 32-bit host reads.
  expected_entries() {
    VIEW=$view DIR=$winfolder awk '
      function inview(k,   p) {
        p = "HKEY_LOCAL_MACHINE\\SOFTWARE\\"
        return ENVIRON["VIEW"] == "" || index(k, p) != 1 ? k : p ENVIRON["VIEW"] "\\" substr(k, length(p) + 1)
      }
      { sub(/\r$/, "") }
      /^\[/ { key = inview(substr($0, 2, length($0) - 2)); next }
      key != "" && /^"/ {
        sep = index($0, "\"=\""); name = substr($0, 2, sep - 2); v = substr($0, sep + 3, length($0) - sep - 3)
        out = ""; while ((i = index(v, "\\\\")) > 0) { out = out substr(v, 1, i - 1) "\\"; v = substr(v, i + 2) }; v = out v
        out = ""; while ((i = index(v, "%INSTALLDIR%")) > 0) { out = out substr(v, 1, i - 1) ENVIRON["DIR"]; v = substr(v, i + 12) }; v = out v
        print key "|" name "|" v
      }' "$folder/addins.reg.in" | sort
  }
  # The same, as reg.exe reads the keys of the template back.
  actual_entries() {
    expected_entries | cut -d'|' -f1 | sort -u | while IFS= read -r k; do
      wine reg query "$k" </dev/null 2>/dev/null | tr -d '\r' | K=$k awk '
        /^    [^ ]/ {
          line = substr($0, 5); i = index(line, "    REG_"); if (!i) next
          rest = substr(line, i + 4); j = index(rest, "    ")
          print ENVIRON["K"] "|" substr(line, 1, i - 1) "|" (j ? substr(rest, j + 4) : "")
        }'
    done | sort
  }
  entries_written() {
    [ -n "$(expected_entries)" ] && diff <(expected_entries) <(actual_entries)
  }
  entries_gone() {
    local left; left=$(actual_entries); [ -z "$left" ] || { echo "left behind:"; echo "$left"; false; }
  }
  # Started from its folder, as a double click does (the Linux folder inside drive_c is
  # C:\Vexlo (x86) test to wine): a path with blanks would need quotes inside cmd's /c.
  run_script() { # run_script <script> <what it says when it worked>
    local said
    said=$(cd "$folder" && wine cmd /c "$1" </dev/null 2>&1); local code=$?
    echo "$said"
    [ $code -eq 0 ] && grep -q "$2" <<<"$said"
  }
  check "install.cmd of the package (cmd.exe)" run_script install.cmd "Vexlo is installed in"
  check "every add-in entry written, install folder filled in${view:+ (32-bit view)}" entries_written
  check "the server registered from the install folder" wine "$pclient" registered "$pdll"
  check "uninstall.cmd of the package (cmd.exe)" run_script uninstall.cmd "Vexlo is uninstalled"
  check "no add-in entry left" entries_gone
  check "no key of the server left" wine "$pclient" unregistered "$pdll"
}

run_bitness() {
  local bits=$1 build=$root/build-$1 step_start
  local bin=$build/bin work prefix fail=0
  work=$(mktemp -d "/tmp/vexlo-$bits.XXXXXX")
  prefix=$work/prefix
  export WINEPREFIX=$prefix
  local arch=win64; [ "$bits" = win32 ] && arch=win32
  check() { # check <what> <command...>
    local what=$1; shift
    step_start=$(now)
    if "$@" >"$work/step.log" 2>&1; then
      echo "  ok   $what ($(since "$step_start"))"
    else
      echo "  FAIL $what ($(since "$step_start"))"; sed 's/^/       /' "$work/step.log" | tail -40
      fail=1
    fi
  }
  echo "== $bits under wine"
  check "fresh WINEPREFIX ($arch)" env WINEARCH=$arch wine wineboot -i
  check "CROSS test suites" ctest --test-dir "$build" --output-on-failure ${WINE_CTEST_ARGS:-}
  grep -h "tests passed" "$work/step.log" | sed 's/^/       /'

  local dll client
  dll=$(winpath "$bin/Vexlo.dll")
  client="$bin/vexlo_com_client.exe"
  check "regsvr32 Vexlo.dll" wine regsvr32 /s "$dll"
  check "every registered key" wine "$client" registered "$dll"
  check "both add-ins through IDispatch" wine "$client" invoke "$dll"

  # The installed layout: programs in bin, the property sets in share/vexlo/properties.
  local host=$work/host
  mkdir -p "$host/bin" "$host/share/vexlo/properties"
  cp "$bin/vexlo.exe" "$host/bin/rose.exe"
  cp "$bin/vexlo.exe" "$host/bin/vm.exe"
  cp "$root/properties/Delphi.pty" "$root/properties/CSharp.pty" "$host/share/vexlo/properties/"
  local model linux=$root/build/bin/vexlo
  model=$(winpath "$root/examples/Example.mdl")
  export VEXLO_REGISTRY=$work/linux-registry.reg
  generate_both() { # generate_both <as> <exe> <dir>: the same run on Linux and under wine
    local as=$1 exe=$2 dir=$3
    mkdir -p "$work/linux/$dir" "$work/wine/$dir"
    (cd "$work/linux" && "$linux" generate "$root/examples/Example.mdl" --host "$as" --out "$dir" >/dev/null) &&
      (cd "$work/wine" && wine "$host/bin/$exe" generate "$model" --host "$as" --out "$dir" >/dev/null) &&
      diff -r --exclude=.vexlo "$work/linux/$dir" "$work/wine/$dir"
  }
  mkdir -p "$work/linux" "$work/wine"
  if [ ! -x "$linux" ]; then
    echo "  FAIL the Linux build ($linux) is missing: nothing to compare with"; fail=1
  else
    check "generate as rose.exe, same files as on Linux" generate_both rose rose.exe out-rose
    check "generate as vm.exe, same files as on Linux" generate_both modeler vm.exe out-vm
    zones() {
      add_user_text "$work/linux/out-rose" && rm -rf "$work/wine/out-rose" &&
        cp -r "$work/linux/out-rose" "$work/wine/out-rose" && generate_both rose rose.exe out-rose &&
        [ "$(grep -r -c 'user text' "$work/wine/out-rose" | awk -F: '{ s += $2 } END { print s }')" -gt 0 ]
    }
    check "generate again over user text in the zones" zones
    # A model in code page 936 (charSet 134) with Chinese documentation, on a system whose
    # ANSI code page is 1252: the same bytes as the Linux build (GBK in the Delphi unit,
    # UTF-8 in the new C# file), and the add-in's two message boxes of the classes that
    # depend on each other on standard error, as on Linux, never a window.
    iconv -f UTF-8 -t GBK "$root/tests/wine/Recursive936.mdl.utf8" >"$work/recursive936.mdl"
    codepage_model() {
      mkdir -p "$work/linux/cp936" "$work/wine/cp936"
      (cd "$work/linux" && "$linux" generate "$work/recursive936.mdl" --out cp936 >/dev/null 2>"$work/linux-err.txt") &&
        (cd "$work/wine" && wine "$host/bin/rose.exe" generate "$(winpath "$work/recursive936.mdl")" --out cp936 \
          >/dev/null 2>"$work/wine-err.txt") &&
        diff -r --exclude=.vexlo "$work/linux/cp936" "$work/wine/cp936" &&
        grep -q "$(printf '\266\251\265\245')" "$work/wine/cp936/Shop.pas" && # "订单" in GBK
        grep -q "$(printf '\345\244\207\346\263\250')" "$work/wine/cp936/Notes.cs" # "备注" in UTF-8
    }
    message_boxes() {
      local side n
      for side in linux wine; do
        n=$(tr -d '\r' <"$work/$side-err.txt" | grep -c '^\[Recursive\] .* recursive dependency !!!$')
        [ "$n" -eq 2 ] || { echo "$side: $n [Recursive] lines on standard error:"; cat "$work/$side-err.txt"; return 1; }
      done
      diff <(tr -d '\r' <"$work/linux-err.txt" | grep '^\[Recursive\]') <(tr -d '\r' <"$work/wine-err.txt" | grep '^\[Recursive\]')
    }
    check "a code page 936 model (charSet 134, Chinese text): same bytes as on Linux" codepage_model
    check "the add-in's two [Recursive] message boxes on standard error, as on Linux" message_boxes
  fi

  check "regsvr32 /u Vexlo.dll" wine regsvr32 /u /s "$dll"
  check "no key left behind" wine "$client" unregistered "$dll"

  if ! can_run win32 || ! has_wine win32; then
    echo "  skip install.cmd/uninstall.cmd: the package's add-in is 32-bit and this wine runs no 32-bit programs"
  elif [ ! -f "$root/build-win32/bin/Vexlo.dll" ]; then
    echo "  skip install.cmd/uninstall.cmd: no i686 build to lay the package out from"
  else
    package_steps "$arch"
  fi
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$work"
  unset WINEPREFIX VEXLO_REGISTRY
  return $fail
}

total_start=$(now)
for bits in ${WINE_BITS:-win64 win32}; do
  if [ ! -d "$root/build-$bits" ]; then
    skipped+=("$bits: no cross build")
  elif ! can_run "$bits"; then
    skipped+=("$bits: this kernel does not run 32-bit programs")
  elif ! has_wine "$bits"; then
    if [ "$bits" = win32 ]; then
      echo "== win32: this machine runs 32-bit programs, but wine32 is missing (scripts/setup.sh installs wine32:i386)"
      failures+=("$bits")
      ran+=("$bits: no wine32")
    else
      skipped+=("$bits: no wine64")
    fi
  else
    start=$(now)
    if run_bitness "$bits"; then
      ran+=("$bits passed $(since "$start")")
    else
      failures+=("$bits")
      ran+=("$bits FAILED $(since "$start")")
    fi
  fi
done

summary="ran: $(IFS=,; echo "${ran[*]:-none}" | sed 's/,/, /g'); total $(since "$total_start")"
[ ${#skipped[@]} -gt 0 ] && summary+="; skipped: $(IFS=,; echo "${skipped[*]}" | sed 's/,/, /g')"
if [ ${#failures[@]} -gt 0 ]; then
  echo "wine tests: FAILED (${failures[*]}) $summary"
  exit 1
fi
echo "wine tests: PASSED $summary"
