#!/usr/bin/env bash
# The gate: the code as the model generates it, compared with the checkout. The diff
# (standard output alone) and the report go to the reports folder, outside the checkout.
set -uo pipefail
. "$GITHUB_ACTION_PATH/options.sh"
vexlo generate "$MODEL" "${options[@]}" --check --diff --report "$REPORTS/check.json" >"$REPORTS/model.diff"
code=$?
echo "code=$code" >>"$GITHUB_OUTPUT"
[ -s "$REPORTS/model.diff" ] || rm -f "$REPORTS/model.diff"
exit 0 # verdict.sh decides, after the lint and the comment
