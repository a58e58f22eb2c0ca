#!/bin/sh
# Speed of reading compiled files back, against the compile that wrote them.
#
#   bench/inspect.sh [BUILD_DIR]
#
# BUILD_DIR holds a built `compactor`. Without it the script configures and
# builds a Release binary (tests off) in bench/build-release and uses that.
#
# On the 1000000 m line of bench/gen_line.sh it measures, in one hyperfine
# run: the compile into a directory A, `inspect --json --all` of the three
# files it wrote, and `diff` of A with a directory B compiled from the same
# sources. It prints the median wall times with the fastest and slowest run,
# the CPU times (user + system) and each command's ratio to the compile.
#
# Settings from the environment: RUNS (timed runs per command, default 50),
# WARMUP (default 5), BENCH_WORK (scratch directory, default a new one under
# ${TMPDIR:-/tmp}, removed at the end).
set -eu

here=$(cd "$(dirname "$0")" && pwd)
. "$here/common.sh"
runs=${RUNS:-50}
warmup=${WARMUP:-5}

for tool in hyperfine awk; do
  command -v "$tool" >/dev/null 2>&1 || { echo "$0: $tool is needed (apt-get install $tool)" >&2; exit 2; }
done

bench_work
bench_build "$@"

d="$work/line1000000"
"$here/gen_line.sh" 1000000 "$d"
mkdir -p "$d/a" "$d/b"
for side in a b; do
  "$exe" compile "$d/line.txt" "$d/service.txt" --dir "$d/$side" >/dev/null ||
    { echo "$0: the compile failed" >&2; exit 1; }
done
path="$d/a/Lavena_Codrano2_linea.dat"
table="$d/a/Lavena_Codrano2_ES 2718.sim"
track="$d/a/Lavena_Codrano2_ES 2718.dat"
# Both sides are the same scenario: diff reads and compares every byte.
"$exe" diff "$d/a" "$d/b" || { echo "$0: the two compiles differ" >&2; exit 1; }

compile="'$exe' compile '$d/line.txt' '$d/service.txt' --dir '$d/a'"
inspect="'$exe' inspect '$path' '$table' '$track' --json --all"
diff="'$exe' diff '$d/a' '$d/b'"
hyperfine -N -i --style none --warmup "$warmup" --runs "$runs" \
  --export-json "$work/inspect.json" "$compile" "$inspect" "$diff" >/dev/null
json_bytes=$("$exe" inspect "$path" "$table" "$track" --json --all | wc -c)

echo "compactor: $exe"
echo "machine:   $(nproc) cores, $(awk -F': ' '/model name/ { print $2; exit }' /proc/cpuinfo)," \
  "$(uname -sr)"
echo "runs:      $runs per command (hyperfine medians)"
echo "load:      $(cut -d ' ' -f 1-3 /proc/loadavg) (1, 5, 15 min) at the end, $(date -u '+%Y-%m-%d %H:%M UTC')"
echo "files:     $(wc -c <"$path") + $(wc -c <"$table") + $(wc -c <"$track") bytes; inspect --json --all prints $json_bytes bytes"
echo
# hyperfine's JSON: per command a "median", a "user", a "system", a "min" and
# a "max" (seconds), "system" before "min".
awk '
  BEGIN { n = 0 }
  /"median"/ { gsub(/[^0-9.eE+-]/, "", $2); median[n] = $2 }
  /"min"/    { gsub(/[^0-9.eE+-]/, "", $2); lo[n - 1] = $2 }
  /"max"/    { gsub(/[^0-9.eE+-]/, "", $2); hi[n - 1] = $2 }
  /"user"/   { gsub(/[^0-9.eE+-]/, "", $2); user[n] = $2 }
  /"system"/ { gsub(/[^0-9.eE+-]/, "", $2); sys[n] = $2; n++ }
  END {
    name[0] = "compile"; name[1] = "inspect --json --all"; name[2] = "diff"
    printf "| %-20s | %11s | %15s | %14s | %16s | %14s |\n", "command", "median (ms)", "min-max (ms)", "CPU mean (ms)", "median / compile", "CPU / compile"
    printf "|%s|%s|%s|%s|%s|%s|\n", "----------------------", "------------:", "----------------:", "---------------:", "-----------------:", "---------------:"
    for (i = 0; i < 3; i++) {
      printf "| %-20s | %11.2f | %7.2f-%-7.2f | %14.2f | %16.2f | %14.2f |\n", name[i], median[i] * 1000, lo[i] * 1000, hi[i] * 1000,
        (user[i] + sys[i]) * 1000, median[i] / median[0], (user[i] + sys[i]) / (user[0] + sys[0])
    }
  }
' FS=: "$work/inspect.json"
