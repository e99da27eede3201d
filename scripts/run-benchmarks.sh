#!/usr/bin/env bash
# Runs every benchmark program of a build folder and prints its figures.
set -euo pipefail
build=${1:-build-bench}
found=0
for b in "$build"/tests/bench/bench_*; do
  [ -f "$b" ] && [ -x "$b" ] || continue
  found=1
  echo "== $(basename "$b")"
  QT_QPA_PLATFORM=offscreen QT_FONT_DPI=96 QT_ENABLE_HIGHDPI_SCALING=0 "$b" --benchmark_counters_tabular=true
done
[ "$found" = 1 ] || echo "no benchmark programs in $build/tests/bench"
