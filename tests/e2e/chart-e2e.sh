#!/usr/bin/env bash
# End-to-end test of the chart window in a virtual X server with a window manager and
# real input: Ctrl+G opens the chart on a generated drive with a pause, the wheel zooms
# in, the pointer hovers over a pane, Ctrl+C copies the readout of the cursor (read back
# from the clipboard), and Ctrl+Q keeps the chart window's place.
#
#   chart-e2e.sh PLAYER ORVANE_MKLOG DEMO_INI ARTEFACT_DIR
set -euo pipefail
player=$1 mklog=$2 demo_ini=$3 artefacts=$4
here=$(cd "$(dirname "$0")" && pwd)
. "$here/x11.sh"

begin_test "$artefacts" "$player" "$demo_ini"
"$mklog" --records 6000 --seed 4 --pause 2500:653 "$work/orvn0001.bin"

start_x11
start_window_manager

keys_in() {
  xdotool windowactivate --sync "$1"
  xdotool key --clearmodifiers "${@:2}"
}

start_player orvn0001.bin
main=$(await_window "$PLAYER_WINDOW" 60)
await_log_title orvn0001.bin || fail "the log was not opened"
keys_in "$main" ctrl+g
chart=$(await_window "Chart — orvn0001.bin" 60)
xdotool windowsize --sync "$chart" 1000 700
# The panes (inside the window, away from the controls along its top and bottom).
panes=(80 60 860 460)
sleep 1
await_still "$chart" "${panes[@]}" 30 4
whole=$(region_sum "$chart" "${panes[@]}")
import -window "$chart" "$artefacts/chart-whole.png"

# The wheel zooms in around the pointer.
xdotool mousemove --window "$chart" 500 250
for _ in 1 2 3 4 5 6 7 8; do xdotool click 4; done
wait_for 10 "the wheel to zoom in" region_differs "$whole" "$chart" "${panes[@]}"
await_still "$chart" "${panes[@]}" 20 3
import -window "$chart" "$artefacts/chart-zoomed.png"

# Hovering: the cursor's readout, copied with Ctrl+C.
xdotool mousemove --window "$chart" 520 260
sleep 0.5
xdotool key --clearmodifiers ctrl+c
copied() { xclip -o -selection clipboard 2>/dev/null; }
wait_for 10 "the readout on the clipboard" sh -c "xclip -o -selection clipboard 2>/dev/null | grep -q '^Sample	'"
text=$(copied)
printf '%s\n' "$text" >"$artefacts/chart-readout.txt"
sample=$(printf '%s\n' "$text" | sed -n 's/^Sample\t\([0-9]*\)$/\1/p')
[ -n "$sample" ] && [ "$sample" -gt 1 ] || fail "no cursor sample in the readout: $text"
printf '%s\n' "$text" | grep -Eq '^Time	[0-9]{2}:[0-9]{2}:[0-9]{2}\.[0-9]{3}$' ||
  fail "no time to the millisecond in the readout: $text"
printf '%s\n' "$text" | grep -Eq '^Engine speed	[0-9]+rpm$' || fail "no engine speed in the readout: $text"
printf '%s\n' "$text" | grep -Eq '^Coolant temp	-?[0-9]+(\.[0-9]{2})?c$' || fail "no coolant in the readout: $text"
echo "chart: opened with Ctrl+G, zoomed with the wheel, the readout of sample $sample copied"

keys_in "$chart" ctrl+q
status=0
wait "$pid" || status=$?
pid=""
[ "$status" -eq 0 ] || fail "Ctrl+Q in the chart window: the player exited with status $status"
grep -q '^\[Chart Window\]' "$work/Orvane.ini" || fail "the chart window's place was not saved"
echo "chart: Ctrl+Q in the chart quit with its place saved"
