#!/usr/bin/env bash
# The Windows build, cross-compiled with MinGW-w64 and run under Wine on a
# virtual X display:
#   - the unit tests, built for Windows, pass;
#   - the windowed program's built-in run, started from another directory,
#     writes beside the executable, in a fresh directory whose name has a
#     blank and an accented letter, the same files, byte for byte, as the
#     Linux build's run, ends by itself, and does so again over the files of
#     its first run;
#   - a directory in the way of the track file stops that run with a message
#     box;
#   - its window: client area 280 by 179 pixels (4200 by 2688 twips at 96
#     dots per inch), "Attendere" drawn large inside the label's rectangle;
#   - a fatal error of the compiled model: the message box captioned with the
#     application's title keeps the program waiting until it is closed with
#     Return; then the program has ended and no compiled file was touched;
#   - the console program: the same fatal error on standard error, and the
#     same report of a compile as the Linux build's;
#   - its serve command (when the cross build has cpp-httplib, built from
#     Debian's source package by cmake/httplib_source.sh): the page, a
#     foreign Host refused, a save seen through ReadDirectoryChangesW and
#     compiled again, and Ctrl-C (SIGINT) ending it with status 0.
#
# Usage: windows_test.sh SOURCE_DIR LINUX_COMPACTOR CROSS_BUILD_DIR [BUILD_TYPE]
# Exits 77 (skipped) when a tool it needs is missing. With
# COMPACTOR_SCREENSHOTS=DIR it leaves window.png, message_box.png and
# failure_box.png there.
set -u

src=$1
linux_exe=$2
cross=$3
build_type=${4:-}
title="Lavena_Codrano2_ES 2718"
app="$title.exe"

skip() {
  echo "SKIPPED: $*"
  exit 77
}

missing=()
for tool in cmake x86_64-w64-mingw32-g++-posix wine wineserver wineboot Xvfb xdotool xwininfo import convert; do
  command -v "$tool" >/dev/null 2>&1 || missing+=("$tool")
done
if ! command -v wine64 >/dev/null 2>&1 && [ ! -x /usr/lib/wine/wine64 ]; then missing+=(wine64); fi
if [ ${#missing[@]} -gt 0 ]; then
  skip "missing ${missing[*]} (Debian packages: g++-mingw-w64-x86-64 (its -posix part) wine wine64 xvfb xdotool x11-utils imagemagick)"
fi

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

[ -n "${COMPACTOR_SCREENSHOTS:-}" ] && mkdir -p "$COMPACTOR_SCREENSHOTS"
tmp=$(mktemp -d "${TMPDIR:-/tmp}/compactor_windows.XXXXXX")
xvfb_pid=
cleanup() {
  [ -d "$tmp/prefix" ] && WINEPREFIX="$tmp/prefix" wineserver -k >/dev/null 2>&1
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT

# --- cross build ---------------------------------------------------------
# The unit tests too, when GoogleTest's sources are there to build it for
# Windows (Debian: googletest, which libgtest-dev brings).
gtest_src=${COMPACTOR_GTEST_SOURCE:-/usr/src/googletest}
targets=(compactor compactor_window window_probe)
unit_tests=
if [ -f "$gtest_src/CMakeLists.txt" ]; then
  unit_tests=yes
  tests=(-DCOMPACTOR_TESTS=ON -DCOMPACTOR_GTEST_SOURCE="$gtest_src"
    -DCMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE=PRE_TEST)
  targets+=(compactor_unit_tests)
else
  tests=(-DCOMPACTOR_TESTS=OFF)
  echo "NOTE: no GoogleTest sources in $gtest_src: the unit tests do not run under Wine"
fi
# cpp-httplib for the serve command: Debian's source package, fetched once
# into the cross build directory.
if httplib_src=$("$src/cmake/httplib_source.sh" "$cross/httplib-source" 2>"$tmp/httplib.log"); then
  tests+=(-DCOMPACTOR_HTTPLIB_SOURCE="$httplib_src")
else
  echo "NOTE: no cpp-httplib source package ($(tail -1 "$tmp/httplib.log")): the Windows build has no serve"
fi
# A cache keeps the compilers it was made with: a changed toolchain file
# needs a fresh build directory.
toolchain="$src/cmake/mingw-w64-x86_64.cmake"
stamp=$(md5sum <"$toolchain")
if [ -f "$cross/CMakeCache.txt" ] && [ "$(cat "$cross/toolchain.md5" 2>/dev/null)" != "$stamp" ]; then
  rm -rf "$cross"
fi
mkdir -p "$cross" && echo "$stamp" >"$cross/toolchain.md5"
generator=()
command -v ninja >/dev/null 2>&1 && generator=(-G Ninja)
[ -f "$cross/CMakeCache.txt" ] && generator=()
if ! cmake -S "$src" -B "$cross" "${generator[@]}" \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" "${tests[@]}" \
    ${build_type:+-DCMAKE_BUILD_TYPE="$build_type"} \
    >"$tmp/configure.log" 2>&1; then
  cat "$tmp/configure.log"
  echo "FAIL: cross configure"
  exit 1
fi
if ! cmake --build "$cross" -j2 --target "${targets[@]}" >"$tmp/build.log" 2>&1; then
  tail -50 "$tmp/build.log"
  echo "FAIL: cross build"
  exit 1
fi

# --- virtual display and a fresh Wine prefix -----------------------------
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$tmp/display" 2>"$tmp/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$tmp/display" ] && break
  sleep 0.1
done
[ -s "$tmp/display" ] || { cat "$tmp/xvfb.log"; echo "FAIL: Xvfb did not start"; exit 1; }
export DISPLAY=":$(head -1 "$tmp/display")"
export WINEPREFIX="$tmp/prefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Unix file names in UTF-8, the Windows side in code page 1252.
export LC_ALL=C.UTF-8
if ! timeout 180 wineboot -i >"$tmp/wineboot.log" 2>&1; then
  cat "$tmp/wineboot.log"
  echo "FAIL: wineboot could not make a prefix"
  exit 1
fi

# Waits up to $2 seconds for process $1 to end; 1 if it is still running.
wait_for_end() {
  local pid=$1 seconds=$2 i
  for i in $(seq $((seconds * 10))); do
    kill -0 "$pid" 2>/dev/null || return 0
    sleep 0.1
  done
  return 1
}

# A line of `xwininfo -id WINDOW` output held in $geometry.
field() { echo "$geometry" | sed -n "s/^ *$1: *//p"; }

# The id of a visible window captioned with the application's title that is
# not the window Form1 (which has the same caption), waiting up to $1 seconds.
find_message_box() {
  local i id
  for i in $(seq $(($1 * 5))); do
    for id in $(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null); do
      xdotool getwindowgeometry "$id" 2>/dev/null | grep -q 'Geometry: 280x179$' || { echo "$id"; return; }
    done
    sleep 0.2
  done
}

# The message box of program $1, for $2: it must show up captioned with the
# application's title and keep the program waiting; Return closes it, after
# which the program must end with status 2. $3 names its screenshot.
close_message_box() {
  local program=$1 what=$2 shot=$3 box status
  box=$(find_message_box 60)
  if [ -z "$box" ]; then
    fail "$what: no message box captioned '$title' appeared"
  else
    sleep 1
    kill -0 "$program" 2>/dev/null || fail "$what: the program did not wait for its message box"
    if [ -n "${COMPACTOR_SCREENSHOTS:-}" ]; then
      geometry=$(xwininfo -id "$box")
      import -window root "$tmp/root.png"
      convert "$tmp/root.png" \
        -crop "$(field Width)x$(field Height)+$(field 'Absolute upper-left X')+$(field 'Absolute upper-left Y')" \
        +repage "$COMPACTOR_SCREENSHOTS/$shot"
    fi
    xdotool windowfocus --sync "$box" 2>/dev/null
    xdotool key Return
  fi
  if wait_for_end "$program" 30; then
    wait "$program"
    status=$?
    [ $status -eq 2 ] || fail "$what: after the message box the program exited $status, want 2"
  else
    fail "$what: the program did not end after its message box was closed"
    kill "$program" 2>/dev/null
  fi
}

# The files of a directory other than the executables, with their checksums.
listing() { (cd "$1" && find . -maxdepth 1 -type f ! -name '*.exe' ! -name compactor -print0 |
  sort -z | xargs -0 -r md5sum); }

# --- the unit tests --------------------------------------------------------
if [ -n "$unit_tests" ]; then
  if ! (cd "$tmp" && timeout 180 wine "$cross/compactor_unit_tests.exe" --gtest_brief=1) \
      >"$tmp/unit.log" 2>&1; then
    tr -d '\r' <"$tmp/unit.log" | tail -60
    fail "unit tests under Wine"
  else
    tr -d '\r' <"$tmp/unit.log" | tail -1
  fi
fi

# --- the built-in run ----------------------------------------------------
linux="$tmp/linux"
windows="$tmp/prova è"
mkdir -p "$linux" "$windows"
cp "$linux_exe" "$linux/compactor"
cp "$cross/$app" "$windows/"
(cd "$linux" && ./compactor) || fail "the Linux build's built-in run exited $?"
[ -n "$(listing "$linux")" ] || fail "the Linux build's built-in run wrote nothing"
# Started from another directory: the files go beside the executable.
elsewhere="$tmp/elsewhere"
mkdir -p "$elsewhere"
for round in first second; do
  (cd "$elsewhere" && timeout 120 wine "$windows/$app") >"$tmp/run.log" 2>&1
  status=$?
  if [ $status -eq 124 ]; then
    fail "$round built-in run under Wine did not end by itself within 120 s"
  elif [ $status -ne 0 ]; then
    cat "$tmp/run.log"
    fail "$round built-in run under Wine exited $status"
  fi
  if ! diff <(listing "$linux") <(listing "$windows"); then
    fail "$round built-in run: the files differ from the Linux build's (< Linux, > Windows)"
  fi
done
[ -z "$(ls -A "$elsewhere")" ] || fail "the built-in run wrote into its working directory: $(ls -A "$elsewhere")"

# A file that cannot be written stops the run with a message box.
blocked="$tmp/blocked"
mkdir -p "$blocked/$title.dat"
cp "$cross/$app" "$blocked/"
(cd "$blocked" && wine "./$app") >/dev/null 2>&1 &
close_message_box $! "a directory in the way of the track file" failure_box.png
[ -d "$blocked/$title.dat" ] || fail "the directory in the way of the track file is gone"

# --- the window ----------------------------------------------------------
(cd "$tmp" && wine "$cross/window_probe.exe" stop) >/dev/null 2>&1 &
probe=$!
form=$(timeout 60 xdotool search --sync --onlyvisible --name "^$title\$" 2>/dev/null | head -1)
if [ -z "$form" ]; then
  fail "no window captioned '$title' appeared"
else
  geometry=$(xwininfo -id "$form")
  x=$(field 'Absolute upper-left X') y=$(field 'Absolute upper-left Y')
  w=$(field Width) h=$(field Height)
  [ "$w" = 280 ] && [ "$h" = 179 ] || fail "window client area ${w}x${h}, want 280x179"
  import -window root "$tmp/root.png"
  convert "$tmp/root.png" -crop "${w}x${h}+${x}+${y}" +repage "$tmp/window.png"
  # The drawn text: what is left after trimming the window's background.
  read -r tw th tx ty < <(convert "$tmp/window.png" -fuzz 20% -trim -format '%w %h %X %Y\n' info:)
  tx=${tx#+} ty=${ty#+}
  echo "window ${w}x${h}, text ${tw}x${th} at ${tx},${ty}"
  # Label1: 64, 64, 177 by 53 pixels; a 24 point bold "Attendere" is over
  # 20 pixels tall and 100 wide.
  if [ "$tx" -lt 64 ] || [ "$ty" -lt 64 ] || [ $((tx + tw)) -gt 241 ] || [ $((ty + th)) -gt 117 ]; then
    fail "text ${tw}x${th} at ${tx},${ty} is not inside Label1 (64,64 177x53)"
  fi
  if [ "$th" -lt 20 ] || [ "$tw" -lt 100 ]; then
    fail "text ${tw}x${th} is too small for 24 point bold"
  fi
  if [ -n "${COMPACTOR_SCREENSHOTS:-}" ]; then
    cp "$tmp/window.png" "$COMPACTOR_SCREENSHOTS/window.png"
  fi
fi
touch "$tmp/stop"
wait_for_end "$probe" 30 || fail "window_probe did not end"

# --- a fatal error: the message box --------------------------------------
fatal="$tmp/fatal"
mkdir -p "$fatal"
cp "$cross/$app" "$cross/compactor.exe" "$fatal/"
printf '[generale]\r\nlunghezza percorso,    241000\r\n[fine]\r\n' >"$fatal/line.txt"
# A signal at position 0 puts a feature on cell 1: fatal error 1250.
printf '[generale]\r\nsegnale,    0,   2, 4, 0,  0, 0,    0,  0,0,0, 0\r\n[fine]\r\n' >"$fatal/svc.txt"
for name in "Lavena_Codrano2_linea.dat" "$title.sim" "$title.dat"; do
  echo "earlier run" >"$fatal/$name"
  touch -d '2001-02-03 04:05:06' "$fatal/$name"
done
before=$(cd "$fatal" && ls -l --time-style=+%s && md5sum ./*)

(cd "$fatal" && wine "./$app" compile line.txt svc.txt) >/dev/null 2>&1 &
close_message_box $! "fatal error 1250" message_box.png
after=$(cd "$fatal" && ls -l --time-style=+%s && md5sum ./*)
if [ "$before" != "$after" ]; then
  diff <(echo "$before") <(echo "$after")
  fail "the fatal run changed the directory"
fi

# --- the console program -------------------------------------------------
err=$(cd "$fatal" && timeout 60 wine ./compactor.exe compile line.txt svc.txt 2>&1 >/dev/null)
status=$?
[ $status -eq 2 ] || fail "compactor.exe with a fatal source exited $status, want 2"
[ "$(echo "$err" | tr -d '\r')" = "$title:  Errore n. 1250" ] || fail "compactor.exe said: $err"
printf '[generale]\r\nsegnale,   17230,   2, 4, 1,  1, 0,    2,  2,1,1, 0\r\nsegnale,   17240,   2, 4, 1,  1, 0,    2,  2,1,1, 0\r\n[fine]\r\n' \
  >"$fatal/svc.txt"
want=$(cd "$fatal" && "$linux/compactor" compile line.txt svc.txt --json --dir "$linux")
got=$(cd "$fatal" && timeout 60 wine ./compactor.exe compile line.txt svc.txt --json 2>&1 | tr -d '\r')
[ "$got" = "$want" ] || fail "compactor.exe --json: got $got, want $want"
for name in "Lavena_Codrano2_linea.dat" "$title.sim" "$title.dat"; do
  cmp "$linux/$name" "$fatal/$name" || fail "compactor.exe compile wrote another $name"
done

# --- the console program's serve -----------------------------------------
if (cd "$fatal" && timeout 60 wine ./compactor.exe help 2>/dev/null | tr -d '\r' | grep -q '^  serve '); then
  live="$tmp/live"
  mkdir -p "$live"
  cp "$cross/compactor.exe" "$fatal/line.txt" "$fatal/svc.txt" "$live/"
  (cd "$live" && exec wine ./compactor.exe serve line.txt svc.txt --port 0) >"$live/out" 2>"$live/err" &
  serve=$!
  port=
  for _ in $(seq 300); do
    port=$(tr -d '\r' <"$live/out" | sed -n 's|^http://127\.0\.0\.1:\([0-9]*\)/$|\1|p')
    [ -n "$port" ] && break
    sleep 0.2
  done
  if [ -z "$port" ]; then
    fail "serve under Wine printed no address: $(tr -d '\r' <"$live/err" | head -5)"
  else
    get() { curl -s --max-time 5 -o "$tmp/got" -w '%{http_code}' "$@"; }
    [ "$(get "http://127.0.0.1:$port/")" = 200 ] && grep -q "new EventSource('/events')" "$tmp/got" ||
      fail "serve under Wine: no page at /"
    [ "$(get -H "Host: attacker.example:$port" "http://127.0.0.1:$port/")" = 403 ] ||
      fail "serve under Wine answered a foreign Host"
    [ "$(get "http://127.0.0.1:$port/state")" = 200 ] && grep -q '"generation":1,' "$tmp/got" ||
      fail "serve under Wine: no first state"
    # A save by rename, as editors do, of a source with one fault fewer.
    printf '[generale]\r\nsegnale,   17230,   2, 4, 1,  1, 0,    2,  2,1,1, 0\r\n[fine]\r\n' >"$live/svc.new"
    mv "$live/svc.new" "$live/svc.txt"
    seen=
    for _ in $(seq 50); do
      get "http://127.0.0.1:$port/state" >/dev/null
      grep -q '"generation":2,' "$tmp/got" && grep -q '"diagnostics":\[\]' "$tmp/got" && { seen=yes; break; }
      sleep 0.2
    done
    [ -n "$seen" ] || fail "serve under Wine did not compile the saved source again: $(head -c 300 "$tmp/got")"
    tr -d '\r' <"$live/err" | grep -q '(ReadDirectoryChangesW)' ||
      fail "serve under Wine did not watch with ReadDirectoryChangesW: $(tr -d '\r' <"$live/err" | head -3)"
    echo "serve under Wine: page, foreign Host refused, a save by rename compiled again"
  fi
  kill -INT "$serve" 2>/dev/null
  if wait_for_end "$serve" 20; then
    wait "$serve"
    status=$?
    [ $status -eq 0 ] || fail "serve under Wine exited $status after Ctrl-C, want 0"
  else
    fail "serve under Wine did not end after Ctrl-C"
    kill "$serve" 2>/dev/null
  fi
else
  echo "NOTE: the Windows build has no serve command"
fi

if [ $failures -gt 0 ]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "all Windows checks passed"
