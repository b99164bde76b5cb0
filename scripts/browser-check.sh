#!/usr/bin/env bash
# The diagram report in a real browser: headless Chromium loads index.html and three of
# the SVGs written by `vexlo diagram`, with no console errors; a screenshot is not blank,
# and the DOM text holds the class names.
#   scripts/browser-check.sh [VEXLO [MODEL.mdl]]   (default: build/bin/vexlo, the example)
# Exit code 77 when Chromium is not installed (scripts/setup.sh installs it).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
vexlo=${1:-$root/build/bin/vexlo}
model=${2:-$root/examples/Example.mdl}
chromium=$(command -v chromium || command -v chromium-browser || true)
if [ -z "$chromium" ]; then
  echo "browser check skipped: chromium is not installed (scripts/setup.sh installs it)"
  exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export VEXLO_REGISTRY="$work/registry.reg"
"$vexlo" diagram "$model" --out "$work/out" >"$work/vexlo.log" 2>&1 || { cat "$work/vexlo.log"; exit 1; }

browse() { # browse <what> <file> <extra flags...>
  local what=$1 file=$2; shift 2
  timeout 90 "$chromium" --headless --no-sandbox --disable-gpu --no-first-run --disable-background-networking \
    --disable-component-update --disable-sync --user-data-dir="$work/profile-$what" \
    --enable-logging=stderr --v=0 --allow-file-access-from-files "$@" "file://$file" 2>"$work/$what.err"
}
fail=0
check_console() { # console errors and script errors the page reported
  if grep -E 'CONSOLE|Uncaught|SyntaxError|Failed to load' "$work/$1.err" | grep -viE 'dbus|gpu|sandbox' >"$work/$1.console"; then
    if [ -s "$work/$1.console" ]; then echo "FAIL $1: console messages:"; cat "$work/$1.console"; fail=1; fi
  fi
}

# index.html: DOM text with every class name of the model, no console errors.
browse index "$work/out/index.html" --dump-dom >"$work/index.dom"
check_console index
grep -q '<svg' "$work/index.dom" || { echo "FAIL index: no inline diagram in the DOM"; fail=1; }
classes=$(sed -n 's/.*<section class="class" id="[^"]*"><h3>\([^ <]*\).*/\1/p' "$work/out/index.html")
[ -n "$classes" ] || { echo "FAIL index: no class entries"; fail=1; }
for c in $classes; do
  grep -q ">$c<" "$work/index.dom" || { echo "FAIL index: class $c is not in the DOM text"; fail=1; }
done
browse index-shot "$work/out/index.html" --screenshot="$work/index.png" --window-size=1280,900 >/dev/null

# Three SVGs (the largest ones): each loads, shows its class names, and is not blank.
mapfile -t svgs < <(ls -S "$work/out"/*.svg | head -3)
[ ${#svgs[@]} -eq 3 ] || { echo "FAIL: fewer than three SVG diagrams"; fail=1; }
n=0
for svg in "${svgs[@]}"; do
  n=$((n + 1))
  browse "svg$n" "$svg" --dump-dom >"$work/svg$n.dom"
  check_console "svg$n"
  if grep -q 'parsererror\|This page contains the following errors' "$work/svg$n.dom"; then
    echo "FAIL $(basename "$svg"): the browser could not parse it"; fail=1
  fi
  for name in $(sed -n 's/.*<text class="name"[^>]*>\([^<]*\)<.*/\1/p' "$svg" | head -5); do
    grep -q "$name" "$work/svg$n.dom" || { echo "FAIL $(basename "$svg"): $name not in the DOM"; fail=1; }
  done
  browse "svg$n-shot" "$svg" --screenshot="$work/svg$n.png" --window-size=1280,900 >/dev/null
done

# A screenshot is blank when (almost) every pixel has one colour.
for shot in "$work"/index.png "$work"/svg*.png; do
  python3 - "$shot" <<'PY' || fail=1
import sys, zlib, struct
data = open(sys.argv[1], 'rb').read()
w, h, depth, ctype = struct.unpack('>IIBB', data[16:26])
raw = b''; pos = 8
while pos < len(data):
    n, kind = struct.unpack('>I4s', data[pos:pos + 8]); pos += 8
    if kind == b'IDAT': raw += data[pos:pos + n]
    pos += n + 4
bpp = {2: 3, 6: 4}[ctype]; stride = w * bpp; raw = zlib.decompress(raw)
prev = bytearray(stride); counts = {}
for y in range(h):
    f = raw[y * (stride + 1)]; line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
    for i in range(stride):
        a = line[i - bpp] if i >= bpp else 0; b = prev[i]; c = prev[i - bpp] if i >= bpp else 0
        if f == 1: line[i] = (line[i] + a) & 255
        elif f == 2: line[i] = (line[i] + b) & 255
        elif f == 3: line[i] = (line[i] + (a + b) // 2) & 255
        elif f == 4:
            p = a + b - c; pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
            line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
    for x in range(0, stride, bpp * 4):
        px = bytes(line[x:x + 3]); counts[px] = counts.get(px, 0) + 1
    prev = line
top = max(counts.values()); total = sum(counts.values())
if len(counts) < 3 or top > 0.995 * total:
    print('FAIL %s: the screenshot is blank (%d colours)' % (sys.argv[1].split('/')[-1], len(counts))); sys.exit(1)
print('ok %s: %d colours, %.1f%% background' % (sys.argv[1].split('/')[-1], len(counts), 100.0 * top / total))
PY
done
[ $fail -eq 0 ] && echo "browser check passed: index.html and ${#svgs[@]} SVGs in $("$chromium" --version 2>/dev/null | head -1)"
exit $fail
