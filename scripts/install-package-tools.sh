#!/usr/bin/env bash
# Installs the Debian packages needed to build and check the project's Debian
# packages (make package): dpkg-shlibdeps, the file and readelf tools CPack uses,
# lintian and appstreamcli. Idempotent: when everything is present it prints nothing.
set -euo pipefail

packages=(dpkg-dev file binutils lintian appstream)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
    missing+=("$p")
  fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

echo "install-package-tools: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
