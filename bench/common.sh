# What the bench scripts share; sourced, after `set -eu`, by run.sh and
# inspect.sh (bench_work, bench_build) and view.sh (median_of, bench_repo).
#
#   bench_work         sets `work`: BENCH_WORK if given (kept), else a new
#                      scratch directory under ${TMPDIR:-/tmp}, removed at exit
#   bench_build [DIR]  sets `build` and `exe`: DIR's `compactor`, or without
#                      DIR a Release build (tests off) in bench/build-release
#   median_of F N      the median of hyperfine result N (from 0) in JSON file F

bench_here=$(cd "$(dirname "$0")" && pwd)
bench_repo=$(dirname "$bench_here")

bench_work() {
  if [ -n "${BENCH_WORK:-}" ]; then
    work=$BENCH_WORK
    mkdir -p "$work"
  else
    work=$(mktemp -d "${TMPDIR:-/tmp}/compactor-bench.XXXXXX")
    trap 'rm -rf "$work"' EXIT INT TERM
  fi
}

bench_build() {
  if [ $# -ge 1 ]; then
    build=$(cd "$1" && pwd)
  else
    build="$bench_here/build-release"
    echo "building $build ..." >&2
    { cmake -S "$bench_repo" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCOMPACTOR_TESTS=OFF &&
      cmake --build "$build" --target compactor; } >"$work/build.log" 2>&1 ||
      { cat "$work/build.log" >&2; echo "$0: the build failed" >&2; exit 1; }
  fi
  exe="$build/compactor"
  [ -x "$exe" ] || { echo "$0: no compactor in $build" >&2; exit 2; }
}

median_of() {
  awk -v want="$2" '
    /"median"/ { gsub(/[^0-9.eE+-]/, "", $2); if (n++ == want) { print $2; exit } }
  ' FS=: "$1"
}
