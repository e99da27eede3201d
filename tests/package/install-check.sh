#!/usr/bin/env bash
# Installs the Debian packages of BUILD_DIR on this machine (apt-get install), checks
# the installed programs as a new user meets them, and removes them again (apt-get
# purge), leaving the machine's packages as they were. Needs root; CI runs it.
#
#   install-check.sh BUILD_DIR
#
# The installed player runs in a virtual X server with a log on its command line and
# a fresh home folder: the user's settings file must be the installed layout, byte for
# byte (plus the folder of the log), the window must have the demo layout's size, and
# Quit must write the window's position into the user's file.
set -euo pipefail
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../e2e/x11.sh"

[ "$(id -u)" -eq 0 ] || { echo "install-check: needs root (apt-get install)" >&2; exit 1; }
mapfile -t debs < <(ls "$build"/*.deb 2>/dev/null)
[ ${#debs[@]} -gt 0 ] || { echo "install-check: no packages in $build (make package)" >&2; exit 1; }

packages=()
for deb in "${debs[@]}"; do packages+=("$(dpkg-deb --field "$deb" Package)"); done
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q ' installed$'; }
for name in "${packages[@]}"; do
  if installed "$name"; then
    echo "install-check: $name is installed already; this check would remove it" >&2
    exit 1
  fi
done

# The machine's packages before, to put it back as it was.
package_list() { dpkg-query -W -f='${db:Status-Abbrev} ${Package}:${Architecture} ${Version}\n' | sort; }
snapshot=$(mktemp)
package_list >"$snapshot"

export DEBIAN_FRONTEND=noninteractive
remove_packages() {
  local added
  apt-get purge -y -qq "${packages[@]}" >/dev/null 2>&1 || true
  # Whatever the install brought in besides (dependencies that were missing).
  added=$(comm -13 <(awk '$1 ~ /^ii/ { print $2 }' "$snapshot") \
    <(package_list | awk '$1 ~ /^ii/ { print $2 }'))
  if [ -n "$added" ]; then
    # shellcheck disable=SC2086
    apt-get purge -y -qq $added >/dev/null 2>&1 || true
  fi
}
finish() {
  local status=$?
  end_session
  remove_packages
  if ! diff <(cat "$snapshot") <(package_list) >&2; then
    echo "FAIL: the machine's packages differ from before the check (above)" >&2
    status=1
  fi
  rm -f "$snapshot"
  if [ "$status" -eq 0 ]; then
    passed "removed: the machine's packages are as they were"
    echo "install-check: $checks passed, 0 failed"
  fi
  exit "$status"
}
checks=0
passed() {
  echo "$*"
  checks=$((checks + 1))
}
begin_session
trap finish EXIT

echo "== apt-get install ${debs[*]}"
# Missing dependencies come from the package registry; its lists may need a refresh.
if ! apt-get install -y -qq "${debs[@]}" >"$work/apt.log" 2>&1; then
  apt-get update -qq
  apt-get install -y -qq "${debs[@]}" >"$work/apt.log" 2>&1 ||
    { cat "$work/apt.log" >&2; fail "apt-get install failed"; }
fi
for name in "${packages[@]}"; do installed "$name" || fail "$name is not installed"; done

# --- The programs, without a display ---
version=$(dpkg-deb --field "${debs[0]}" Version)
version=${version%-*}
out=$(env -u DISPLAY OrvanePlayer --version)
[ "$out" = "OrvanePlayer $version" ] || fail "OrvanePlayer --version printed '$out'"
[ "$(command -v OrvanePlayer)" = /usr/bin/OrvanePlayer ] || fail "OrvanePlayer is not /usr/bin/OrvanePlayer"
status=0
env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb OrvanePlayer --foo 2>"$work/usage.txt" || status=$?
[ "$status" -eq 2 ] || fail "OrvanePlayer --foo without a display exited with status $status"
grep -q "unknown option '--foo'" "$work/usage.txt" || fail "OrvanePlayer --foo: $(cat "$work/usage.txt")"

orvane-mklog --records 600 --seed 4 "$work/orvn0001.bin"
orvane-csv --info "$work/orvn0001.bin" >"$work/info.txt"
grep -Eq 'record count +600 ' "$work/info.txt" || fail "orvane-csv --info: $(cat "$work/info.txt")"
passed "installed programs: OrvanePlayer --version, orvane-mklog and orvane-csv --info work"

# --- Where the files went ---
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH 2>/dev/null || gcc -print-multiarch)
libdir=/usr/lib/$multiarch
[ -f "$libdir/libmeter.so.1" ] || fail "libmeter.so.1 is not in $libdir"
# (/lib is /usr/lib on Debian: the linker's cache may name either.)
libraries=$(ldd /usr/bin/OrvanePlayer)
grep -Eq "libmeter\.so\.1 => (/usr)?/lib/$multiarch/libmeter\.so\.1" <<<"$libraries" ||
  fail "the player does not find the library in $libdir: $(grep meter <<<"$libraries")"
dynamic=$(readelf -d /usr/bin/OrvanePlayer)
if grep -Eq 'RPATH|RUNPATH' <<<"$dynamic"; then
  fail "the installed player has a library search path of its own"
fi
plugins=$(qtpaths6 --query QT_INSTALL_PLUGINS)
[ -f "$plugins/designer/libmeter_designer.so" ] || fail "the Designer plugin is not in $plugins/designer"
for program in OrvanePlayer orvane-csv orvane-mklog; do
  [ -f "/usr/share/man/man1/$program.1.gz" ] || fail "no manual page for $program"
done
[ -f /usr/share/icons/hicolor/48x48/apps/orvaneplayer.png ] || fail "no icon in the hicolor theme"
grep -q 'application/x-orvane-log:orvn\*.bin' /usr/share/mime/globs2 ||
  fail "the MIME database does not know the log type"

# The development package: the gauge library's consumer program (the one the library's
# own install test builds), built against the installed library and run.
consumer=$here/../../meter/tests/consumer
(cmake -S "$consumer" -B "$work/consumer" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER_LAUNCHER= &&
  cmake --build "$work/consumer") >"$work/consumer.log" 2>&1 ||
  { cat "$work/consumer.log" >&2; fail "a program cannot be built against the installed library"; }
QT_QPA_PLATFORM=offscreen "$work/consumer/meter_consumer" >/dev/null ||
  fail "the program built against the installed library does not run"
passed "installed files: library in $libdir, Designer plugin, manual pages, icon, MIME type, development files"

# --- The installed player as a new user meets it ---
home=$work/home
mkdir -p "$home"
user_file=$home/.config/OrvanePlayer/Orvane.ini
layout=/usr/share/orvaneplayer/Orvane.ini
[ "$(env -u XDG_CONFIG_HOME HOME="$home" OrvanePlayer --print-settings-path)" = "$user_file" ] ||
  fail "the installed player would not use $user_file"

start_x11
(cd "$work" && exec env -u XDG_CONFIG_HOME HOME="$home" QT_QPA_PLATFORM=xcb \
  OrvanePlayer orvn0001.bin 2>>"$work/player-stderr.log") &
pid=$!
main=$(await_window "$PLAYER_WINDOW")
await_log_title orvn0001.bin ||
  fail "the title does not name the log"
no_window "$PLAYER_ERROR_WINDOW" || fail "the log was reported as bad"

# The user's file is the installed layout, with the folder of the opened log added
# once the log has opened (just after the window shows).
[ -f "$user_file" ] || fail "the user's settings file was not created"
{ cat "$layout"; printf '[Open Dialog]\r\nFolder=%s\r\n' "$work"; } >"$work/expected-start.ini"
wait_for 10 "the log's folder in the user's file" cmp -s "$user_file" "$work/expected-start.ini" ||
  { cmp "$user_file" "$work/expected-start.ini" || true;
    fail "the user's file is not the installed layout (plus the log's folder)"; }
# The window has the demo layout's size: its Width, and its Height with the strips
# added below.
geometry=$(xdotool getwindowgeometry "$main" | sed -n 's/^ *Geometry: //p')
width=$(awk -F= '/^Width=/ { sub(/\r/, "", $2); print $2; exit }' "$layout")
height=$(awk -F= '/^Height=/ { sub(/\r/, "", $2); print $2; exit }' "$layout")
[ "${geometry%x*}" = "$width" ] || fail "the window is $geometry wide, the layout says $width"
[ "${geometry#*x}" -gt "$height" ] ||
  fail "the window is $geometry, the layout is $height high plus the strips"
icon=$(xprop -id "$main" _NET_WM_ICON)
grep -q 'Icon (48 x 48)' <<<"$icon" || fail "the window has no icon: ${icon:0:200}"
import -window "$main" "$build/installed-player.png"

xdotool windowmove "$main" 200 150
wait_for 10 "the window to move" sh -c "xdotool getwindowgeometry '$main' | grep -q 'Position: 200,150'"
xdotool windowfocus --sync "$main"
xdotool key ctrl+q
status=0
wait "$pid" || status=$?
pid=""
[ "$status" -eq 0 ] || fail "the installed player exited with status $status"

awk '/^\[/ { inMain = ($0 ~ /^\[Main Form\]/) }
     inMain && /^Left=/ { sub(/^Left=[^\r]*/, "Left=200") }
     inMain && /^Top=/ { sub(/^Top=[^\r]*/, "Top=150") }
     { print }' ORS='\n' "$work/expected-start.ini" >"$work/expected-quit.ini"
cmp "$user_file" "$work/expected-quit.ini" || fail "Quit changed more than Left and Top"
passed "installed player: the user's layout copied from the installed one, demo window, position saved on Quit"
