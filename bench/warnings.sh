#!/bin/sh
# What warnings and origins cost: `compactor compile` of the generated
# 1000000 m line (bench/gen_line.sh), by a build from before they existed
# against this one, with the default warnings and with -Wall.
#
#   bench/warnings.sh BEFORE_BUILD_DIR [AFTER_BUILD_DIR]
#
# Each BUILD_DIR holds a built `compactor` (AFTER_BUILD_DIR defaults to
# build). The script first checks that both write the same bytes, then
# measures the three commands in one hyperfine run and prints their wall-time
# medians and CPU-time means, each against the build from before. RUNS (default 50) and
# WARMUP (default 5) set the hyperfine runs; scratch files go to a new
# directory under ${TMPDIR:-/tmp}, removed at the end.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
repo=$(dirname "$here")
runs=${RUNS:-50}
warmup=${WARMUP:-5}
[ $# -ge 1 ] || { echo "usage: $0 BEFORE_BUILD_DIR [AFTER_BUILD_DIR]" >&2; exit 2; }
before=$(cd "$1" && pwd)/compactor
after=$(cd "${2:-$repo/build}" && pwd)/compactor
for exe in "$before" "$after"; do
  [ -x "$exe" ] || { echo "$0: no program at $exe" >&2; exit 2; }
done
command -v hyperfine >/dev/null 2>&1 || { echo "$0: hyperfine is needed (apt-get install hyperfine)" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/compactor-warnings.XXXXXX")
trap 'rm -rf "$work"' EXIT INT TERM
"$here/gen_line.sh" 1000000 "$work"
mkdir "$work/before" "$work/after" "$work/all"
cd "$work"

# The same bytes, whatever the warnings.
"$before" compile line.txt service.txt --dir before
"$after" compile line.txt service.txt --dir after
"$after" compile line.txt service.txt --dir all -Wall 2>/dev/null
for f in before/*; do
  name=$(basename "$f")
  cmp -s "$f" "after/$name" && cmp -s "$f" "all/$name" ||
    { echo "$0: $name differs between the builds" >&2; exit 1; }
done
echo "same bytes: $(ls before | wc -l) files"

hyperfine --style basic --runs "$runs" --warmup "$warmup" --export-json times.json \
  -n before "'$before' compile line.txt service.txt --dir before" \
  -n warnings "'$after' compile line.txt service.txt --dir after" \
  -n wall "'$after' compile line.txt service.txt --dir all -Wall" >/dev/null

# Medians of the wall time and means of the CPU time (user + system, less
# disturbed by other work on the machine), each against "before".
tr -d ' \n' <times.json | sed 's/"command":/\n&/g' |
  sed -n 's/.*"command":"\([a-z]*\)".*"median":\([0-9.e-]*\).*"user":\([0-9.e-]*\),"system":\([0-9.e-]*\).*/\1 \2 \3 \4/p' |
  awk 'NR == 1 { wall = $2; cpu = $3 + $4 }
       { printf "%-9s wall median %8.2f ms %+6.1f%%   cpu mean %8.2f ms %+6.1f%%\n",
                $1, $2 * 1000, ($2 / wall - 1) * 100, ($3 + $4) * 1000, (($3 + $4) / cpu - 1) * 100 }'

# Instructions executed (valgrind's callgrind, when installed): the same on
# every run, whatever else the machine is doing.
if command -v valgrind >/dev/null 2>&1; then
  count() { valgrind --tool=callgrind --callgrind-out-file=/dev/null "$@" 2>&1 >/dev/null | sed -n 's/.*Collected : //p'; }
  b=$(count "$before" compile line.txt service.txt --dir before)
  w=$(count "$after" compile line.txt service.txt --dir after)
  a=$(count "$after" compile line.txt service.txt --dir all -Wall)
  awk -v b="$b" -v w="$w" -v a="$a" 'BEGIN {
    printf "instructions: before %d, warnings %d (%+.1f%%), wall %d (%+.1f%%)\n", b, w, (w / b - 1) * 100, a, (a / b - 1) * 100 }'
fi
