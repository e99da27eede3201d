# Helpers for driving the real player in a virtual X server (Xvfb) with xdotool.
# Sourced by the end-to-end test and the screenshot script.

# Polls a command until it succeeds; fails after `timeout` seconds.
#   wait_for SECONDS DESCRIPTION COMMAND...
wait_for() {
  local timeout=$1 what=$2
  shift 2
  local deadline=$((SECONDS + timeout))
  until "$@" >/dev/null 2>&1; do
    if [ "$SECONDS" -ge "$deadline" ]; then
      echo "timed out after ${timeout}s waiting for: $what" >&2
      return 1
    fi
    sleep 0.1
  done
}

# Starts Xvfb on a free display and exports DISPLAY; stop_x11 ends it. The server
# picks the display itself (-displayfd) and reports it once it takes connections:
# choosing a number here and starting the server after would race with other test
# runs on the machine, and could leave DISPLAY pointing at another run's server.
start_x11() {
  local number_file n
  number_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset 3>"$number_file" >/dev/null 2>&1 &
  X11_PID=$!
  if ! wait_for 10 "Xvfb to start" grep -q '^[0-9]' "$number_file"; then
    kill "$X11_PID" 2>/dev/null || true
    rm -f "$number_file"
    echo "no X display" >&2
    return 1
  fi
  n=$(head -n 1 "$number_file")
  rm -f "$number_file"
  export DISPLAY=":$n"
  wait_for 10 "Xvfb on :$n" xdpyinfo
}

stop_x11() {
  [ -n "${WM_PID:-}" ] && kill "$WM_PID" 2>/dev/null || true
  wait "${WM_PID:-}" 2>/dev/null || true
  [ -n "${X11_PID:-}" ] && kill "$X11_PID" 2>/dev/null || true
  wait "${X11_PID:-}" 2>/dev/null || true
}

# Starts a window manager (openbox) on the display, so that windows get focus and
# frames as on a desktop; stop_x11 ends it too.
start_window_manager() {
  openbox --sm-disable >"${work:-/tmp}/openbox.log" 2>&1 &
  WM_PID=$!
  # Openbox names its theme on the root window once it has started; a window mapped
  # before that has been seen to stay unmapped for good under a heavy load.
  wait_for 20 "the window manager" sh -c "xprop -root _OB_THEME | grep -q '='"
}

# The player's main window: its caption, after the open log's name when one is open.
PLAYER_WINDOW='(.* )?E39A Orvane LogFile Player'
# The player's message box for errors (a bad log, a bad layout).
PLAYER_ERROR_WINDOW="E39A Orvane LogFile Player Error"

# The id of the visible window whose name matches the regular expression exactly.
window_id() {
  xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1
}

has_window() { [ -n "$(window_id "$1")" ]; }
no_window() { [ -z "$(window_id "$1")" ]; }

# Waits for a window and prints its id.
await_window() {
  local name=$1 timeout=${2:-20} id
  if ! wait_for "$timeout" "window '$name'" has_window "$name"; then
    # What there is instead, for the test's log.
    echo "windows on $DISPLAY:" >&2
    for id in $(xdotool search --name '.' 2>/dev/null); do
      echo "  $id '$(xdotool getwindowname "$id" 2>/dev/null)' $(xwininfo -id "$id" 2>/dev/null | grep 'Map State')" >&2
      xprop -id "$id" WM_STATE _NET_WM_STATE WM_HINTS 2>/dev/null | sed 's/^/      /' >&2
    done
    if [ -n "${pid:-}" ]; then
      kill -0 "$pid" 2>/dev/null && echo "the player is running" >&2 || echo "the player has ended" >&2
    fi
    [ -s "$work/player-stderr.log" ] && sed 's/^/  player: /' "$work/player-stderr.log" >&2
    if [ -n "${WM_PID:-}" ]; then
      kill -0 "$WM_PID" 2>/dev/null && echo "the window manager is running" >&2 ||
        echo "the window manager has ended" >&2
      [ -s "$work/openbox.log" ] && sed 's/^/  openbox: /' "$work/openbox.log" >&2
    fi
    return 1
  fi
  window_id "$name"
}

# Waits for the main window's title to name the log NAME (the file name without its
# folder): the log has been opened.
#   await_log_title NAME
await_log_title() {
  wait_for 10 "the title to name the log" has_window "$1 — E39A Orvane LogFile Player"
}

# Clicks at a point given in the window's own pixels.
click_at() {
  xdotool mousemove --window "$1" "$2" "$3" click 1
}

# Clicks the middle of a rectangle (left, top, width, height) of the window.
click_rect() {
  click_at "$1" $(($2 + $4 / 2)) $(($3 + $5 / 2))
}

# A checksum of a rectangle of the window's picture, to see whether it changes.
region_sum() {
  local id=$1 left=$2 top=$3 width=$4 height=$5
  import -window "$id" -crop "${width}x${height}+${left}+${top}" rgb:- 2>/dev/null | md5sum | cut -d' ' -f1
}

# True while a region's picture differs from the checksum `sum`.
region_differs() {
  local sum=$1
  shift
  [ "$(region_sum "$@")" != "$sum" ]
}

# Waits until a region has stopped changing: the same picture `stable` times in a row.
await_still() {
  local id=$1 left=$2 top=$3 width=$4 height=$5 timeout=${6:-120} stable=${7:-5}
  local deadline=$((SECONDS + timeout)) last="" same=0 now
  while [ "$SECONDS" -lt "$deadline" ]; do
    now=$(region_sum "$id" "$left" "$top" "$width" "$height")
    if [ "$now" = "$last" ]; then
      same=$((same + 1))
      [ "$same" -ge "$stable" ] && return 0
    else
      same=0
      last=$now
    fi
    sleep 0.3
  done
  echo "timed out waiting for the picture to settle" >&2
  return 1
}

# A session: a scratch folder ($work) removed at the end, and the player ($pid), if
# started, and the X server stopped with it.
begin_session() {
  work=$(mktemp -d)
  pid=""
  trap end_session EXIT
}

# The start of an end-to-end test: a work folder that is removed at the end, a folder
# for the screenshots, and the player with its settings file in the work folder (the
# player reads Orvane.ini beside its executable).
#   begin_test ARTEFACT_DIR PLAYER SETTINGS_FILE
begin_test() {
  mkdir -p "$1"
  begin_session
  cp "$2" "$work/OrvanePlayer"
  cp "$3" "$work/Orvane.ini"
}

fail() { echo "FAIL: $*" >&2; exit 1; }

end_session() {
  [ -n "${pid:-}" ] && kill "$pid" 2>/dev/null || true
  stop_x11
  rm -rf "$work"
}

# Starts the player of folder $work (it reads the Orvane.ini beside it), with the given
# arguments; sets $pid.
start_player() {
  (cd "$work" && QT_QPA_PLATFORM=xcb exec ./OrvanePlayer "$@" 2>>"$work/player-stderr.log") &
  pid=$!
}

# Opens a log through the real open dialog by typing its path.
#   open_log MAIN_WINDOW OPEN_BUTTON_LEFT TOP WIDTH HEIGHT PATH
open_log() {
  local main=$1 path=$6 dialog
  click_rect "$main" "$2" "$3" "$4" "$5"
  dialog=$(await_window "Orvane ログ ファイル選択") || return 1
  xdotool windowfocus --sync "$dialog"
  xdotool type --delay 10 "$path"
  xdotool key Return
  wait_for 20 "the open dialog to close" no_window "Orvane ログ ファイル選択"
}

# Chooses an entry of a drop-down list by its position (0 = first).
#   choose_item MAIN_WINDOW LEFT TOP WIDTH HEIGHT INDEX
choose_item() {
  local keys=(Home) i
  click_rect "$1" "$2" "$3" "$4" "$5"
  sleep 0.5
  for ((i = 0; i < $6; i++)); do keys+=(Down); done
  xdotool key "${keys[@]}" Return
}
