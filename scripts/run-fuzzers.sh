#!/usr/bin/env bash
# Runs each libFuzzer target of a build folder for a bounded time on its corpus.
set -euo pipefail
build=${1:-build-fuzz}
seconds=${FUZZ_SECONDS:-60}
for f in "$build"/tests/fuzz/fuzz_*; do
  [ -f "$f" ] && [ -x "$f" ] || continue
  name=$(basename "$f")
  corpus="tests/fuzz/corpus/${name#fuzz_}"
  work=$(mktemp -d)
  [ -d "$corpus" ] && cp -r "$corpus"/. "$work"/
  echo "== $name for ${seconds}s"
  "$f" -max_total_time="$seconds" -max_len=65536 "$work"
  rm -rf "$work"
done
