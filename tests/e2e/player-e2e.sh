#!/usr/bin/env bash
# End-to-end test of the real player in a virtual X server: open a demo log through the
# real open dialog, play it at "Max" to the end, rewind, export it, move the window and
# quit; then a start with a broken settings file.
#
#   player-e2e.sh PLAYER ORVANE_MKLOG ORVANE_CSV DEMO_INI ARTEFACT_DIR
set -euo pipefail
player=$1 mklog=$2 csvtool=$3 demo_ini=$4 artefacts=$5
here=$(cd "$(dirname "$0")" && pwd)
. "$here/x11.sh"

begin_test "$artefacts" "$player" "$demo_ini"

cp "$work/Orvane.ini" "$work/Orvane.ini.before"
"$mklog" --records 3000 --seed 7 "$work/orvn0001.bin"
"$csvtool" --stdout "$work/orvn0001.bin" > "$work/expected.csv"

start_x11

# Geometry of the demo layout: the buttons, and the control strip at the bottom.
strip=628
open_button=(16 8 121 33) play_button=(152 8 121 33) output_button=(288 8 73 33)
quit_button=(376 8 65 33)
sample_texts=(24 $strip 260 26)

start_player
main=$(await_window "$PLAYER_WINDOW")
echo "player window $main"

open_log "$main" "${open_button[@]}" "$work/orvn0001.bin"
blank=$(region_sum "$main" "${sample_texts[@]}")
choose_item "$main" 592 $strip 57 24 5  # speed "Max"

click_rect "$main" "${play_button[@]}"
wait_for 20 "playback to start" region_differs "$blank" "$main" "${sample_texts[@]}"
sleep 0.3
import -window "$main" "$artefacts/playing.png"
await_still "$main" "${sample_texts[@]}" 180 6
import -window "$main" "$artefacts/played.png"

# Rewind (the end of the log leaves the read position at its end) and export.
click_rect "$main" 400 $strip 33 26
click_rect "$main" "${output_button[@]}"
wait_for 30 "the CSV export" cmp -s "$work/orvn0001.csv" "$work/expected.csv"

# Move the window and quit.
xdotool windowmove "$main" 200 150
wait_for 10 "the window to move" sh -c "xdotool getwindowgeometry '$main' | grep -q 'Position: 200,150'"
sleep 0.3
click_rect "$main" "${quit_button[@]}"
status=0
wait "$pid" || status=$?
pid=""
[ "$status" -eq 0 ] || fail "the player exited with status $status"

# The file as it was, with Left and Top of [Main Form] replaced.
awk '/^\[/ { inMain = ($0 ~ /^\[Main Form\]/) }
     inMain && /^Left=/ { sub(/^Left=[^\r]*/, "Left=200") }
     inMain && /^Top=/ { sub(/^Top=[^\r]*/, "Top=150") }
     { print }' ORS='\n' "$work/Orvane.ini.before" > "$work/Orvane.ini.expected"
cmp "$work/Orvane.ini" "$work/Orvane.ini.expected" || fail "Orvane.ini differs beyond Left and Top"
echo "first run passed: CSV equals orvane-csv, position stored, nothing else changed"

# A broken settings file: the layout error is shown and the program ends without
# writing its position.
printf '[Main Form]\r\nLeft=5\r\n[Sensor Name1]\r\nFontBold=yes\r\n' > "$work/Orvane.ini"
cp "$work/Orvane.ini" "$work/Orvane.ini.before"
start_player
box=$(await_window "$PLAYER_ERROR_WINDOW")
import -window "$box" "$artefacts/layout-error.png"
no_window "$PLAYER_WINDOW" || fail "the main window showed despite the layout error"
xdotool windowfocus --sync "$box"
xdotool key Return
status=0
wait "$pid" || status=$?
pid=""
[ "$status" -ne 0 ] || fail "a failed layout must not exit with status 0"
cmp "$work/Orvane.ini" "$work/Orvane.ini.before" || fail "the failed start wrote the settings file"
echo "second run passed: layout error shown, nothing written"
