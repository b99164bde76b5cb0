#!/usr/bin/env bash
# bench/floor.sh: the generation table against the machine's own floor.
#
#   bench/floor.sh BINDIR [--sizes 2000,20000] [--runs 3] [--work DIR]
#
# For each size N a synthetic Delphi model of N classes is written
# (delphi_synthetic_model.py, 50 classes per unit) and, --runs times in turn:
#   floor   read the model file, then read and rewrite every output file of the run
#           (a temporary file beside it, renamed over it), timed inside one process;
#   durable the same with each temporary file flushed (fsync) before its rename and
#           every folder flushed after, as a run that survives a crash must at least do;
#   show    `vexlo show` (loading the model only);
#   first   `vexlo generate` into an empty folder;
#   regen   `vexlo generate` again over the files of the first run (zones read back).
# Each vexlo run is a whole process timed by /usr/bin/time (wall time, peak resident
# memory). The best time of the runs is shown with its multiple of the floor measured in
# the same run (show against the floor, first and regen against the durable floor);
# regen is also shown against first, and the first generation's time per class against
# that of the first size (1.00: linear growth). Wall times are only comparable within
# one table: run it on a machine at rest and take the best of several runs.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bindir=${1:?usage: bench/floor.sh BINDIR [--sizes LIST] [--runs K] [--work DIR]}
shift
sizes=2000,20000
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
# With "durable", each temporary file is flushed before its rename and each folder after.
floor() {
  python3 - "$1" "$2" "$3" <<'EOF'
import os, sys, time
model, out, durable = sys.argv[1], sys.argv[2], sys.argv[3] == "durable"
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
        if durable:
            f.flush()
            os.fsync(f.fileno())
    os.replace(temp, path)
if durable:
    for folder in sorted({os.path.dirname(path) for path in files}):
        fd = os.open(folder, os.O_RDONLY)
        os.fsync(fd)
        os.close(fd)
print("%.4f" % (time.perf_counter() - start))
EOF
}

min() { awk -v a="$1" -v b="$2" 'BEGIN { print (a == "" || b < a) ? b : a }'; }
max() { awk -v a="$1" -v b="$2" 'BEGIN { print (a == "" || b > a) ? b : a }'; }

echo "vexlo: $vexlo; $(date -u '+%Y-%m-%d %H:%M UTC'); load average $(cut -d' ' -f1-3 /proc/loadavg); best of $runs"
echo
echo "| N | model MB | floor ms | durable floor ms | show ms (× floor) | first ms (× durable) | regen ms (× durable, × first) | first ms/class (growth) | peak MB show / first / regen |"
echo "|---|---|---|---|---|---|---|---|---|"
IFS=, read -r -a list <<<"$sizes"
per_class0=
for n in "${list[@]}"; do
  model=$work/model-$n.mdl
  [ -f "$model" ] || python3 "$here/delphi_synthetic_model.py" "$n" "$model" generated >/dev/null
  out=$work/out-$n
  best_floor= best_durable= best_show= best_first= best_regen= peak_show= peak_first= peak_regen=
  for ((r = 0; r < runs; r++)); do
    rm -rf "$out"
    read -r s m < <(timed show "$model")
    best_show=$(min "$best_show" "$s"); peak_show=$(max "$peak_show" "$m")
    read -r s m < <(timed generate "$model" --out "$out")
    best_first=$(min "$best_first" "$s"); peak_first=$(max "$peak_first" "$m")
    read -r s m < <(timed generate "$model" --out "$out")
    best_regen=$(min "$best_regen" "$s"); peak_regen=$(max "$peak_regen" "$m")
    best_floor=$(min "$best_floor" "$(floor "$model" "$out" plain)")
    best_durable=$(min "$best_durable" "$(floor "$model" "$out" durable)")
  done
  per_class=$(awk -v g="$best_first" -v n="$n" 'BEGIN { printf "%.5f", g * 1000 / n }')
  [ -n "$per_class0" ] || per_class0=$per_class
  awk -v n="$n" -v size="$(stat -c %s "$model")" -v f="$best_floor" -v d="$best_durable" -v s="$best_show" \
      -v g="$best_first" -v r="$best_regen" -v pc="$per_class" -v pc0="$per_class0" \
      -v ms="$peak_show" -v mg="$peak_first" -v mr="$peak_regen" 'BEGIN {
    printf "| %d | %.1f | %.0f | %.0f | %.0f (%.1f) | %.0f (%.1f) | %.0f (%.1f, %.2f) | %.3f (%.2f) | %.1f / %.1f / %.1f |\n",
      n, size / 1e6, f * 1000, d * 1000, s * 1000, s / f, g * 1000, g / d, r * 1000, r / d, r / g,
      pc, pc / pc0, ms / 1024, mg / 1024, mr / 1024 }'
done
