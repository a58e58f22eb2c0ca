#!/bin/sh
# Latency of the language server: from didChange to the publishDiagnostics
# that follows, on the built-in sources (the service description open, its
# line description on disk beside it), alternating a change that puts a fault
# in and one that takes it out.
#
#   bench/lsp.sh BUILD_DIR [RUNS]
#
# BUILD_DIR holds a built compactor (for example build); RUNS defaults to 500.
# Prints the median, 90th percentile and maximum in milliseconds. Needs
# python3; the scripted client of the test suite does the driving.
set -eu
if [ $# -lt 1 ]; then
  echo "usage: $0 BUILD_DIR [RUNS]" >&2
  exit 2
fi
build=$1
runs=${2:-500}
here=$(dirname "$0")
out=$(mktemp "${TMPDIR:-/tmp}/compactor_lsp_bench.XXXXXX")
trap 'rm -f "$out"' EXIT
python3 "$here/../tests/lsp/lsp_client.py" "$build/compactor" --latency-runs "$runs" --latency-json "$out" |
  grep '^latency' || true
python3 -c 'import json,sys; r=json.load(open(sys.argv[1])); print("runs %d: median %.2f ms, 90th percentile %.2f ms, max %.2f ms" % (r["runs"], r["median_ms"], r["p90_ms"], r["max_ms"]))' "$out"
