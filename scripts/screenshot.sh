#!/usr/bin/env bash
# Takes a screenshot of the player playing a demo log with the demo layout, in a
# virtual X server: scripts/screenshot.sh BUILD_DIR OUTPUT.png [SECONDS]
# The player opens the log from its command line and plays it at x5 for SECONDS.
set -euo pipefail
build=${1:-build}
out=${2:-docs/screenshot.png}
seconds=${3:-25}
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/tests/e2e/x11.sh"

begin_test "$(dirname "$out")" "$build/player/window/OrvanePlayer" "$root/data/demo/Orvane.ini"
"$build/tools/orvane-mklog/orvane-mklog" --records 3000 --seed 1 "$work/orvn0001.bin"

start_x11
start_player "$work/orvn0001.bin"
main=$(await_window "$PLAYER_WINDOW")
await_log_title orvn0001.bin || fail "the title does not name the log"
# Speed x5, so that the graphs fill with a good part of the drive, and Play, with the
# player's keys.
xdotool windowfocus --sync "$main"
xdotool key --window "$main" plus plus plus plus space
sleep "$seconds"
import -window "$main" "$out"
echo "wrote $out"
