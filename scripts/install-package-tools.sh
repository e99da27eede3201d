#!/usr/bin/env bash
# Installs the Debian packages needed to build and check the project's Debian
# packages (make package): dpkg-shlibdeps, the file and readelf tools CPack uses,
# lintian and appstreamcli. Idempotent: when everything is present it prints nothing.
set -euo pipefail
exec bash "$(dirname "$0")/install-deps.sh" dpkg-dev file binutils lintian appstream
