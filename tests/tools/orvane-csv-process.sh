#!/usr/bin/env bash
# orvane-csv as a process: what a shell sees of its options, output files and exit
# statuses.
#
#   orvane-csv-process.sh ORVANE_CSV ORVANE_MKLOG
set -euo pipefail
csv=$1 mklog=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
fail() { echo "FAIL: $*" >&2; exit 1; }
status_of() { local s=0; "$@" >out.txt 2>err.txt || s=$?; echo "$s"; }

"$mklog" --records 600 --seed 2 --start "2026-12-05 23:59:50" orvn0001.bin
cp orvn0001.bin ./-orvn0002.bin

[ "$(status_of "$csv" --version)" = 0 ] || fail "--version"
grep -qE '^orvane-csv [0-9]+\.[0-9]+\.[0-9]+$' out.txt || fail "--version prints $(cat out.txt)"
[ "$(status_of "$csv" --help)" = 0 ] && grep -q -- "--from" out.txt || fail "--help names --from"

# A range by sample numbers: a new file named after the log and the range.
[ "$(status_of "$csv" --from 10 --to 20 orvn0001.bin)" = 0 ] || fail "range export: $(cat err.txt)"
[ "$(wc -l < orvn0001_000010-000020.csv)" = 12 ] || fail "range export line count"
# The same samples to standard output, by time across midnight.
[ "$(status_of "$csv" --stdout --from 23:59:59 --to 00:00:01 orvn0001.bin)" = 0 ] ||
  fail "time range: $(cat err.txt)"
head -2 out.txt | tail -1 | grep -q '^26/12/05,23:59:59,' || fail "first timed sample"
tail -1 out.txt | grep -q '^26/12/06,00:00:01,' || fail "last timed sample"

# A log whose name starts with "-", after "--".
[ "$(status_of "$csv" --stats -- -orvn0002.bin)" = 0 ] || fail "-- before a log name"
head -1 out.txt | grep -q $'^Item\tUnit\tMin' || fail "--stats header"
grep -q $'^Engine speed\trpm\t' out.txt || fail "--stats engine speed row"

[ "$(status_of "$csv" --map 33,44,38,count orvn0001.bin)" = 0 ] || fail "--map"
head -1 out.txt | grep -q '^,0,500,1000,' || fail "--map first line"

# A reference log of another slot order beside the log: both tables and the differences.
"$mklog" --records 400 --seed 5 --slots 44,2,38,7,33,23 --start "2026-12-06 09:00:00" ref.bin
[ "$(status_of "$csv" --stats orvn0001.bin --compare ref.bin --ref-from 50)" = 0 ] ||
  fail "--stats --compare: $(cat err.txt)"
head -1 out.txt | grep -q $'^Item\tUnit\tIn\tMin\tRef min\tMin diff\t' || fail "--compare header"
grep -q $'^Engine speed\trpm\tboth\t' out.txt || fail "--compare engine speed row"
grep -q $'^Battery\tV\tlog only\t' out.txt || fail "--compare item of the log alone"
[ "$(status_of "$csv" --map 33,44,38,count orvn0001.bin --compare ref.bin)" = 0 ] ||
  fail "--map --compare: $(cat err.txt)"
[ "$(grep -c '^,0,500,1000,' out.txt)" = 3 ] || fail "--map --compare: three tables"
grep -q '^difference: orvn0001.bin - ref.bin ' out.txt || fail "--map --compare difference"
[ "$(status_of "$csv" --stats orvn0001.bin --compare missing.bin)" = 1 ] || fail "missing reference"
grep -q 'missing.bin: ' err.txt && [ ! -s out.txt ] || fail "missing reference message"

# Errors: a range outside the log and usage errors give status 2.
[ "$(status_of "$csv" --from 500 --to 601 orvn0001.bin)" = 2 ] || fail "range outside the log"
grep -q "sample 601 is beyond the end of the log" err.txt || fail "range message"
[ ! -e orvn0001_000500-000601.csv ] || fail "a file for a refused range"
[ "$(status_of "$csv" --bogus orvn0001.bin)" = 2 ] || fail "unknown option"
[ "$(status_of "$csv" missing.bin)" = 1 ] || fail "missing log"
echo "orvane-csv: version, help, ranges by numbers and times, --, stats, map, compare and exit statuses"
