#!/usr/bin/env bash
# bench/floor.sh: the generation table against the machine's own floor.
#
#   bench/floor.sh BINDIR [--sizes 500,1000,2000,4000] [--runs 3] [--work DIR]
#
# For each size N a synthetic Delphi model of N classes is written
# (delphi_synthetic_model.py, 50 classes per unit) and, --runs times in turn:
#   floor   read the model file, then read and rewrite every output file of the run
#           (a temporary file beside it, renamed over it), timed inside one process;
#   show    `vexlo show` (loading the model only);
#   first   `vexlo generate` into an empty folder;
#   regen   `vexlo generate` again over the files of the first run (zones read back).
# Each vexlo run is a whole process timed by /usr/bin/time (wall time, peak resident
# memory). The best time of the runs is shown with its multiple of the floor measured in
# the same run; regen is also shown against first. Wall times are only comparable
# within one table: run it on a machine at rest.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bindir=${1:?usage: bench/floor.sh BINDIR [--sizes LIST] [--runs K] [--work DIR]}
shift
sizes=500,1000,2000,4000
runs=3
work=${TMPDIR:-/tmp}/vexlo-floor
while [ $# -gt 0 ]; do
  case "$1" in
    --sizes) sizes=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    --work) work=$2; shift 2 ;;
    *) echo "unknown option: $1" >&2; exit 2 ;;
  esac
done
vexlo=$(cd "$bindir" && pwd)/vexlo
[ -x "$vexlo" ] || { echo "no vexlo in $bindir" >&2; exit 2; }
mkdir -p "$work"
export VEXLO_REGISTRY=$work/registry.reg

# Prints "SECONDS PEAK_KB" of one vexlo run; its output goes to $work/last.log. The
# wall time is taken around the process in nanoseconds (time's own is in hundredths).
timed() {
  local start end
  start=$(date +%s%N)
  /usr/bin/time -f "%M" -o "$work/time.txt" "$vexlo" "$@" >"$work/last.log" 2>&1 ||
    { echo "vexlo $* failed:" >&2; tail -n 5 "$work/last.log" >&2; exit 1; }
  end=$(date +%s%N)
  echo "$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.4f", (b - a) / 1e9 }') $(cat "$work/time.txt")"
}

# The floor: the model read once, every output file read and written back through a
# temporary file and a rename, as a generation that changed nothing would at least do.
floor() {
  python3 - "$1" "$2" <<'EOF'
import os, sys, time
model, out = sys.argv[1], sys.argv[2]
files = [os.path.join(d, n) for d, _, names in os.walk(out) for n in names]
start = time.perf_counter()
with open(model, "rb") as f:
    f.read()
for path in files:
    with open(path, "rb") as f:
        data = f.read()
    temp = path + ".floor"
    with open(temp, "wb") as f:
        f.write(data)
    os.replace(temp, path)
print("%.4f" % (time.perf_counter() - start))
EOF
}

min() { awk -v a="$1" -v b="$2" 'BEGIN { print (a == "" || b < a) ? b : a }'; }
max() { awk -v a="$1" -v b="$2" 'BEGIN { print (a == "" || b > a) ? b : a }'; }

echo "vexlo: $vexlo; $(date -u '+%Y-%m-%d %H:%M UTC'); load average $(cut -d' ' -f1-3 /proc/loadavg); best of $runs"
echo
echo "| N | model MB | floor ms | show ms (× floor) | first ms (× floor) | regen ms (× floor, × first) | peak MB show / first / regen |"
echo "|---|---|---|---|---|---|---|"
IFS=, read -r -a list <<<"$sizes"
for n in "${list[@]}"; do
  model=$work/model-$n.mdl
  [ -f "$model" ] || python3 "$here/delphi_synthetic_model.py" "$n" "$model" generated >/dev/null
  out=$work/out-$n
  best_floor= best_show= best_first= best_regen= peak_show= peak_first= peak_regen=
  for ((r = 0; r < runs; r++)); do
    rm -rf "$out"
    read -r s m < <(timed show "$model")
    best_show=$(min "$best_show" "$s"); peak_show=$(max "$peak_show" "$m")
    read -r s m < <(timed generate "$model" --out "$out")
    best_first=$(min "$best_first" "$s"); peak_first=$(max "$peak_first" "$m")
    read -r s m < <(timed generate "$model" --out "$out")
    best_regen=$(min "$best_regen" "$s"); peak_regen=$(max "$peak_regen" "$m")
    best_floor=$(min "$best_floor" "$(floor "$model" "$out")")
  done
  awk -v n="$n" -v size="$(stat -c %s "$model")" -v f="$best_floor" -v s="$best_show" -v g="$best_first" \
      -v r="$best_regen" -v ms="$peak_show" -v mg="$peak_first" -v mr="$peak_regen" 'BEGIN {
    printf "| %d | %.1f | %.0f | %.0f (%.1f) | %.0f (%.1f) | %.0f (%.1f, %.2f) | %.1f / %.1f / %.1f |\n",
      n, size / 1e6, f * 1000, s * 1000, s / f, g * 1000, g / f, r * 1000, r / f, r / g,
      ms / 1024, mg / 1024, mr / 1024 }'
done
