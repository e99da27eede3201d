#!/usr/bin/env bash
# Takes a screenshot of the player playing a demo log with the demo layout, in a
# virtual X server: scripts/screenshot.sh BUILD_DIR OUTPUT.png [SECONDS]
set -euo pipefail
build=${1:-build}
out=${2:-docs/screenshot.png}
seconds=${3:-25}
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/tests/e2e/x11.sh"

work=$(mktemp -d)
pid=""
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
  stop_x11
  rm -rf "$work"
}
trap cleanup EXIT

cp "$build/player/window/OrvanePlayer" "$work/"
cp "$root/data/demo/Orvane.ini" "$work/"
"$build/tools/orvane-mklog/orvane-mklog" --records 3000 --seed 1 "$work/orvn0001.bin"

start_x11
export QT_QPA_PLATFORM=xcb
(cd "$work" && exec ./OrvanePlayer) &
pid=$!
main=$(await_window "E39A Orvane LogFile Player")
click_rect "$main" 16 8 121 33  # Open
dialog=$(await_window "Orvane ログ ファイル選択")
xdotool windowfocus --sync "$dialog"
xdotool type --delay 10 "$work/orvn0001.bin"
xdotool key Return
wait_for 20 "the open dialog to close" no_window "Orvane ログ ファイル選択"
# Speed x5, so that the graphs fill with a good part of the drive.
click_rect "$main" 592 690 57 24
sleep 0.5
xdotool key Home Down Down Down Down Return
click_rect "$main" 152 8 121 33  # Play
sleep "$seconds"
mkdir -p "$(dirname "$out")"
import -window "$main" "$out"
echo "wrote $out"
