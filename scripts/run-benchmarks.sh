#!/usr/bin/env bash
# Runs every benchmark program of a build folder and prints its figures. The player's
# playback benchmark runs twice: offscreen, and in a virtual X server (Xvfb), where
# every repaint is flushed to a real screen.
set -euo pipefail
build=${1:-build-bench}
root=$(cd "$(dirname "$0")/.." && pwd)
export QT_FONT_DPI=96 QT_ENABLE_HIGHDPI_SCALING=0
found=0
for b in "$build"/tests/bench/bench_*; do
  [ -f "$b" ] && [ -x "$b" ] || continue
  found=1
  echo "== $(basename "$b") (offscreen)"
  QT_QPA_PLATFORM=offscreen "$b" --benchmark_counters_tabular=true
done
[ "$found" = 1 ] || { echo "no benchmark programs in $build/tests/bench"; exit 0; }

player="$build/tests/bench/bench_player"
if [ -x "$player" ] && command -v Xvfb >/dev/null; then
  . "$root/tests/e2e/x11.sh"
  start_x11
  trap stop_x11 EXIT
  echo "== bench_player (Xvfb $DISPLAY)"
  QT_QPA_PLATFORM=xcb "$player" --benchmark_counters_tabular=true
fi
