#!/usr/bin/env bash
# Shows what the build has to offer on generated demo data.
set -euo pipefail
build=${1:-build}
echo "Built programs in $build:"
find "$build" -maxdepth 3 -type f -executable -name 'orvane-*' -o -maxdepth 3 -type f -executable -name 'OrvanePlayer' | sort
