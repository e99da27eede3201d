#!/usr/bin/env bash
# Takes a picture of the map window over a demo drive, in a virtual X server:
# scripts/map-screenshot.sh BUILD_DIR OUTPUT.png [SECONDS]
# The player opens the log from its command line, Ctrl+M opens the map, and the drive
# plays at x5 for SECONDS so that the live cell and its trail show.
set -euo pipefail
build=${1:-build}
out=${2:-docs/map.png}
seconds=${3:-12}
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/tests/e2e/x11.sh"

begin_test "$(dirname "$out")" "$build/player/window/OrvanePlayer" "$root/data/demo/Orvane.ini"
# The map window's place: on the left of the screen, over the player.
printf '\n[Map Window]\nLeft=0\nTop=0\nWidth=960\nHeight=720\n' >>"$work/Orvane.ini"
"$build/tools/orvane-mklog/orvane-mklog" --records 12000 --seed 1 "$work/orvn0001.bin"

start_x11
start_player "$work/orvn0001.bin"
main=$(await_window "$PLAYER_WINDOW")
xdotool windowfocus --sync "$main"
xdotool key --window "$main" ctrl+m
map=$(await_window "Map — orvn0001.bin")
# Speed x5 and Play, with the player's keys.
xdotool windowfocus --sync "$main"
xdotool key --window "$main" plus plus plus plus space
sleep "$seconds"
xdotool key --window "$main" space
sleep 1
import -window "$map" "$out"
echo "wrote $out"
