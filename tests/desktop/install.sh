#!/usr/bin/env bash
# What `cmake --install` puts in place for the desktop: the player, its desktop entry
# taking the file as its argument, and the MIME type of logs, with the desktop's caches
# refreshed where their tools are installed (and not in a staged install); the icon in
# the hicolor theme, the manual pages, the software catalogue's entry and the layout
# that a new user's settings file is copied from.
#
#   install.sh CMAKE BUILD_DIR INSTALL_ROOT SOURCE_DIR
set -euo pipefail
cmake=$1 build=$2 root=$3 source=$4
fail() { echo "FAIL: $*" >&2; exit 1; }

rm -rf "$root"
mkdir -p "$root"
"$cmake" --install "$build" --prefix "$root/usr" >"$root/install.log" 2>&1 ||
  { cat "$root/install.log" >&2; fail "cmake --install failed"; }
share=$root/usr/share

[ -x "$root/usr/bin/OrvanePlayer" ] || fail "bin/OrvanePlayer is not installed"
# The installed player runs from its new place.
"$root/usr/bin/OrvanePlayer" --version | grep -q '^OrvanePlayer ' ||
  fail "the installed player does not run"

entry=$share/applications/orvaneplayer.desktop
[ -f "$entry" ] || fail "the desktop entry is not installed"
grep -qx 'Exec=OrvanePlayer %f' "$entry" || fail "the desktop entry does not pass the file"
grep -qx 'MimeType=application/x-orvane-log;' "$entry" || fail "the desktop entry declares no MIME type"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$entry" || fail "desktop-file-validate rejects the entry"
fi

package=$share/mime/packages/orvaneplayer.xml
[ -f "$package" ] || fail "the MIME package is not installed"
if command -v xmllint >/dev/null; then
  xmllint --noout "$package" || fail "the MIME package is not well-formed XML"
else
  grep -q '</mime-info>' "$package" || fail "the MIME package is cut short"
fi
grep -q '<mime-type type="application/x-orvane-log">' "$package" || fail "no application/x-orvane-log"
grep -q '<glob pattern="orvn\*.bin"/>' "$package" || fail "no glob orvn*.bin"

if command -v update-mime-database >/dev/null; then
  grep -qx '50:application/x-orvane-log:orvn\*.bin' "$share/mime/globs2" ||
    fail "the MIME database was not refreshed with the log type"
  [ -f "$share/mime/application/x-orvane-log.xml" ] || fail "no compiled entry for the log type"
fi
if command -v update-desktop-database >/dev/null; then
  grep -q '^application/x-orvane-log=orvaneplayer.desktop;' "$share/applications/mimeinfo.cache" ||
    fail "the desktop database does not offer the player for logs"
fi

# The icon: the SVG and a PNG of each theme size, of exactly that size.
[ -f "$share/icons/hicolor/scalable/apps/orvaneplayer.svg" ] || fail "no scalable icon"
for size in 16 22 24 32 48 64 128 256; do
  png=$share/icons/hicolor/${size}x${size}/apps/orvaneplayer.png
  [ -f "$png" ] || fail "no ${size}x${size} icon"
  # Width and height are the big-endian words at bytes 16 and 20 of a PNG.
  read -r width height < <(od -An -tu1 -j16 -N8 "$png" |
    awk '{ print $1*16777216 + $2*65536 + $3*256 + $4, $5*16777216 + $6*65536 + $7*256 + $8 }')
  [ "$width $height" = "$size $size" ] || fail "the ${size}x${size} icon is ${width}x${height}"
done

# Manual pages, compressed, for the three programs.
for program in OrvanePlayer orvane-csv orvane-mklog; do
  page=$share/man/man1/$program.1.gz
  [ -f "$page" ] || fail "no manual page for $program"
  gzip -dc "$page" | grep -q "^\.TH " || fail "$page is not a manual page"
  if gzip -dc "$page" | grep -q '@[A-Z_]*@'; then fail "$page has unfilled placeholders"; fi
done

metainfo=$(ls "$share"/metainfo/*.metainfo.xml)
grep -q '<mediatype>application/x-orvane-log</mediatype>' "$metainfo" ||
  fail "the software catalogue's entry names no MIME type"
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$metainfo" >"$root/appstream.log" 2>&1 ||
    { cat "$root/appstream.log" >&2; fail "appstreamcli rejects $metainfo"; }
fi

# The installed layout is the demo layout, byte for byte; the installed player, with
# no Orvane.ini beside it, uses the user's file.
cmp "$share/orvaneplayer/Orvane.ini" "$source/data/demo/Orvane.ini" ||
  fail "the installed layout is not the demo layout"
out=$(env -u XDG_CONFIG_HOME HOME=/home/someone "$root/usr/bin/OrvanePlayer" --print-settings-path)
[ "$out" = /home/someone/.config/OrvanePlayer/Orvane.ini ] ||
  fail "the installed player would use '$out'"

# The gauge library with its link and CMake package, and the Designer plugin in the
# prefix's copy of Qt's plugin folder.
for file in libmeter.so.1 libmeter.so meterConfig.cmake; do
  [ -n "$(find "$root/usr/lib" -name "$file")" ] || fail "$file is not installed"
done
if [ -d "$build/meter/designer" ]; then
  plugins=$(qtpaths6 --query QT_INSTALL_PLUGINS 2>/dev/null || echo /usr/lib/qt6/plugins)
  qt_prefix=$(qtpaths6 --query QT_INSTALL_PREFIX 2>/dev/null || echo /usr)
  [ -f "$root/usr${plugins#"$qt_prefix"}/designer/libmeter_designer.so" ] ||
    fail "the Designer plugin is not in Qt's plugin folder of the prefix"
fi

# A staged install (as for a package) leaves the caches to the target system.
DESTDIR="$root/stage" "$cmake" --install "$build" --prefix /usr >"$root/stage.log" 2>&1 ||
  { cat "$root/stage.log" >&2; fail "the staged install failed"; }
[ -f "$root/stage/usr/share/mime/packages/orvaneplayer.xml" ] || fail "staged: no MIME package"
[ ! -e "$root/stage/usr/share/mime/globs2" ] || fail "staged: the MIME cache was built"
[ ! -e "$root/stage/usr/share/applications/mimeinfo.cache" ] || fail "staged: the desktop cache was built"

rm -rf "$root"
echo "install: player, desktop entry, MIME type, icons, manual pages, catalogue entry and layout in place"
