#!/usr/bin/env bash
# scripts/fault-sweep.sh: the transaction tests' fault switch at every change a run makes
# (killed, asked to stop, a full disk, a file edited by someone else), where CI tries a
# sample; for generate and for reverse (its model's commit, then its code's). Takes about
# half an hour (reverse alone: 143 changes, some twelve minutes on a loaded machine); run
# it after changing the commit or the recovery.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export VEXLO_SWEEP_ALL=1
"$root/build/bin/transaction_tests" \
  --gtest_filter='Faults/*:RunStateTest.AFileChangedWhileTheRunRunsIsNeverOverwritten' "$@"
exec "$root/build/bin/reverse_run_tests" --gtest_filter='ReverseCase.AFaultAtAnyStep*' "$@"
