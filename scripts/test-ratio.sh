#!/usr/bin/env bash
# scripts/test-ratio.sh: C++ lines of the tests against C++ lines of everything else.
# Counts tracked *.cpp/*.h/*.hpp files; generated files are not tracked (build trees hold them).
set -euo pipefail
cd "$(dirname "$0")/.."
count() { git ls-files -z -- "$@" | xargs -0 -r cat | wc -l; }
cpp=('*.cpp' '*.h' '*.hpp' '*.cc')
tests=$(count "${cpp[@]/#/tests/}")
all=$(count "${cpp[@]}")
code=$((all - tests))
awk -v t="$tests" -v c="$code" 'BEGIN { printf "tests %d lines, code %d lines, ratio %.2f\n", t, c, c ? t / c : 0 }'
