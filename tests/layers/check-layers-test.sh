#!/usr/bin/env bash
# The layering check passes on a copy of the tree and fails, naming the file and line,
# as soon as one bad include is planted in it; a comment or an allowed include does not
# make it fail.
# Usage: check-layers-test.sh CHECK_SCRIPT SOURCE_ROOT [--qt-include DIR]
set -euo pipefail
check=$1
source_root=$2
shift 2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for folder in player meter tools; do cp -r "$source_root/$folder" "$work/"; done

failed=0
fail() {
  echo "FAIL: $*" >&2
  failed=1
}

# plant EXPECT FILE TEXT [CHECK ARGUMENTS]: plants TEXT as line 2 of a new FILE, runs
# the check, removes the file again. EXPECT is pass, or fail (the check must then name
# the file and line 2).
plant() {
  local expect=$1 file=$2 text=$3 out status=0
  shift 3
  mkdir -p "$(dirname "$work/$file")"
  printf '// planted by the test\n%s\n' "$text" >"$work/$file"
  out=$(bash "$check" "$@" "$work" 2>&1) || status=$?
  rm "$work/$file"
  if [[ $expect == pass && $status -ne 0 ]]; then
    fail "$file with '$text' was refused:"$'\n'"$out"
  elif [[ $expect == fail && $status -eq 0 ]]; then
    fail "$file with '$text' passed"
  elif [[ $expect == fail && $out != *"$file:2: includes"* ]]; then
    fail "$file with '$text': the report does not name the place:"$'\n'"$out"
  fi
}
check_args=("$@")
run_plant() { plant "$1" "$2" "$3" "${check_args[@]}"; }

out=$(bash "$check" "${check_args[@]}" "$work" 2>&1) || fail "the copy of the tree fails:"$'\n'"$out"

run_plant fail player/log/Planted.cpp '#include <QString>'
run_plant fail player/settings/Planted.h '#include <meter/Meter.h>'
run_plant fail player/playback/Planted.cpp '#include <QWidget>'
run_plant fail player/playback/Planted.cpp '#  include <QtWidgets/QLabel>'
run_plant fail meter/src/Planted.cpp '#include "settings/modCommon.h"'
run_plant fail meter/src/Planted.cpp '#include <player/log/LogFile.h>'
run_plant fail player/graph/Planted.cpp '#include "window/frmPlayer.h"'
run_plant fail player/graph/Planted.cpp '#include "log/LogRecord.h"'
run_plant fail player/layout/Planted.cpp '#include "window/frmPlayer.h"'
run_plant fail tools/orvane-csv/Planted.cpp '#include <QApplication>'
run_plant fail player/common/Planted.cpp '#include "settings/modCommon.h"'
run_plant fail player/views/map/Planted.cpp '#include "window/frmPlayer.h"'
run_plant fail player/session/Planted.cpp '#include <QWidget>'
run_plant fail player/session/Planted.cpp '#include "views/common/CommandSet.h"'
run_plant fail player/analysis/Planted.cpp '#include "session/LogSession.h"'
# The gauge library's plain headers must stay plain for the libraries that use them.
printf '#include <QString>\n' >>"$work/meter/include/meter/ErrorNumber.h"
out=$(bash "$check" "${check_args[@]}" "$work" 2>&1) && fail "a Qt include in ErrorNumber.h passed"
[[ $out == *"meter/include/meter/ErrorNumber.h:"* ]] || fail "ErrorNumber.h not named:"$'\n'"$out"
cp "$source_root/meter/include/meter/ErrorNumber.h" "$work/meter/include/meter/"

run_plant pass player/settings/Planted.cpp '#include <meter/Colour.h>'
run_plant pass player/common/Planted.cpp '#include <meter/ErrorNumber.h>'
run_plant pass player/log/Planted.cpp '// #include <QString> is not an include'
run_plant pass player/graph/Planted.cpp '#include "common/Rounding.h"'
run_plant pass player/window/Planted.cpp '#include "layout/ApplyLayout.h"'
run_plant pass player/views/chart/Planted.cpp '#include "session/LogSession.h"'
run_plant pass player/window/Planted.cpp '#include "views/map/MapWindow.h"'
# With Qt's include folder known, a QtCore header is no widget header.
if [[ ${check_args[0]:-} == --qt-include ]]; then
  run_plant pass player/playback/Planted.cpp '#include <QString>'
  run_plant pass player/session/Planted.cpp '#include <QObject>'
fi

exit $failed
