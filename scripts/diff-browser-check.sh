#!/usr/bin/env bash
# The pictures of `vexlo diff --pictures` in a real browser: the example is edited (an
# operation retyped, a class added with a view, an association removed), and headless
# Chromium loads every page written, with a check script appended to a copy of it: both
# pictures are drawn, the views of added, removed and changed elements carry their
# colours, the unchanged ones are faded, and the page reports no console errors.
#   scripts/diff-browser-check.sh [VEXLO [MODEL.mdl]]   (default: build/bin/vexlo, the example)
# Exit code 77 when Chromium is not installed (scripts/setup.sh installs it).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
vexlo=${1:-$root/build/bin/vexlo}
model=${2:-$root/examples/Example.mdl}
what="diff browser check"
. "$root/scripts/lib/chromium.sh"
cp "$model" "$work/old.mdl"
python3 - "$work/old.mdl" "$work/new.mdl" <<'PY'
import sys
text = open(sys.argv[1], encoding='latin-1').read()
def edit(anchor, old, new):
    global text
    at = text.index(old, text.index(anchor))
    text = text[:at] + new + text[at + len(old):]
edit('quid       \t"62B0A1C30059"', '"Integer"', '"Word"')                       # TBook.LoanDays retyped
cls = ('\t\t    (object Class "TJournal"\n\t\t\tquid       \t"62B0A1C3F001"\n'
       '\t\t\tmodule     \t"Component View::Delphi::Catalog"\n\t\t\tquidu      \t"62B0A1C30007"\n'
       '\t\t\tlanguage   \t"Delphi")\n')
edit('', '\t\t    (object Class "TCatalog"', cls + '\t\t    (object Class "TCatalog"')  # a class added
view = ('\t\t    \t(object ClassView "Class" "Logical View::Catalog::TJournal" @900\n'
        '\t\t    \t    location   \t(3200, 1900)\n\t\t    \t    quidu      \t"62B0A1C3F001"\n'
        '\t\t    \t    width      \t300\n\t\t    \t    height     \t150)\n')
edit('(object ClassDiagram "Catalog"', '\t\t    \t(object ClassView', view + '\t\t    \t(object ClassView')
start = text.index('\t\t    (object Association "$UNNAMED$5"')                        # an association removed
text = text[:start] + text[text.index('\t\t    (object Association "$UNNAMED$7"'):]
open(sys.argv[2], 'w', encoding='latin-1').write(text)
PY
set +e
"$vexlo" diff "$work/old.mdl" "$work/new.mdl" --pictures "$work/pictures" >"$work/vexlo.log" 2>&1
code=$?
set -e
[ $code -eq 1 ] || { echo "FAIL: vexlo diff exited with $code (1 expected)"; cat "$work/vexlo.log"; exit 1; }

check='(function () {
  var out = [];
  var svgs = document.querySelectorAll(".side svg");
  out.push("svgs " + svgs.length);
  svgs.forEach(function (s) { var r = s.getBoundingClientRect(); out.push("drawn " + (r.width > 50 && r.height > 50)); });
  ["added", "removed", "changed"].forEach(function (state) {
    var shape = document.querySelector("g[data-change=" + state + "] :is(rect, path, circle)");
    out.push(state + " " + (shape ? getComputedStyle(shape).stroke : "none"));
  });
  var faded = document.querySelector("g[data-change=unchanged]");
  out.push("unchanged " + (faded ? getComputedStyle(faded).opacity : "none"));
  var pre = document.createElement("pre"); pre.id = "check"; pre.textContent = out.join("\n");
  document.body.appendChild(pre);
})();'
printf '%s\n' "$check" >"$work/check.js"
seen=""
for page in "$work"/pictures/*.html; do
  name=$(basename "$page" .html)
  [ "$name" = index ] && continue
  sed 's#</body>#<script src="check.js"></script></body>#' "$page" >"$work/$name.check.html"
  browse "$name" "$work/$name.check.html" --dump-dom >"$work/$name.dom"
  check_console "$name"
  result=$(sed -n '/<pre id="check">/,/<\/pre>/p' "$work/$name.dom" | sed 's/<[^>]*>//g')
  [ -n "$result" ] || { echo "FAIL $name: the check script did not run"; fail=1; continue; }
  grep -qx 'svgs 2' <<<"$result" || { echo "FAIL $name: not both pictures"; fail=1; }
  if grep -q 'drawn false' <<<"$result"; then echo "FAIL $name: a picture is not drawn"; fail=1; fi
  grep -qx 'unchanged 0.3' <<<"$result" || { echo "FAIL $name: unchanged views are not faded"; fail=1; }
  for pair in "added rgb(26, 127, 55)" "removed rgb(207, 34, 46)" "changed rgb(191, 135, 0)"; do
    state=${pair%% *}
    if grep -q "^$state none" <<<"$result"; then continue; fi
    grep -qx "$pair" <<<"$result" || { echo "FAIL $name: $state views are not highlighted ($(grep "^$state" <<<"$result"))"; fail=1; }
    seen="$seen $state"
  done
  echo "ok $name: $(tr '\n' ';' <<<"$result")"
done
for state in added removed changed; do
  grep -qw "$state" <<<"$seen" || { echo "FAIL: no page shows $state views"; fail=1; }
done
[ $fail -eq 0 ] && echo "diff browser check passed in $("$chromium" --version 2>/dev/null | head -1)"
exit $fail
