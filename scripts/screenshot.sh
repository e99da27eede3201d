#!/usr/bin/env bash
# Takes a screenshot of the player playing a demo log with the demo layout, in a
# virtual X server: scripts/screenshot.sh BUILD_DIR OUTPUT.png [SECONDS]
set -euo pipefail
build=${1:-build}
out=${2:-docs/screenshot.png}
seconds=${3:-25}
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/tests/e2e/x11.sh"

begin_session

cp "$build/player/window/OrvanePlayer" "$work/"
cp "$root/data/demo/Orvane.ini" "$work/"
"$build/tools/orvane-mklog/orvane-mklog" --records 3000 --seed 1 "$work/orvn0001.bin"

start_x11
start_player
main=$(await_window "$PLAYER_WINDOW")
open_log "$main" 16 8 121 33 "$work/orvn0001.bin"
# Speed x5, so that the graphs fill with a good part of the drive.
choose_item "$main" 592 628 57 24 4
click_rect "$main" 152 8 121 33  # Play
sleep "$seconds"
mkdir -p "$(dirname "$out")"
import -window "$main" "$out"
echo "wrote $out"
