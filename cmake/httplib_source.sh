#!/usr/bin/env bash
# Debian's own source package of cpp-httplib, for the cross build (MinGW has
# no cpp-httplib library of its own):
#   cmake/httplib_source.sh DIR
# unpacks it under DIR once (apt-get source, with Debian's patches applied)
# and prints the directory that holds its httplib.h and split.py, to pass as
# -DCOMPACTOR_HTTPLIB_SOURCE. The source lists are read into DIR as well, so
# the machine's apt configuration is left as it is. Needs apt-get and
# dpkg-source (Debian package dpkg-dev). Exits 1, saying why, when it cannot.
set -euo pipefail
dir=$(mkdir -p "$1" && cd "$1" && pwd)
found() { ls -d "$dir"/src/cpp-httplib-*/ 2>/dev/null | head -1; }
if [ -z "$(found)" ] || [ ! -f "$(found)/split.py" ]; then
  command -v dpkg-source >/dev/null || { echo "no dpkg-source (apt-get install dpkg-dev)" >&2; exit 1; }
  # The machine's own package sources, as source-package entries: every
  # "deb" entry of its apt configuration becomes a "deb-src" one.
  mkdir -p "$dir/lists/partial" "$dir/src" "$dir/parts"
  : >"$dir/sources.list"
  if [ -f /etc/apt/sources.list ]; then
    sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' /etc/apt/sources.list >>"$dir/sources.list"
  fi
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    sed 's/^Types:[[:space:]]*deb[[:space:]]*$/Types: deb-src/' "$f" >"$dir/parts/$(basename "$f")"
  done
  for f in /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] || continue
    sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' "$f" >>"$dir/sources.list"
  done
  apt=(-o Dir::Etc::SourceList="$dir/sources.list" -o Dir::Etc::SourceParts="$dir/parts"
       -o Dir::State::Lists="$dir/lists" -o APT::Sandbox::User=root)
  apt-get "${apt[@]}" update -qq >"$dir/update.log" 2>&1 || { cat "$dir/update.log" >&2; exit 1; }
  # The version of the library the native build links, where it is installed.
  version=$(dpkg-query -W -f='${Version}' libcpp-httplib-dev 2>/dev/null || true)
  (cd "$dir/src" && rm -rf cpp-httplib-* &&
    apt-get "${apt[@]}" source -qq "cpp-httplib${version:+=$version}") >"$dir/source.log" 2>&1 ||
    { cat "$dir/source.log" >&2; exit 1; }
fi
found=$(found)
[ -f "$found/httplib.h" ] && [ -f "$found/split.py" ] || { echo "no httplib.h and split.py in $found" >&2; exit 1; }
echo "${found%/}"
