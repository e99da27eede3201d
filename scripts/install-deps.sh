#!/usr/bin/env bash
# Installs the Debian packages needed to build, test and run OrvanePlayer, or the
# packages named as arguments instead. Idempotent: when everything is present it prints
# nothing and exits 0.
set -euo pipefail

packages=(
  cmake g++ make pkg-config ninja-build ccache
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev
  qt6-tools-dev qt6-tools-dev-tools libqt6opengl6-dev
  libgtest-dev libbenchmark-dev
  libmuparser-dev
  fonts-ipafont-gothic fonts-dejavu-core fontconfig
  clang clang-format libclang-rt-14-dev
  xvfb xdotool x11-utils imagemagick openbox xclip
  shared-mime-info desktop-file-utils libxml2-utils librsvg2-bin
)

# Packages named on the command line replace the list above.
[ $# -gt 0 ] && packages=("$@")

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
    missing+=("$p")
  fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

echo "$(basename "$0" .sh): installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
