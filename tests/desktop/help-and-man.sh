#!/usr/bin/env bash
# A program's --help and its manual page name the same options: every option in the
# help is in the page, and every option in the page is in the help.
#
#   help-and-man.sh PROGRAM MANPAGE [--not-yet-in-help OPTION]...
#
# --not-yet-in-help names an option the page documents before the program's help
# lists it; the test fails once the help has it, so that the exception goes away.
set -euo pipefail
program=$1 page=$2
shift 2
pending=()
while [ $# -gt 0 ]; do
  [ "$1" = --not-yet-in-help ] && [ $# -ge 2 ] || { echo "bad arguments: $*" >&2; exit 2; }
  pending+=("$2")
  shift 2
done
fail() { echo "FAIL: $*" >&2; exit 1; }

# Options: a word of letters, digits and dashes after one or two dashes, standing where
# an option can stand (not inside a word such as "read-only" or "2026-12-05").
options() {
  grep -oE '(^|[][[:space:](,|"'"'"'])--?[A-Za-z][A-Za-z0-9-]*' |
    sed -E 's/^[^-]*//' | sed -E 's/-+$//' | sort -u
}

help=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$program" --help) ||
  fail "$program --help exited with status $?"
in_help=$(options <<<"$help")
# The page's text: roff escapes and font changes taken out ("\-" is a dash).
in_page=$(sed -E -e 's/\\f[BIRP]//g' -e 's/\\-/-/g' -e 's/\\&//g' -e 's/^\.[A-Z]+ ?//' "$page" | options)

status=0
for option in $in_help; do
  grep -qxF -- "$option" <<<"$in_page" ||
    { echo "FAIL: '$option' is in the help of $program but not in $page" >&2; status=1; }
done
for option in $in_page; do
  grep -qxF -- "$option" <<<"$in_help" && continue
  if printf '%s\n' "${pending[@]+"${pending[@]}"}" | grep -qxF -- "$option"; then continue; fi
  echo "FAIL: '$option' is in $page but not in the help of $program" >&2
  status=1
done
for option in "${pending[@]+"${pending[@]}"}"; do
  if grep -qxF -- "$option" <<<"$in_help"; then
    echo "FAIL: the help of $program lists '$option' now: drop --not-yet-in-help $option" >&2
    status=1
  fi
done
[ "$status" -eq 0 ] || exit 1
echo "$(basename "$program"): help and manual page name the same $(wc -w <<<"$in_help") options"
