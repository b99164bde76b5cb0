# The options both steps share, from the action's inputs (sourced by gate.sh and lint.sh).
options=()
[ -n "${OUT:-}" ] && options+=(--out "$OUT")
[ -n "${LANGUAGE:-}" ] && options+=(--language "$LANGUAGE")
[ -n "${TYPE_MAP:-}" ] && options+=(--type-map "$TYPE_MAP")
while IFS= read -r symbol; do
  [ -n "$symbol" ] && options+=(--path-map "$symbol")
done <<<"${PATH_MAP:-}"
mkdir -p "$REPORTS"
