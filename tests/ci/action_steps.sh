#!/usr/bin/env bash
# The GitHub Action's steps (.github/actions/vexlo) as a runner runs them, in a scratch
# repository made like a user's: the example model and the code generated from it, with
# the three zones lint asks for filled, committed. In sync: the gate and lint pass and
# nothing is written into the checkout. After a model change: the gate fails with exit
# code 1, the diff lands outside the checkout, in the job summary and, split between
# lines, in comments that together hold every line of it; the verdict fails the job.
# The GitLab job's script and the pre-commit hook then judge the same repository.
#   action_steps.sh BIN_DIR SOURCE_DIR
set -uo pipefail
bin=$1 source=$2
action="$source/.github/actions/vexlo"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

export VEXLO_REGISTRY="$work/registry.reg" PATH="$bin:$PATH"
export GITHUB_ACTION_PATH="$action" RUNNER_TEMP="$work/runner"
export GITHUB_OUTPUT="$work/output" GITHUB_STEP_SUMMARY="$work/summary.md"
export MODEL=model/Library.mdl OUT=src REPORTS="$work/runner/vexlo-report"
mkdir -p "$RUNNER_TEMP" "$work/repo/model"

# The action's first step: the cache key from the version and a digest of the sources.
if python3 -c 'import yaml' 2>/dev/null; then
  python3 -c 'import sys, yaml; print(yaml.safe_load(open(sys.argv[1]))["runs"]["steps"][0]["run"])' \
    "$action/action.yml" >"$work/version.sh"
  RUNNER_OS=Linux bash -e -o pipefail "$work/version.sh" || fail "the version step"
  grep -qE '^key=vexlo-Linux-[0-9.]+-[0-9a-f]{16}$' "$GITHUB_OUTPUT" || fail "the cache key: $(cat "$GITHUB_OUTPUT")"
  : >"$GITHUB_OUTPUT"
fi

# The user's repository.
cd "$work/repo" || exit 1
git init -q . && git config user.email ci@example.org && git config user.name CI
cp "$source/examples/Example.mdl" model/Library.mdl
vexlo generate "$MODEL" --out src >/dev/null || fail "the first generation"
fill() { # FILE SCOPE TAG TEXT: the text at the start of the zone
  TEXT="$4" perl -0pi -e "s{(//## begin $2%[^\\r\\n]*\\.$3 preserve=yes\\r\\n)}{\$1\$ENV{TEXT}}" "$1"
}
fill src/Delphi/Catalog.pas TItem preface $'  {$M+}\r\n'
fill src/Delphi/Members.pas TMember preface $'  TLoan = class;\r\n'
fill src/CSharp/LendingModel.cs LendingModel suses $'using System;\r\n'
git add -A && git commit -qm "model and code" || fail "the commit"

step() { : >"$GITHUB_OUTPUT"; bash "$action/$1"; grep -o 'code=.*' "$GITHUB_OUTPUT" | cut -d= -f2; }

gate=$(step gate.sh)
lint=$(step lint.sh >"$work/lint.log"; grep -o 'code=.*' "$GITHUB_OUTPUT" | cut -d= -f2)
[ "$gate" = 0 ] || fail "in sync: the gate's code is '$gate'"
[ "$lint" = 0 ] || { fail "in sync: lint's code is '$lint'"; cat "$work/lint.log"; }
GATE=$gate LINT=$lint bash "$action/verdict.sh" >/dev/null || fail "in sync: the verdict fails"
[ -z "$(git status --porcelain)" ] || fail "the checkout was written: $(git status --porcelain)"
[ -f "$REPORTS/check.json" ] && [ -f "$REPORTS/lint.sarif" ] || fail "no reports in $REPORTS"

# A model change.
sed -i 's/Title/Heading/g' "$MODEL" && git commit -qam "rename Title"
gate=$(step gate.sh)
[ "$gate" = 1 ] || fail "after a change: the gate's code is '$gate', not 1"
[ -s "$REPORTS/model.diff" ] && head -1 "$REPORTS/model.diff" | grep -q '^--- a/' || fail "no diff in $REPORTS"
[ -z "$(git status --porcelain)" ] || fail "the checkout was written: $(git status --porcelain)"

# The comment, split (a small limit here) between lines: the parts hold the whole diff.
mkdir -p "$work/fake" && cat >"$work/fake/gh" <<'GH'
#!/bin/sh
n=$(ls "$GH_OUT" | wc -l); cat >"$GH_OUT/$(printf %03d "$n").md"
GH
chmod +x "$work/fake/gh" && mkdir -p "$work/comments"
PATH="$work/fake:$PATH" GH_OUT="$work/comments" COMMENT=true PR=7 VEXLO_COMMENT_LIMIT=2000 \
  python3 "$action/post_diff.py" || fail "post_diff.py"
parts=$(ls "$work/comments" | wc -l)
[ "$parts" -gt 1 ] || fail "a diff longer than a comment is not split ($parts part)"
for part in "$work/comments"/*.md; do
  [ "$(wc -m <"$part")" -le 2000 ] || fail "$part is longer than the limit"
done
cat "$work/comments"/*.md | sed -e '/^The model generates/d' -e '/^```/d' -e '/^$/d' >"$work/joined"
sed '/^$/d' "$REPORTS/model.diff" | cmp -s - "$work/joined" || fail "the comments do not hold the diff line for line"
grep -q '^--- a/' "$GITHUB_STEP_SUMMARY" || fail "no diff in the job summary"
GATE=$gate LINT=0 bash "$action/verdict.sh" >"$work/verdict" && fail "the verdict passes a stale checkout"
grep -q "is not what $MODEL generates" "$work/verdict" || fail "the verdict does not say why: $(cat "$work/verdict")"
# A failure of vexlo under --check (6) is not "out of date".
GATE=6 LINT=0 bash "$action/verdict.sh" >"$work/verdict" && fail "the verdict passes a failed gate"
grep -q "could not check the model (exit code 6)" "$work/verdict" || fail "a failed gate reads as: $(cat "$work/verdict")"

# The GitLab job's script (docs/ci/vexlo.gitlab-ci.yml) and the pre-commit hook's
# command line, in the same repository, with vexlo as the job's cache would hold it.
mkdir -p .vexlo && ln -s "$bin" .vexlo/bin
if python3 -c 'import yaml' 2>/dev/null; then
  python3 -c 'import sys, yaml; print(yaml.safe_load(open(sys.argv[1]))["vexlo"]["script"][0])' \
    "$source/docs/ci/vexlo.gitlab-ci.yml" >"$work/gitlab.sh"
  MODEL=model/Library.mdl OUT=src bash -e "$work/gitlab.sh" >"$work/gitlab.log" 2>&1 && fail "the GitLab job passes a stale checkout"
  grep -q "regenerate: vexlo generate model/Library.mdl --out src" "$work/gitlab.log" || fail "the GitLab job: $(cat "$work/gitlab.log")"
  [ -s .vexlo/report/check.json ] || fail "the GitLab job wrote no report"
  git checkout -q HEAD~1 -- "$MODEL"
  MODEL=model/Library.mdl OUT=src bash -e "$work/gitlab.sh" >"$work/gitlab.log" 2>&1 || fail "the GitLab job fails in sync: $(cat "$work/gitlab.log")"
  git checkout -q HEAD -- "$MODEL"
else
  echo "python3-yaml is missing: the GitLab job's script is not run"
fi
entry=$(sed -n 's/^  entry: //p' "$source/.pre-commit-hooks.yaml" | head -1)
$entry model/Library.mdl --out src >/dev/null 2>&1
[ $? -eq 1 ] || fail "the pre-commit hook ($entry) does not fail a stale checkout with 1"

[ $failures -eq 0 ] && echo "the action's steps, the GitLab job and the pre-commit hook behave as documented"
exit $((failures > 0))
