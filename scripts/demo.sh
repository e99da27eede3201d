#!/usr/bin/env bash
# Shows what the build has to offer on generated demo data.
set -euo pipefail
build=${1:-build}
demo=demo
mkdir -p "$demo"
for n in 1 2 3; do
  log="$demo/orvn000$n.bin"
  [ -f "$log" ] || "$build/tools/orvane-mklog/orvane-mklog" --records $((2000 * n)) --seed "$n" "$log"
done
"$build/tools/orvane-csv/orvane-csv" --info "$demo/orvn0001.bin"
echo
echo "First lines of the CSV export of $demo/orvn0001.bin:"
"$build/tools/orvane-csv/orvane-csv" --stdout "$demo/orvn0001.bin" | head -5
