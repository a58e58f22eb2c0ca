#!/bin/sh
# Neovim's built-in LSP client against `compactor lsp`: an exported built-in
# service description with a fault put in (a second signal on the cell of
# the one at 17230), its diagnostics, a hover and the inlay hints.
#   tests/lsp/nvim_test.sh COMPACTOR EDITORS_DIR
# Exits 77 (skipped) where Neovim is missing.
set -eu
exe=$1
editors=$2
if ! command -v nvim >/dev/null 2>&1; then
  echo "SKIP: nvim is not installed (Debian package neovim); the Neovim test did not run"
  exit 77
fi
dir=$(mktemp -d "${TMPDIR:-/tmp}/compactor_nvim.XXXXXX")
trap 'rm -rf "$dir"' EXIT
"$exe" export --dir "$dir" >/dev/null
service="$dir/Lavena_Codrano2_ES 2718-.txt"
sig='segnale,   17230,   2, 4, 1,  1, 0,    2,  2,1,1, 0'
awk -v sig="$sig" '{ print } index($0, sig) == 1 { r = $0; sub(/17230/, "17250", r); print r }' "$service" >"$dir/x"
mv "$dir/x" "$service"
fault_line=$(grep -n 'segnale,   17250' "$service" | cut -d: -f1)
fault_line=$((fault_line - 1))
HOME=$dir XDG_CONFIG_HOME=$dir XDG_DATA_HOME=$dir XDG_STATE_HOME=$dir XDG_CACHE_HOME=$dir \
  timeout 60 nvim --headless -u NONE -i NONE -n \
  -c "lua _G.compactor_exe = [[$exe]]; _G.compactor_editors = [[$editors]]; _G.compactor_service = [[$service]]; _G.compactor_fault_line = [[$fault_line]]" \
  -c "luafile $(dirname "$0")/nvim_test.lua"
