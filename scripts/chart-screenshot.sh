#!/usr/bin/env bash
# Takes a picture of the chart window over a demo drive with two pauses in its logging,
# in a virtual X server: scripts/chart-screenshot.sh BUILD_DIR OUTPUT.png [SECONDS]
# The player opens the log from its command line, Ctrl+G opens the chart, the drive
# plays at x5 for SECONDS, and the pointer rests over the chart so that its cursor and
# readout show.
set -euo pipefail
build=${1:-build}
out=${2:-docs/chart.png}
seconds=${3:-6}
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/tests/e2e/x11.sh"

begin_test "$(dirname "$out")" "$build/player/window/OrvanePlayer" "$root/data/demo/Orvane.ini"
printf '\n[Chart Window]\nLeft=0\nTop=0\nWidth=1200\nHeight=780\n' >>"$work/Orvane.ini"
"$build/tools/orvane-mklog/orvane-mklog" --records 12000 --seed 1 --pause 5200:653 \
  --pause 9100:275 "$work/orvn0001.bin"

start_x11
start_player "$work/orvn0001.bin"
main=$(await_window "$PLAYER_WINDOW")
xdotool windowfocus --sync "$main"
xdotool key --window "$main" ctrl+g
chart=$(await_window "Chart — orvn0001.bin")
xdotool windowfocus --sync "$main"
xdotool key --window "$main" plus plus plus plus space
sleep "$seconds"
xdotool key --window "$main" space
sleep 1
xdotool mousemove --window "$chart" 700 300
sleep 1
import -window "$chart" "$out"
echo "wrote $out"
