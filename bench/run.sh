#!/bin/sh
# Speed and memory of compactor against the cost of writing the same bytes.
#
#   bench/run.sh [BUILD_DIR]
#
# BUILD_DIR holds a built `compactor`. Without it the script configures and
# builds a Release binary (tests off) in bench/build-release and uses that.
#
# For each case it measures, in one hyperfine run, the program and its floor:
# `dd if=/dev/zero bs=64K` writing as many bytes as the program's output files
# hold, into one file in the same directory, over its file of the run before
# (as the program replaces its own files). A second floor, dd into a new file
# each run, shows the bare cost of the bytes. It prints the median wall times,
# the ratios and the program's peak resident memory (/usr/bin/time).
# Cases: the built-in run (`compactor --dir DIR`) and `compactor compile` of
# generated lines of 250000, 500000 and 1000000 m (bench/gen_line.sh).
#
# Settings from the environment: RUNS (timed runs per command, default 100),
# WARMUP (default 5), BENCH_WORK (scratch directory, default a new one under
# ${TMPDIR:-/tmp}, removed at the end).
set -eu

here=$(cd "$(dirname "$0")" && pwd)
. "$here/common.sh"
runs=${RUNS:-100}
warmup=${WARMUP:-5}

for tool in hyperfine dd awk; do
  command -v "$tool" >/dev/null 2>&1 || { echo "$0: $tool is needed (apt-get install $tool)" >&2; exit 2; }
done
[ -x /usr/bin/time ] || { echo "$0: /usr/bin/time is needed (apt-get install time)" >&2; exit 2; }

bench_work
bench_build "$@"

# Bytes of the regular files in a directory, the floor file left out.
dir_bytes() {
  find "$1" -maxdepth 1 -type f ! -name floor.bin ! -name fresh.bin ! -name line.txt ! -name service.txt \
    -printf '%s\n' | awk '{ n += $1 } END { print n + 0 }'
}

# The first and third quartiles of the runs of result $2 in the JSON file $1
# (between them lies the middle half of the runs): "Q1 Q3", in seconds.
quartiles_of() {
  awk -v want="$2" '
    /"times": \[/ { if (n++ == want) { take = 1 }; next }
    take && /\]/ { exit }
    take { gsub(/[^0-9.eE+-]/, ""); t[++k] = $0 + 0 }
    END {
      for (i = 2; i <= k; i++) { v = t[i]; for (j = i - 1; j >= 1 && t[j] > v; j--) t[j + 1] = t[j]; t[j + 1] = v }
      printf "%s %s\n", q(0.25), q(0.75)
    }
    function q(p,   h, lo) { h = (k - 1) * p + 1; lo = int(h); return t[lo] + (h - lo) * (t[lo + 1] - t[lo]) }
  ' "$1"
}

# Largest peak resident set (KiB) over five runs of the command.
peak_kib() {
  max=0
  for _ in 1 2 3 4 5; do
    /usr/bin/time -f '%M' -o "$work/time.out" "$@" >/dev/null 2>&1
    kib=$(tail -n 1 "$work/time.out")
    [ "$kib" -gt "$max" ] && max=$kib
  done
  echo "$max"
}

results="$work/results.txt"
: >"$results"

# bench NAME DIR COMMAND...: the command must write its files into DIR.
bench() {
  name=$1
  dir=$2
  shift 2
  # Exit status 1 means faults in the scenario data with every file written;
  # anything else means the run stopped and there is nothing to measure.
  status=0
  "$@" >/dev/null 2>&1 || status=$?
  if [ "$status" -gt 1 ]; then
    echo "$0: $name: the command stopped (exit status $status): $*" >&2
    exit 1
  fi
  [ "$status" -eq 0 ] || echo "$0: $name: exit status 1 (faults in the data), measured anyway" >&2
  bytes=$(dir_bytes "$dir")
  # hyperfine splits its commands like a shell: quote every word.
  cmdline=$(printf "'%s' " "$@")
  floor="dd if=/dev/zero 'of=$dir/floor.bin' bs=64K count=$bytes iflag=count_bytes status=none"
  fresh="dd if=/dev/zero 'of=$dir/fresh.bin' bs=64K count=$bytes iflag=count_bytes status=none"
  # The program replaces its files of the run before, and so does the floor:
  # dd truncates its file of the run before. The second floor writes a new
  # file each time (deleted before the run, untimed): the bare cost of the
  # bytes, without ext4's flush of a truncated file.
  hyperfine -N -i --style none --warmup "$warmup" --runs "$runs" \
    --prepare true --prepare true --prepare "rm -f '$dir/fresh.bin'" \
    --export-json "$work/$name.json" "$cmdline" "$floor" "$fresh" >/dev/null
  rm -f "$dir/floor.bin" "$dir/fresh.bin"
  t=$(median_of "$work/$name.json" 0)
  f=$(median_of "$work/$name.json" 1)
  n=$(median_of "$work/$name.json" 2)
  tq=$(quartiles_of "$work/$name.json" 0)
  fq=$(quartiles_of "$work/$name.json" 1)
  kib=$(peak_kib "$@")
  echo "$name $bytes $t $f $n $kib $tq $fq" >>"$results"
}

mkdir -p "$work/builtin"
bench built-in "$work/builtin" "$exe" --dir "$work/builtin"

for length in 250000 500000 1000000; do
  d="$work/line$length"
  "$here/gen_line.sh" "$length" "$d"
  bench "line-$length" "$d" "$exe" compile "$d/line.txt" "$d/service.txt" --dir "$d"
done

# What every run pays once, whatever its length: starting the process.
hyperfine -N -i --style none --warmup "$warmup" --runs "$runs" \
  --export-json "$work/start.json" "'$exe' --help" >/dev/null
start=$(median_of "$work/start.json" 0)
startq=$(quartiles_of "$work/start.json" 0)

echo "compactor: $exe"
echo "machine:   $(nproc) cores, $(awk -F': ' '/model name/ { print $2; exit }' /proc/cpuinfo)," \
  "$(uname -sr), $(df -T "$work" | awk 'NR == 2 { print $2 }') at $work"
echo "runs:      $runs per command (hyperfine medians; the middle half of the runs lies between the quartiles Q1-Q3), peak RSS = max of 5 runs"
echo "load:      $(cut -d ' ' -f 1-3 /proc/loadavg) (1, 5, 15 min) at the end, $(date -u '+%Y-%m-%d %H:%M UTC')"
echo
awk -v start="$start" -v startq="$startq" '
  BEGIN {
    printf "| %-12s | %10s | %11s | %13s | %10s | %13s | %5s | %14s | %9s | %8s |\n", "case", "output (B)", "median (ms)", "Q1-Q3 (ms)", "floor (ms)", "Q1-Q3 (ms)", "ratio", "new-file floor", "its ratio", "peak RSS"
    printf "|%s|%s|%s|%s|%s|%s|%s|%s|%s|%s|\n", "--------------", "-----------:", "------------:", "--------------:", "-----------:", "--------------:", "------:", "---------------:", "----------:", "---------:"
  }
  {
    printf "| %-12s | %10d | %11.2f | %6.2f-%-6.2f | %10.2f | %6.2f-%-6.2f | %5.2f | %11.2f ms | %9.2f | %4.1f MiB |\n", $1, $2, $3 * 1000, $7 * 1000, $8 * 1000, $4 * 1000, $9 * 1000, $10 * 1000, $3 / $4, $5 * 1000, $3 / $5, $6 / 1024
    if ($1 ~ /^line-/) { t[++n] = $3; b[n] = $2; len[n] = substr($1, 6) }
  }
  END {
    if (n == 0) exit
    split(startq, sq, " ")
    printf "\nstart-up (compactor --help): %.2f ms (Q1-Q3 %.2f-%.2f ms)\n", start * 1000, sq[1] * 1000, sq[2] * 1000
    printf "linear growth, time per output byte against the %s m line:", len[n]
    for (i = 1; i <= n; i++) printf " %s m %+.1f%%", len[i], (t[i] / b[i] / (t[n] / b[n]) - 1) * 100
    printf "\n"
    printf "the same without the start-up:"
    for (i = 1; i <= n; i++) printf " %s m %+.1f%%", len[i], ((t[i] - start) / b[i] / ((t[n] - start) / b[n]) - 1) * 100
    printf "\n"
  }
' "$results"
