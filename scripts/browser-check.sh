#!/usr/bin/env bash
# The diagram report in a real browser: headless Chromium loads index.html and three of
# the SVGs written by `vexlo diagram`, with no console errors; a screenshot is not blank,
# and the DOM text holds the class names. In the report every link resolves and the search
# box filters; the report of a 2,000-class model (bench/delphi_synthetic_model.py) opens
# in under 1.5 s (the best of three loads, so that a busy machine does not fail it).
#   scripts/browser-check.sh [VEXLO [MODEL.mdl]]   (default: build/bin/vexlo, the example)
# Exit code 77 when Chromium is not installed (scripts/setup.sh installs it).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
vexlo=${1:-$root/build/bin/vexlo}
model=${2:-$root/examples/Example.mdl}
what="browser check"
. "$root/scripts/lib/chromium.sh"
"$vexlo" diagram "$model" --out "$work/out" >"$work/vexlo.log" 2>&1 || { cat "$work/vexlo.log"; exit 1; }

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
# A page that opens a report in a frame: how long until it is loaded and drawn, whether
# the search box filters the sidebar, and whether every link of the report resolves
# (anchors to elements of the page, files to files that load).
cat >"$work/probe.html" <<'HTML'
<!DOCTYPE html><html><body><pre id="result">pending</pre><script>
var params = new URLSearchParams(location.search), started = performance.now();
var frame = document.createElement('iframe');
frame.style.width = '1280px'; frame.style.height = '900px';
frame.onload = function () {
  requestAnimationFrame(function () {
    var out = ['load_ms ' + Math.round(performance.now() - started)], doc = frame.contentDocument;
    var items = doc.querySelectorAll('nav li[data-find]'), box = doc.getElementById('search');
    var word = params.get('find') || '';
    box.value = word; box.dispatchEvent(new Event('input'));
    var shown = 0;
    for (var i = 0; i < items.length; i++) if (!items[i].classList.contains('hidden')) shown++;
    out.push('search ' + word + ' ' + shown + ' of ' + items.length);
    box.value = ''; box.dispatchEvent(new Event('input'));
    if (!params.get('links')) { document.getElementById('result').textContent = out.join('\n'); return; }
    // Every part of the page shown (a big report loads its part files), then the links.
    Promise.resolve(frame.contentWindow.vexloShowAll()).then(function () {
      var links = doc.querySelectorAll('a[href]'), bad = [];
      for (var j = 0; j < links.length; j++) {
        var href = links[j].getAttribute('href');
        if (href.charAt(0) === '#') {
          if (!doc.getElementById(decodeURIComponent(href.slice(1)))) bad.push(href);
        } else {
          var request = new XMLHttpRequest();
          try { request.open('GET', links[j].href, false); request.send(); } catch (e) {}
          if (!request.responseText) bad.push(href);
        }
      }
      out.push('links ' + links.length + ' unresolved ' + bad.length + ' ' + bad.slice(0, 5).join(' '));
      document.getElementById('result').textContent = out.join('\n');
    });
  });
};
frame.src = params.get('report');
document.body.appendChild(frame);
</script></body></html>
HTML
probe() { # probe <what> <report> <word> [links]: the probe's result lines
  local extra=()
  # Checking links waits for part files: virtual time lets them load before the dump.
  [ -n "${4:-}" ] && extra=(--virtual-time-budget=30000)
  browse "$1" "file://$work/probe.html?report=file://$2&find=$3&links=${4:-}" --dump-dom "${extra[@]}" |
    sed -n 's/.*<pre id="result">//p; /^search\|^links/p' | sed 's/<\/pre>.*//'
}
first=$(echo "$classes" | head -1)
probe report "$work/out/index.html" "$first" links >"$work/report.probe"
if ! grep -q '^links [0-9]* unresolved 0 ' "$work/report.probe"; then echo "FAIL report: links that do not resolve:"; cat "$work/report.probe"; fail=1; fi
if ! grep -Eq "^search $first [1-9][0-9]* of " "$work/report.probe" ||
   awk '/^search/ { exit !($3 == $5) }' "$work/report.probe"; then
  echo "FAIL report: the search box does not filter:"; cat "$work/report.probe"; fail=1
fi
sed 's/^/ok report: /' "$work/report.probe"

# The report of 2,000 classes opens in time.
python3 "$root/bench/delphi_synthetic_model.py" 2000 "$work/big.mdl" >/dev/null
"$vexlo" diagram "$work/big.mdl" --out "$work/big" >"$work/big.log" 2>&1 || { cat "$work/big.log"; exit 1; }
best=999999
for n in 1 2 3; do
  ms=$(probe "big$n" "$work/big/index.html" "T01999" | sed -n 's/^load_ms //p')
  [ -n "$ms" ] && [ "$ms" -lt "$best" ] && best=$ms
done
if [ "$best" -ge 1500 ]; then echo "FAIL big report: opens in ${best} ms, more than 1500"; fail=1; else echo "ok big report: opens in ${best} ms"; fi
# Its parts are files beside it: every link still resolves once they are loaded.
probe big-links "$work/big/index.html" "T01999" links >"$work/big.probe"
if ! grep -q '^links [0-9]* unresolved 0 ' "$work/big.probe" || ! grep -q '^search T01999 1 of ' "$work/big.probe"; then
  echo "FAIL big report:"; cat "$work/big.probe"; fail=1
fi
[ -d "$work/big/index-parts" ] || { echo "FAIL big report: no part files"; fail=1; }
sed 's/^/ok big report: /' "$work/big.probe"

[ $fail -eq 0 ] && echo "browser check passed: index.html and ${#svgs[@]} SVGs in $("$chromium" --version 2>/dev/null | head -1)"
exit $fail
