#!/bin/sh
# The page of compactor view on the longest line: how long writing it takes
# against compiling the same sources, how big it is, and how long Chromium
# takes to load it.
#
#   bench/view.sh [BUILD_DIR]
#
# BUILD_DIR holds a built `compactor` (default: build). The line is
# bench/gen_line.sh 1000000 (1000000 m). Both commands run in one hyperfine
# run, RUNS times each (default 30, WARMUP 3):
#   compile   compactor compile line.txt service.txt --dir out
#   view      compactor view line.txt service.txt --dir out
# Chromium (headless, through Selenium: Debian's chromium, chromium-driver
# and python3-selenium) then loads the page LOADS times (default 5) from a
# fresh profile; the median of the time from navigation to the load event
# and to the first frame drawn after the page's script has run is printed.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
. "$here/common.sh"
build=${1:-$bench_repo/build}
build=$(cd "$build" && pwd)
exe="$build/compactor"
runs=${RUNS:-30}
warmup=${WARMUP:-3}
loads=${LOADS:-5}
[ -x "$exe" ] || { echo "$0: no compactor in $build" >&2; exit 2; }
command -v hyperfine >/dev/null 2>&1 || { echo "$0: hyperfine is needed (apt-get install hyperfine)" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/compactor-view-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT INT TERM
sh "$here/gen_line.sh" 1000000 "$work"
mkdir -p "$work/out"
cd "$work"

hyperfine -N -i --style none --warmup "$warmup" --runs "$runs" --export-json "$work/times.json" \
  "'$exe' compile line.txt service.txt --dir out" \
  "'$exe' view line.txt service.txt --dir out" >/dev/null

# The n-th command's wall times, as min, first quartile, third quartile, max.
spread_of() {
  tr -d ' \n' <"$1" | awk -v want="$2" '{
    n = split($0, parts, "\"times\":\\[")
    split(parts[want + 2], rest, "\\]"); k = split(rest[1], t, ",")
    for (i = 1; i <= k; i++) v[i] = t[i] + 0
    for (i = 2; i <= k; i++) { x = v[i]; for (j = i - 1; j >= 1 && v[j] > x; j--) v[j + 1] = v[j]; v[j + 1] = x }
    printf "%.2f, %.2f-%.2f, %.2f", v[1] * 1000, v[int((k + 3) / 4)] * 1000, v[int((3 * k + 3) / 4)] * 1000, v[k] * 1000
  }'
}
compile=$(median_of "$work/times.json" 0)
view=$(median_of "$work/times.json" 1)
compile_spread=$(spread_of "$work/times.json" 0)
view_spread=$(spread_of "$work/times.json" 1)
page="$work/out/Lavena_Codrano2_ES 2718.html"
size=$(wc -c <"$page" | tr -d ' ')

echo "line:      1000000 m (bench/gen_line.sh), $runs runs per command (hyperfine medians)"
awk -v c="$compile" -v v="$view" 'BEGIN {
  printf "compile:   %8.2f ms\n", c * 1000
  printf "view:      %8.2f ms  (%.2f times compile)\n", v * 1000, v / c
}'
echo "spread:    compile $compile_spread ms, view $view_spread ms (min, Q1-Q3, max)"
awk -v s="$size" 'BEGIN { printf "page:      %d bytes (%.2f MB)\n", s, s / 1000000 }'

python=/usr/bin/python3
[ -x "$python" ] || python=python3
"$python" - "$page" "$loads" <<'EOF' || echo "chromium:  not measured (needs chromium, chromium-driver and python3-selenium)"
import statistics, sys, tempfile
from selenium import webdriver
from selenium.webdriver.chrome.service import Service

page, loads = sys.argv[1], int(sys.argv[2])
options = webdriver.ChromeOptions()
options.binary_location = "/usr/bin/chromium"
profile = tempfile.mkdtemp(prefix="compactor-view-bench-")
for flag in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
             "--disable-background-networking", "--disable-component-update", "--disable-sync",
             "--window-size=1400,1300", "--user-data-dir=" + profile):
    options.add_argument(flag)
driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
loaded, drawn = [], []
try:
    for _ in range(loads):
        driver.get("about:blank")
        driver.get("file://" + page)
        t = driver.execute_async_script(
            "var done = arguments[0];"
            "requestAnimationFrame(function () { requestAnimationFrame(function () {"
            "  var n = performance.getEntriesByType('navigation')[0];"
            "  done([n.loadEventEnd, performance.now()]); }); });")
        loaded.append(t[0])
        drawn.append(t[1])
finally:
    driver.quit()
print("chromium:  %.0f ms to the load event, %.0f ms to the first frame after the script "
      "(median of %d loads)" % (statistics.median(loaded), statistics.median(drawn), loads))
EOF
