#!/usr/bin/env bash
# Fetches the pinned npm packages whose sources the build compiles into .deps/ (git-ignored):
#   tree-sitter-c-sharp  the C# grammar the code readers parse C# with (generated parser,
#                        language version 14, which Debian's libtree-sitter reads)
#   tree-sitter          its vendored tree-sitter runtime sources, compiled only by the
#                        Windows cross builds (Debian has no mingw tree-sitter)
# Each archive is checked against its SHA-256 before it is unpacked; a mismatch stops.
# Safe to run again: a package already unpacked is kept.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
deps=${VEXLO_DEPS_DIR:-$root/.deps}
pins=(
  "tree-sitter-c-sharp 0.23.1 19c59068a19ff74b688c0985a19382503fc16b27f2b44b392aed908106700805"
  "tree-sitter 0.21.1 49d8edf6b34cd719a3e44a0ce154211f996039eee6b6a4b297c3e84f766d6d70"
)
mkdir -p "$deps"
for pin in "${pins[@]}"; do
  read -r name version sum <<<"$pin"
  dir="$deps/$name-$version"
  [ -f "$dir/.complete" ] && continue
  if ! command -v npm >/dev/null; then
    echo "fetch-npm-sources: npm is missing (apt-get install npm): $name $version not fetched" >&2
    exit 1
  fi
  echo "fetch-npm-sources: $name@$version"
  tmp=$(mktemp -d)
  (cd "$tmp" && npm pack --silent "$name@$version" >/dev/null)
  archive="$tmp/$name-$version.tgz"
  if ! echo "$sum  $archive" | sha256sum -c --quiet -; then
    echo "fetch-npm-sources: $name-$version.tgz does not have the pinned SHA-256: not unpacked" >&2
    rm -rf "$tmp"
    exit 1
  fi
  rm -rf "$dir"
  mkdir -p "$dir"
  tar xzf "$archive" -C "$dir"
  touch "$dir/.complete"
  rm -rf "$tmp"
done
