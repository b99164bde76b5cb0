# Headless Chromium for the browser checks, sourced by scripts/*browser-check.sh.
# Before sourcing, set `what` (the check's name for the skip line). Afterwards: $chromium,
# $work (a scratch folder removed at exit, with its own registry file), `browse` and
# `check_console`, and `fail` (0) for the check to set.
chromium=$(command -v chromium || command -v chromium-browser || true)
if [ -z "$chromium" ]; then
  echo "$what skipped: chromium is not installed (scripts/setup.sh installs it)"
  exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export VEXLO_REGISTRY="$work/registry.reg"
fail=0

browse() { # browse <name> <file or URL> <extra flags...>: one headless load, its log in $work/<name>.err
  local name=$1 file=$2; shift 2
  case "$file" in *://*) ;; *) file="file://$file" ;; esac
  timeout 90 "$chromium" --headless --no-sandbox --disable-gpu --no-first-run --disable-background-networking \
    --disable-component-update --disable-sync --user-data-dir="$work/profile-$name" \
    --enable-logging=stderr --v=0 --allow-file-access-from-files "$@" "$file" 2>"$work/$name.err"
}

check_console() { # check_console <name>: console and script errors the page reported fail the check
  if grep -E 'CONSOLE|Uncaught|SyntaxError|Failed to load' "$work/$1.err" | grep -viE 'dbus|gpu|sandbox' >"$work/$1.console"; then
    if [ -s "$work/$1.console" ]; then echo "FAIL $1: console messages:"; cat "$work/$1.console"; fail=1; fi
  fi
}
