#!/usr/bin/env bash
# Checks that every library of the tree includes only what its layer may use, so that
# dependencies keep pointing one way: the plain C++ libraries stay free of Qt, the
# playback rules and the command-line tools free of widgets, the gauge library free of
# the player, and the graph free of the window, the layout, the settings and the log.
# Prints each include that breaks a rule, as file:line, and exits 1 when there is one.
#
# Usage: check-layers.sh [--qt-include DIR] [ROOT]
#   ROOT          the source tree (default: the one this script is in)
#   --qt-include  Qt's include folder (the one holding QtCore/, QtWidgets/, ...). With it
#                 a header such as <QString> is known to be QtCore and not a widget one;
#                 without it Debian's folder is taken when it is there, and otherwise every
#                 Qt header counts as a widget header.
set -euo pipefail

qt_include=""
if [[ ${1:-} == --qt-include ]]; then
  qt_include=$2
  shift 2
fi
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
# Without the option, Qt's include folder where Debian puts it, when it is there.
if [[ -z $qt_include ]]; then
  for dir in /usr/include/*/qt6 /usr/include/qt6; do
    if [[ -d $dir/QtCore ]]; then
      qt_include=$dir
      break
    fi
  done
fi

# folder or file | forbidden kinds of include | what it is
#   qt          any Qt header (a header of the gauge library other than its plain ones too)
#   qt-widgets  a header of Qt's widget modules, or of the gauge library's widgets
#   meter       a header of the gauge library other than its plain C++ ones
#   player      any folder of the player; player/X the folder X
rules=$(
  cat <<'EOF'
player/common|qt meter player/log player/analysis player/settings player/playback player/session player/graph player/layout player/views player/window|shared helpers: plain C++ without Qt, under every other library
player/log|qt meter player/analysis player/settings player/playback player/session player/graph player/layout player/views player/window|the log core: plain C++ without Qt, on player/common alone
player/analysis|qt meter player/settings player/playback player/session player/graph player/layout player/views player/window|whole-log work: plain C++ without Qt, on player/common and player/log alone
player/settings|qt meter player/analysis player/playback player/session player/graph player/layout player/views player/window|settings access: plain C++ without Qt, on player/common and player/log alone
player/playback|qt-widgets meter player/graph player/layout player/views player/window|the playback rules: no widgets
player/session|qt-widgets meter player/graph player/layout player/views player/window|the open log as a model: no widget headers, and nothing of the views or the window
player/graph|player/log player/analysis player/settings player/playback player/session player/layout player/views player/window|the graph: it knows nothing of the player beyond player/common
player/layout|player/views player/window|the layout: the window uses it, never the other way round
player/views|player/window|the views: they work from the session and the command set, never from the window
meter|player|the gauge library: it never includes the player
tools|qt-widgets meter player/graph player/layout player/views player/window|command-line programs: no widgets
meter/include/meter/Colour.h|qt meter|a plain C++ header of the gauge library, for programs without Qt
meter/include/meter/ErrorNumber.h|qt meter|a plain C++ header of the gauge library, for programs without Qt
EOF
)

# Headers of the gauge library that are plain C++ (targets meter_colour, meter_errors).
plain_meter=" Colour.h ErrorNumber.h "
player_folders=" common log analysis settings playback session graph layout views window "
widget_modules=" QtWidgets QtOpenGLWidgets QtSvgWidgets QtPrintSupport QtUiPlugin QtDesigner QtQuickWidgets "

declare -A qt_module_of=()
# Sets `module` to the Qt module a header without a folder (<QString>, <qdrawutil.h>)
# belongs to; empty when unknown.
find_qt_module() {
  local name=$1 dir
  if [[ -z ${qt_module_of[$name]+set} ]]; then
    qt_module_of[$name]=""
    if [[ -n $qt_include ]]; then
      for dir in "$qt_include"/Qt*/; do
        if [[ -e $dir$name ]]; then
          dir=${dir%/}
          qt_module_of[$name]=${dir##*/}
          break
        fi
      done
    fi
  fi
  module=${qt_module_of[$name]}
}

# Sets `kinds` to the kinds of a Qt header of the given module (empty: unknown).
qt_kinds() {
  if [[ -n $1 && $widget_modules != *" $1 "* ]]; then
    kinds="qt"
  else
    kinds="qt qt-widgets"
  fi
}

# Sets `kinds` to the kinds of an include, from its text between the brackets or
# quotes and its style (angled or quoted).
find_kinds() {
  local path=$1 style=$2 first=${1%%/*} rest
  kinds=""
  if [[ $path == */* && $first == player ]]; then
    rest=${path#player/}
    kinds="player player/${rest%%/*}"
  elif [[ $path == */* && $style == quoted && $player_folders == *" $first "* ]]; then
    kinds="player player/$first"
  elif [[ $path == meter/* ]]; then
    if [[ $plain_meter != *" ${path#meter/} "* ]]; then kinds="meter qt qt-widgets"; fi
  elif [[ $path =~ ^Qt[A-Za-z]*/ ]]; then
    qt_kinds "$first"
  elif [[ $style == angled && ($path =~ ^Q[A-Za-z0-9_]*$ || $path =~ ^q[a-z0-9_]*\.h$) ]]; then
    find_qt_module "$path"
    qt_kinds "$module"
  fi
}

failures=0
while IFS='|' read -r folder forbidden why; do
  [[ -e $root/$folder ]] || continue
  while IFS= read -r entry; do
    # file:line:text; source paths hold no colons.
    file=${entry%%:*}
    entry=${entry#*:}
    line=${entry%%:*}
    text=${entry#*:}
    [[ $text =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*([\<\"])([^\>\"]+) ]] || continue
    include=${BASH_REMATCH[2]}
    style=angled shown="<$include>"
    [[ ${BASH_REMATCH[1]} == '"' ]] && style=quoted shown="\"$include\""
    find_kinds "$include" "$style"
    for kind in $kinds; do
      if [[ " $forbidden " == *" $kind "* ]]; then
        echo "${file#"$root"/}:$line: includes $shown ($kind): $folder is $why" >&2
        failures=$((failures + 1))
        break
      fi
    done
  done < <(grep -rnHE --include='*.h' --include='*.hpp' --include='*.cpp' --include='*.cc' \
    '^[[:space:]]*#[[:space:]]*include' "$root/$folder" || true)
done <<<"$rules"

if ((failures > 0)); then
  echo "check-layers: $failures include(s) break the layering" >&2
  exit 1
fi
echo "check-layers: every library includes only what its layer may use"
