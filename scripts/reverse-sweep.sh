#!/usr/bin/env bash
# scripts/reverse-sweep.sh [ROUNDS] [FIRST_SEED]: the random-edit test of `vexlo reverse`
# for many seeds (CI runs one round per model and language). Each round edits the generated
# code of the example and of each sample model at random, reverses, and checks the fixed
# point and the zones; a failure prints VEXLO_REVERSE_SEED=S, which repeats it.
# About 4 seconds a round in the Debug tree.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export VEXLO_REVERSE_ROUNDS=${1:-50} VEXLO_REVERSE_SEED=${2:-1}
exec "$root/build/bin/reverse_run_tests" --gtest_filter='RandomEdit.*'
