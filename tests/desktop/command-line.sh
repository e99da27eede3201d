#!/usr/bin/env bash
# The player's command line outside its window: --help, --version and
# --print-settings-path print and exit 0 without any display; an unknown option is a
# usage error (status 2), with or without a display, and the toolkit's own options are
# not taken for the player's.
#
#   command-line.sh PLAYER VERSION
set -euo pipefail
player=$1 version=$2
fail() { echo "FAIL: $*" >&2; exit 1; }

# No display at all, and a platform that would need one.
headless() { env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$player" "$@"; }

out=$(headless --help) || fail "--help exited with status $?"
grep -qx 'Usage: OrvanePlayer \[OPTION\]... \[LOG\]' <<<"$out" || fail "--help: no usage line: $out"
grep -q 'Ctrl+Q' <<<"$out" || fail "--help does not list the keys"
out=$(headless -h) || fail "-h exited with status $?"
grep -q '^Usage:' <<<"$out" || fail "-h printed: $out"

out=$(headless --version) || fail "--version exited with status $?"
[ "$out" = "OrvanePlayer $version" ] || fail "--version printed '$out'"
# Wherever they stand, and before anything else on the line is judged.
out=$(headless orvn0001.bin --bogus --version) || fail "--version after others exited with $?"
[ "$out" = "OrvanePlayer $version" ] || fail "--version after others printed '$out'"

# Usage errors are told once the toolkit has taken out its own options.
usage_error() {
  local status=0 err
  err=$(QT_QPA_PLATFORM=offscreen "$player" "$@" 2>&1 >/dev/null) || status=$?
  [ "$status" -eq 2 ] || fail "'$*' exited with status $status, not 2"
  printf '%s\n' "$err"
}
err=$(usage_error --bogus)
grep -q "unknown option '--bogus'" <<<"$err" || fail "--bogus: $err"
err=$(usage_error -platform offscreen -style fusion --bogus)
grep -q "unknown option '--bogus'" <<<"$err" || fail "with toolkit options: $err"
if grep -Eq -- "-platform|-style|fusion" <<<"$err"; then
  fail "the toolkit's options were taken for the player's: $err"
fi
err=$(usage_error -)
grep -q "standard input" <<<"$err" || fail "'-': $err"

# Usage errors need no display either: told before the toolkit starts.
for line in "--bogus" "--settings" "-platform offscreen --bogus"; do
  status=0
  # shellcheck disable=SC2086
  err=$(headless $line 2>&1 >/dev/null) || status=$?
  [ "$status" -eq 2 ] || fail "'$line' without a display exited with status $status, not 2: $err"
  grep -q "^OrvanePlayer: " <<<"$err" || fail "'$line' without a display: $err"
done

# The settings file in use, printed without a display. The program is copied into a
# folder of its own, so that no Orvane.ini beside the build's program counts.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/bin" "$scratch/home" "$scratch/work"
cp "$player" "$scratch/bin/OrvanePlayer"
copy=$scratch/bin/OrvanePlayer
settings_path() {
  (cd "$scratch/work" && env -u DISPLAY -u XDG_CONFIG_HOME HOME="$scratch/home" "$@")
}
out=$(settings_path "$copy" --print-settings-path)
[ "$out" = "$scratch/home/.config/OrvanePlayer/Orvane.ini" ] || fail "user's file: '$out'"
out=$(settings_path env XDG_CONFIG_HOME="$scratch/xdg" "$copy" --print-settings-path)
[ "$out" = "$scratch/xdg/OrvanePlayer/Orvane.ini" ] || fail "with XDG_CONFIG_HOME: '$out'"
out=$(settings_path "$copy" --settings layouts/mine.ini --print-settings-path)
[ "$out" = "$scratch/work/layouts/mine.ini" ] || fail "--settings relative: '$out'"
touch "$scratch/bin/Orvane.ini"
out=$(settings_path "$copy" --print-settings-path)
[ "$out" = "$scratch/bin/Orvane.ini" ] || fail "portable: '$out'"
[ ! -e "$scratch/home/.config" ] || fail "printing the path created the user's folder"

echo "command line: help, version and usage errors as expected"
