#!/usr/bin/env bash
# Starts the player on demo data: the demo layout and three generated logs go into the
# program's folder (where the player looks for Orvane.ini and opens its dialog).
# Without a display, plays a demo log in a virtual X server and saves a screenshot.
set -euo pipefail
build=${1:-build}
root=$(cd "$(dirname "$0")/.." && pwd)
folder="$build/player/window"

# The layout is placed once: the player writes its window position back into it.
[ -f "$folder/Orvane.ini" ] || cp "$root/data/demo/Orvane.ini" "$folder/Orvane.ini"
for n in 1 2 3; do
  log="$folder/orvn000$n.bin"
  [ -f "$log" ] || "$build/tools/orvane-mklog/orvane-mklog" --records $((3000 * n)) --seed "$n" "$log"
done

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: playing a demo log in a virtual X server instead."
  bash "$root/scripts/screenshot.sh" "$build" "$build/demo-screenshot.png" 20
  echo "Look at $build/demo-screenshot.png, or run 'make demo' on a desktop."
  exit 0
fi

echo "Starting OrvanePlayer from $folder: press Open and choose orvn0001.bin, then Play."
exec "$folder/OrvanePlayer"
