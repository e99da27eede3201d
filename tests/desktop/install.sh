#!/usr/bin/env bash
# What `cmake --install` puts in place for the desktop: the player, its desktop entry
# taking the file as its argument, and the MIME type of logs, with the desktop's caches
# refreshed where their tools are installed (and not in a staged install).
#
#   install.sh CMAKE BUILD_DIR INSTALL_ROOT
set -euo pipefail
cmake=$1 build=$2 root=$3
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

# A staged install (as for a package) leaves the caches to the target system.
DESTDIR="$root/stage" "$cmake" --install "$build" --prefix /usr >"$root/stage.log" 2>&1 ||
  { cat "$root/stage.log" >&2; fail "the staged install failed"; }
[ -f "$root/stage/usr/share/mime/packages/orvaneplayer.xml" ] || fail "staged: no MIME package"
[ ! -e "$root/stage/usr/share/mime/globs2" ] || fail "staged: the MIME cache was built"
[ ! -e "$root/stage/usr/share/applications/mimeinfo.cache" ] || fail "staged: the desktop cache was built"

rm -rf "$root"
echo "install: player, desktop entry and MIME type in place"
