#!/usr/bin/env bash
# scripts/fuzz.sh [seconds]: builds the fuzz targets (scripts/build.sh fuzz) and runs each
# one briefly on a seed corpus made from the example and sample models cut at several lengths.
# Exits non-zero when a target finds a crash.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-${FUZZ_SECONDS:-20}}
build=${FUZZ_BUILD_DIR:-$root/build-fuzz}
models=${VEXLO_SAMPLE_MODELS:-$root/../shared/models}

if [ -z "${FUZZ_BUILD_DIR:-}" ]; then
  TARGETS="petal_fuzz zones_fuzz codereaders_fuzz" "$root/scripts/build.sh" fuzz
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
seeds=$work/seeds
mkdir -p "$seeds"
# The repository's own models always; the samples beside the project where present.
folders=("$root/examples")
if [ -d "$models" ]; then
  folders+=("$models")
else
  echo "fuzz.sh: no sample models at $models (set VEXLO_SAMPLE_MODELS); seeds from examples/ only" >&2
fi
n=0
while IFS= read -r -d '' f; do
  for len in 256 2048 16384 65536; do
    n=$((n + 1))
    head -c "$len" "$f" >"$seeds/seed_${n}"
  done
done < <(find "${folders[@]}" -type f \( -name '*.mdl' -o -name '*.cat' \) -print0)
# Generated Delphi and C# files (the generators' expected outputs), for the code readers.
while IFS= read -r -d '' f; do
  n=$((n + 1))
  head -c 16384 "$f" >"$seeds/seed_${n}"
done < <(find "$root/tests" -type f \( -name '*.pas' -o -name '*.dpr' -o -name '*.cs' \) -print0)
# A whole model with diagrams of every common kind of view, for the diagram reader, and
# the inputs that once failed.
cp "$root/examples/Example.mdl" "$seeds/example_whole"
cp "$root"/fuzz/regressions/* "$seeds/"


artifacts=$build/fuzz-artifacts
mkdir -p "$artifacts"
status=0
targets=$(find "$build/bin" -maxdepth 1 -type f -name '*_fuzz' -perm -u+x 2>/dev/null | sort)
if [ -z "$targets" ]; then
  echo "fuzz.sh: no fuzz targets in $build/bin" >&2
  exit 1
fi
for t in $targets; do
  name=$(basename "$t")
  corpus=$work/corpus_$name
  mkdir -p "$corpus"
  echo "== $name (${seconds}s)"
  if ! (cd "$work" && "$t" -max_total_time="$seconds" -max_len=16384 -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="$artifacts/$name-" "$corpus" "$seeds"); then
    echo "fuzz.sh: $name failed; the input is in $artifacts" >&2
    status=1
  fi
done
exit $status
