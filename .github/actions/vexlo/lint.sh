#!/usr/bin/env bash
# Lint: the findings in the log as annotations on the model's lines, the report and a
# SARIF log (for code scanning) in the reports folder.
set -uo pipefail
. "$GITHUB_ACTION_PATH/options.sh"
[ -n "${KNOWN_TYPES:-}" ] && options+=(--known-types "$KNOWN_TYPES")
vexlo lint "$MODEL" "${options[@]}" --report "$REPORTS/lint.json" >"$REPORTS/lint.txt"
code=$?
echo "code=$code" >>"$GITHUB_OUTPUT"
cat "$REPORTS/lint.txt"
# FILE:LINE: RULE: PATH: MESSAGE -> an error annotation (% and line ends escaped).
while IFS= read -r line; do
  if [[ "$line" =~ ^(.+):([0-9]+):\ ([a-z-]+):\ (.*)$ ]]; then
    text=${BASH_REMATCH[4]//%/%25}
    echo "::error file=${BASH_REMATCH[1]},line=${BASH_REMATCH[2]},title=vexlo lint ${BASH_REMATCH[3]}::$text"
  fi
done <"$REPORTS/lint.txt"
vexlo lint "$MODEL" "${options[@]}" --format sarif >"$REPORTS/lint.sarif" 2>/dev/null
exit 0
