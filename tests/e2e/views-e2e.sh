#!/usr/bin/env bash
# End-to-end test of the player's keys in the windows beside it and of ending signals
# during a range export, in a virtual X server with a window manager and real key
# presses: with the map window in front, Space plays and pauses the log and Ctrl+Q quits
# the player (its position and the map window's place saved); then SIGTERM and SIGHUP
# during a range export end the player as the tool ends: the temporary file removed, the
# earlier export untouched.
#
#   views-e2e.sh PLAYER ORVANE_MKLOG DEMO_INI ARTEFACT_DIR
set -euo pipefail
player=$1 mklog=$2 demo_ini=$3 artefacts=$4
here=$(cd "$(dirname "$0")" && pwd)
. "$here/x11.sh"

begin_test "$artefacts" "$player" "$demo_ini"
"$mklog" --records 1200 --seed 3 "$work/orvn0002.bin"

start_x11
start_window_manager

sample_texts=(24 628 260 26)
region_is() {
  local sum=$1
  shift
  [ "$(region_sum "$@")" = "$sum" ]
}
# Real key presses to the window that has the focus.
keys_in() {
  xdotool windowactivate --sync "$1"
  xdotool key --clearmodifiers "${@:2}"
}

# --- The player's keys with the map window in front ---
start_player orvn0002.bin
main=$(await_window "$PLAYER_WINDOW" 60)
await_log_title orvn0002.bin || fail "the log was not opened"
blank=$(region_sum "$main" "${sample_texts[@]}")
keys_in "$main" ctrl+m
map=$(await_window "Map — orvn0002.bin" 60)
keys_in "$map" space
wait_for 20 "Space in the map window to play" region_differs "$blank" "$main" "${sample_texts[@]}"
import -window root "$artefacts/views-map-playing.png"
keys_in "$map" space
await_still "$main" "${sample_texts[@]}" 20 5
paused=$(region_sum "$main" "${sample_texts[@]}")
sleep 0.5
region_is "$paused" "$main" "${sample_texts[@]}" || fail "Space in the map window did not pause"
cp "$work/Orvane.ini" "$work/Orvane.ini.before"
keys_in "$map" ctrl+q
status=0
wait "$pid" || status=$?
pid=""
[ "$status" -eq 0 ] || fail "Ctrl+Q in the map window: the player exited with status $status"
grep -q '^\[Map Window\]' "$work/Orvane.ini" || fail "the map window's place was not saved"
awk '/^\[/ { inMain = ($0 ~ /^\[Main Form\]/) } inMain && /^(Left|Top)=/ { n++ } END { exit n == 2 ? 0 : 1 }' \
  "$work/Orvane.ini" || fail "the player's position was not saved"
echo "map window in front: Space played and paused, Ctrl+Q quit with the places saved"

# --- Ending signals during a range export ---
"$mklog" --records 3000000 --seed 5 "$work/orvn0001.bin"
target="$work/orvn0001_000001-3000000.csv"
for signal in TERM HUP; do
  printf 'an earlier export\n' >"$target"
  start_player orvn0001.bin
  main=$(await_window "$PLAYER_WINDOW" 60)
  await_log_title orvn0001.bin || fail "the long log was not opened"
  keys_in "$main" ctrl+shift+e
  wait_for 20 "the range export to start" sh -c "ls '$work' | grep -q '\.csv\.tmp'"
  sleep 0.2
  ls "$work" | grep -q '\.csv\.tmp' || fail "the export ended before the signal could be sent"
  kill -"$signal" "$pid"
  status=0
  wait "$pid" || status=$?
  pid=""
  [ "$status" -ne 0 ] || fail "SIGTERM/SIGHUP ended the player with status 0"
  leftovers=$(ls "$work" | grep '\.tmp' || true)
  [ -z "$leftovers" ] || fail "SIG$signal left $leftovers behind"
  [ "$(cat "$target")" = "an earlier export" ] || fail "SIG$signal changed the earlier export"
  echo "SIG$signal during a range export: exit $status, no temporary, the earlier file as it was"
done
