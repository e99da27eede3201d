#!/usr/bin/env bash
# End-to-end test of opening a log from the command line and driving the player from
# the keyboard, in a virtual X server: `OrvanePlayer LOG` with a name relative to the
# current folder, Play, then Space, Home, Right, Space and Ctrl+Q; then a name that
# cannot be opened, which is reported while the player stays up.
#
#   command-line-e2e.sh PLAYER ORVANE_MKLOG DEMO_INI ARTEFACT_DIR
set -euo pipefail
player=$1 mklog=$2 demo_ini=$3 artefacts=$4
here=$(cd "$(dirname "$0")" && pwd)
. "$here/x11.sh"

begin_test "$artefacts" "$player" "$demo_ini"

# About 100 ms between samples: at x1 the display changes several times a second.
"$mklog" --records 1200 --seed 3 "$work/orvn0002.bin"

start_x11

# Geometry of the demo layout.
strip=628
play_button=(152 8 121 33)
sample_texts=(24 $strip 260 26)

region_is() {
  local sum=$1
  shift
  [ "$(region_sum "$@")" = "$sum" ]
}
keys() {
  xdotool windowfocus --sync "$main"
  xdotool key "$@"
}
await_exit() {
  local status=0
  wait "$pid" || status=$?
  pid=""
  [ "$status" -eq 0 ] || fail "the player exited with status $status"
}

# --- A log named on the command line, relative to the current folder ---
start_player orvn0002.bin
main=$(await_window "$PLAYER_WINDOW")
no_window "$PLAYER_ERROR_WINDOW" || fail "the log was reported as bad"
await_log_title orvn0002.bin ||
  fail "the title does not name the log"
blank=$(region_sum "$main" "${sample_texts[@]}")

# Play is enabled only because the log was opened at start-up.
click_rect "$main" "${play_button[@]}"
wait_for 20 "samples to be shown" region_differs "$blank" "$main" "${sample_texts[@]}"
import -window "$main" "$artefacts/command-line-playing.png"

# Space pauses, though the Play button just clicked has the focus: the picture settles.
keys space
await_still "$main" "${sample_texts[@]}" 20 5
# Home stops and blanks the sample texts; Right shows the first sample.
keys Home
wait_for 10 "Stop to blank the sample" region_is "$blank" "$main" "${sample_texts[@]}"
keys Right
wait_for 10 "Next to show a sample" region_differs "$blank" "$main" "${sample_texts[@]}"
first=$(region_sum "$main" "${sample_texts[@]}")
# Space resumes: the samples move on again.
keys space
wait_for 20 "playback to resume" region_differs "$first" "$main" "${sample_texts[@]}"
keys ctrl+q
await_exit
echo "command-line log: opened, played, paused, stopped, stepped, resumed and quit by keys"

# --- A name that cannot be opened: reported, and the player stays up without a log ---
start_player missing.bin
box=$(await_window "$PLAYER_ERROR_WINDOW")
import -window "$box" "$artefacts/command-line-missing.png"
has_window "$PLAYER_WINDOW" || fail "the main window is not up under the message"
xdotool windowfocus --sync "$box"
xdotool key Return
wait_for 10 "the message to close" no_window "$PLAYER_ERROR_WINDOW"
main=$(await_window "$PLAYER_WINDOW")
# Play stays disabled: clicking it shows nothing.
blank=$(region_sum "$main" "${sample_texts[@]}")
click_rect "$main" "${play_button[@]}"
keys space
sleep 0.5  # nothing to wait for: nothing may happen
region_is "$blank" "$main" "${sample_texts[@]}" || fail "something played without a log"
keys ctrl+q
await_exit
echo "missing log: reported, player up without a log, quit by Ctrl+Q"
