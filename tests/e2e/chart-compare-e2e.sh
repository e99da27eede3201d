#!/usr/bin/env bash
# End-to-end test of comparing two logs in the chart, in a virtual X server with a window
# manager and real input: a log is opened, Ctrl+Shift+O and the real file dialog open a
# second drive (its slots in another order) as the reference, Ctrl+G opens the chart,
# a click shows a sample, the pointer hovers over a pane, L aligns the reference there (the offset lands in the
# log's marks file), and Ctrl+C copies the readout with both values and the difference.
#
#   chart-compare-e2e.sh PLAYER ORVANE_MKLOG DEMO_INI ARTEFACT_DIR
set -euo pipefail
player=$1 mklog=$2 demo_ini=$3 artefacts=$4
here=$(cd "$(dirname "$0")" && pwd)
. "$here/x11.sh"

begin_test "$artefacts" "$player" "$demo_ini"
"$mklog" --records 3000 --seed 4 --slots 33,23,7,38 "$work/orvn0001.bin"
"$mklog" --records 2500 --seed 9 --slots 7,33,23 "$work/orvn0002.bin"

start_x11
start_window_manager

keys_in() {
  xdotool windowactivate --sync "$1"
  xdotool key --clearmodifiers "${@:2}"
}

start_player orvn0001.bin
main=$(await_window "$PLAYER_WINDOW" 60)
await_log_title orvn0001.bin || fail "the log was not opened"

# Compare with…: the real dialog, the path typed in.
keys_in "$main" ctrl+shift+o
dialog=$(await_window "Compare with a log" 30) || fail "no dialog for the reference"
xdotool windowfocus --sync "$dialog"
xdotool type --delay 10 "$work/orvn0002.bin"
xdotool key Return
wait_for 20 "the dialog to close" no_window "Compare with a log"

keys_in "$main" ctrl+g
chart=$(await_window "Chart — orvn0001.bin" 60)
xdotool windowsize --sync "$chart" 1000 700
panes=(80 60 860 460)
sleep 1
await_still "$chart" "${panes[@]}" 30 4
import -window "$chart" "$artefacts/chart-compare.png"

marks="$work/orvn0001.marks"
offset_of() { sed -n 's/^ReferenceOffset=\(.*\)\r\{0,1\}$/\1/p' "$marks" 2>/dev/null | tr -d '\r'; }
grep -q '^Reference=orvn0002.bin' "$marks" || fail "the marks file does not name the reference"
before=$(offset_of)

# A click shows a sample late in the drive; then L puts the reference's sample under the
# pointer, early in its drive, at it.
xdotool mousemove --window "$chart" 700 200
sleep 0.3
xdotool click 1
sleep 0.5
xdotool mousemove --window "$chart" 200 200
sleep 0.5
xdotool key --clearmodifiers l
offset_changed() { [ "$(offset_of)" != "$before" ]; }
wait_for 10 "the offset to change" offset_changed
after=$(offset_of)
[ -n "$after" ] && [ "$after" != 0 ] || fail "no offset after L: '$after'"
sleep 0.5
import -window "$chart" "$artefacts/chart-compare-aligned.png"
echo "chart-compare: L aligned the reference, offset $before -> $after ms"

# Ctrl+C: the readout of the cursor with both logs' values and the difference.
xdotool mousemove --window "$chart" 700 200
sleep 0.5
xdotool key --clearmodifiers ctrl+c
wait_for 10 "the readout on the clipboard" sh -c "xclip -o -selection clipboard 2>/dev/null | grep -q '^Sample	'"
text=$(xclip -o -selection clipboard 2>/dev/null)
printf '%s\n' "$text" >"$artefacts/chart-compare-readout.txt"
printf '%s\n' "$text" | grep -Eq '^Sample	[0-9]+	[0-9]+$' || fail "no samples of both logs: $text"
printf '%s\n' "$text" | grep -Eq '^Time	[0-9:.]{12}	[0-9:.]{12}$' || fail "no times of both logs: $text"
printf '%s\n' "$text" | grep -Eq '^Engine speed	[0-9]+rpm	[0-9]+rpm	-?[0-9]+rpm$' ||
  fail "no engine speed of both logs with the difference: $text"
printf '%s\n' "$text" | grep -Eq '^Knock sum	[0-9]+	\(main only\)	$' || fail "knock sum not marked as the log's alone: $text"
seconds=$(printf '%s\n' "$text" | sed -n 's/^Offset	\([-+][0-9]*\.[0-9]\{3\}\) s$/\1/p')
[ -n "$seconds" ] || fail "no offset in the copy: $text"
echo "chart-compare: the readout with both values and the difference copied (offset $seconds s)"

keys_in "$chart" ctrl+q
status=0
wait "$pid" || status=$?
pid=""
[ "$status" -eq 0 ] || fail "Ctrl+Q in the chart window: the player exited with status $status"
