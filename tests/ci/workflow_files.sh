#!/usr/bin/env bash
# The CI files users take from this repository, checked as their hosts would read them:
# the GitHub Action and the example workflow against GitHub's schemas (action-validator,
# from npm: scripts/setup.sh installs it into .tools/), the GitLab job and the pre-commit
# hooks as YAML with the keys they need; docs/CI.md shows the example workflow verbatim.
#   workflow_files.sh SOURCE_DIR        exit 77 (skipped) without action-validator
set -uo pipefail
source=$1
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

# docs/CI.md's first yaml block is docs/ci/model.yml, so that what users paste is what is checked.
awk '/^```yaml$/{on=1; next} /^```$/{if (on) exit} on' "$source/docs/CI.md" | cmp -s - "$source/docs/ci/model.yml" ||
  fail "docs/CI.md's workflow differs from docs/ci/model.yml"

python3 -c 'import yaml' 2>/dev/null || { echo "python3-yaml is not installed (scripts/setup.sh installs it)"; exit 77; }
python3 - "$source" <<'PY' || failures=$((failures + 1))
import sys, yaml
root = sys.argv[1]
ok = True
job = yaml.safe_load(open(root + "/docs/ci/vexlo.gitlab-ci.yml"))["vexlo"]
for key in ("image", "script", "artifacts", "cache"):
    if key not in job:
        print("FAILED: the GitLab job has no", key); ok = False
hooks = yaml.safe_load(open(root + "/.pre-commit-hooks.yaml"))
for hook in hooks:
    missing = {"id", "name", "entry", "language"} - set(hook)
    if missing:
        print("FAILED: pre-commit hook", hook.get("id"), "lacks", missing); ok = False
sys.exit(0 if ok else 1)
PY

validator="$source/.tools/node_modules/.bin/action-validator"
if [ ! -x "$validator" ]; then
  echo "action-validator is not installed (scripts/setup.sh installs it into .tools/)"
  [ $failures -eq 0 ] && exit 77
  exit 1
fi
for file in "$source/.github/actions/vexlo/action.yml" "$source/docs/ci/model.yml"; do
  "$validator" "$file" >/dev/null || fail "$file: $("$validator" "$file" 2>&1 | head -20)"
done
[ $failures -eq 0 ] && echo "workflow files valid"
exit $((failures > 0))
