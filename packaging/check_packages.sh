#!/usr/bin/env bash
# The release packages, used as a user would:
#   - the Debian package passes lintian with no error, and apt would install
#     it here (its dependencies are there; simulated, nothing is installed);
#   - unpacked into a scratch root (dpkg-deb -x), its program prints its
#     version, does the built-in run, serves the preview of the exported
#     sources (through the serve program it installs in libexec), and its
#     manual page renders with no warning from man;
#   - the zip holds both Windows programs, the README and its pictures;
#     under Wine on a virtual display the console program prints its version
#     and each program's built-in run writes, beside it, the same files byte
#     for byte as the Debian package's program.
#
# Usage: packaging/check_packages.sh DEB ZIP
# Needs lintian, dpkg-deb, man (man-db), curl, unzip, wine, wine64, Xvfb.
set -euo pipefail

deb=$(realpath "$1")
zip=$(realpath "$2")
title="Lavena_Codrano2_ES 2718"

tmp=$(mktemp -d "${TMPDIR:-/tmp}/compactor_packages.XXXXXX")
xvfb_pid=
cleanup() {
  [ -d "$tmp/prefix" ] && WINEPREFIX="$tmp/prefix" wineserver -k >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# The files of a directory other than the executables, with their checksums.
listing() { (cd "$1" && find . -maxdepth 1 -type f ! -name '*.exe' -print0 | sort -z | xargs -0 -r md5sum); }

# --- the Debian package --------------------------------------------------
echo "lintian $(basename "$deb")"
lintian --fail-on error "$deb" || fail "lintian found errors in $deb"

apt-get install --simulate "$deb" >"$tmp/apt.log" 2>&1 || { cat "$tmp/apt.log"; fail "apt-get install --simulate $deb"; }
grep -q '^Inst compactor ' "$tmp/apt.log" || { cat "$tmp/apt.log"; fail "apt would not install compactor from $deb"; }

version=$(dpkg-deb -f "$deb" Version)
upstream=${version%-*}
dpkg-deb -x "$deb" "$tmp/root"
exe="$tmp/root/usr/bin/compactor"
got=$("$exe" --version) || fail "compactor --version exited $?"
[[ $got == *"$upstream"* ]] || fail "compactor --version said '$got', want $upstream in it"
echo "deb: $got"

mkdir -p "$tmp/linux"
"$exe" --dir "$tmp/linux" || fail "the built-in run of the package's program exited $?"
for name in Lavena_Codrano2_linea.dat "$title.sim" "$title.dat"; do
  [ -s "$tmp/linux/$name" ] || fail "the built-in run wrote no $name"
done
echo "deb: built-in run wrote $(find "$tmp/linux" -type f | wc -l) files"

# serve from the package: compactor hands over to the serve program the
# package installs beside it, which answers on the port it prints.
mkdir -p "$tmp/serve"
"$exe" export --dir "$tmp/serve" >/dev/null || fail "compactor export exited $?"
(cd "$tmp/serve" && exec "$exe" serve Lavena_Codrano2_linea.txt "$title-.txt" --port 0) \
  >"$tmp/serve.out" 2>"$tmp/serve.err" &
serve_pid=$!
for _ in $(seq 100); do
  grep -q '^http://' "$tmp/serve.out" && break
  sleep 0.1
done
url=$(head -1 "$tmp/serve.out")
state=$(curl -sf "${url}state") || { kill "$serve_pid"; cat "$tmp/serve.err"; fail "compactor serve from the package did not answer at '$url'"; }
kill -TERM "$serve_pid"
wait "$serve_pid" || fail "compactor serve from the package exited $? on SIGTERM"
[[ $state == *'"generation":1'* ]] || fail "compactor serve from the package gave the state '$state'"
echo "deb: serve answered at $url"

page="$tmp/root/usr/share/man/man1/compactor.1.gz"
warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >"$tmp/man.txt") || fail "man -l $page exited $?"
[ -z "$warnings" ] || fail "man -l $page warned: $warnings"
grep -q "compactor $upstream" "$tmp/man.txt" || fail "the manual page does not carry version $upstream"
echo "deb: the manual page renders, $(wc -l <"$tmp/man.txt") lines"

# --- the Windows zip -----------------------------------------------------
unzip -q "$zip" -d "$tmp/zip"
top="$tmp/zip/$(basename "$zip" .zip)"
for name in compactor.exe "$title.exe" README.md docs/window.png docs/message_box.png; do
  [ -f "$top/$name" ] || fail "$(basename "$zip") holds no $name"
done

Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$tmp/display" 2>"$tmp/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$tmp/display" ] && break
  sleep 0.1
done
[ -s "$tmp/display" ] || { cat "$tmp/xvfb.log"; fail "Xvfb did not start"; }
export DISPLAY=":$(head -1 "$tmp/display")"
export WINEPREFIX="$tmp/prefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export LC_ALL=C.UTF-8
timeout 180 wineboot -i >"$tmp/wineboot.log" 2>&1 || { cat "$tmp/wineboot.log"; fail "wineboot could not make a prefix"; }

got=$(cd "$tmp" && timeout 60 wine "$top/compactor.exe" --version | tr -d '\r') || fail "compactor.exe --version exited $?"
[[ $got == *"$upstream"* ]] || fail "compactor.exe --version said '$got', want $upstream in it"
echo "zip: $got"

# Each program's built-in run, from a copy of the unpacked zip: the files go
# beside the executable, and the windowed program ends by itself.
for program in compactor.exe "$title.exe"; do
  dir="$tmp/run-${program%% *}"
  cp -r "$top" "$dir"
  status=0
  (cd "$tmp" && timeout 120 wine "$dir/$program") >"$tmp/run.log" 2>&1 || status=$?
  [ $status -eq 0 ] || { cat "$tmp/run.log"; fail "$program: the built-in run exited $status"; }
  # The zip's own files are not the run's.
  rm -f "$dir/README.md"
  if ! diff <(listing "$tmp/linux") <(listing "$dir"); then
    fail "$program: its built-in run's files differ from the Debian package's (< deb, > zip)"
  fi
  echo "zip: $program: the built-in run wrote the same files as the package's program"
done
echo "both packages passed"
