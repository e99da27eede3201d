#!/usr/bin/env bash
# Builds the Debian packages (make package) in BUILD_DIR (default build-package): the
# player, the gauge library, its development files and its Designer plugin. The tree
# is configured for the system's folders (/usr) with Debian's build flags, packaged by
# CPack, and the packages are checked with lintian (no errors allowed) and the
# software catalogue's entry with appstreamcli.
#
#   package.sh [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build-package}
jobs=${JOBS:-$(nproc)}

bash "$root/scripts/install-deps.sh"
bash "$root/scripts/install-package-tools.sh"

# Debian's compiler and linker flags, with every hardening feature.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
ldflags=$(dpkg-buildflags --get LDFLAGS)
# The packages' files carry the time of the last change, not of the build.
SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct 2>/dev/null || date +%s)
export SOURCE_DATE_EPOCH

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_INSTALL_PREFIX=/usr -DORVANE_DEBIAN_PACKAGING=ON \
  -DORVANE_BUILD_TESTS=OFF -DORVANE_BUILD_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" \
  -DCMAKE_SHARED_LINKER_FLAGS="$ldflags" -DCMAKE_MODULE_LINKER_FLAGS="$ldflags"
cmake --build "$build" -j "$jobs"

rm -f "$build"/*.deb
(cd "$build" && cpack -G DEB) >"$build/cpack.log" 2>&1 || { cat "$build/cpack.log" >&2; exit 1; }
mapfile -t debs < <(ls "$build"/*.deb)
[ ${#debs[@]} -gt 0 ] || { echo "package: CPack made no package" >&2; exit 1; }

echo "== lintian"
# Errors fail the build; the warnings that are kept are listed in the README.
lintian --fail-on error --display-level ">=warning" "${debs[@]}" | tee "$build/lintian.log"
echo "lintian: $(grep -c '^E: ' "$build/lintian.log" || true) errors," \
  "$(grep -c '^W: ' "$build/lintian.log" || true) warnings"

echo "== appstreamcli"
appstreamcli validate --no-net "$build"/player/window/*.metainfo.xml

echo "== packages"
for deb in "${debs[@]}"; do
  printf '%s\n' "$deb"
  dpkg-deb --field "$deb" Depends | sed 's/^/    Depends: /'
done
