#!/bin/sh
# Makes docs/lsp_nvim.png: Neovim (in tmux) editing an exported built-in
# service description with a fault put in, its diagnostics and the kilometre
# hints from compactor lsp; the terminal's text and colours are drawn by
# headless Chromium.
#   docs/make_screenshot.sh COMPACTOR
set -eu
exe=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
dir=$(mktemp -d "${TMPDIR:-/tmp}/compactor_shot.XXXXXX")
session=compactor_shot_$$
trap 'tmux kill-session -t "$session" 2>/dev/null || true; rm -rf "$dir"' EXIT
"$exe" export --dir "$dir" >/dev/null
service="$dir/Lavena_Codrano2_ES 2718-.txt"
sig='segnale,   17230,   2, 4, 1,  1, 0,    2,  2,1,1, 0'
awk -v sig="$sig" '{ print } index($0, sig) == 1 { r = $0; sub(/17230/, "17250", r); print r }' "$service" >"$dir/x"
mv "$dir/x" "$service"
line=$(grep -n 'segnale,   17250' "$service" | cut -d: -f1)
cat >"$dir/init.lua" <<LUA
vim.o.termguicolors = true
vim.o.number = true
vim.o.background = "dark"
vim.o.laststatus = 2
vim.o.swapfile = false
local compactor = dofile("$here/../editors/nvim/compactor.lua")
compactor.setup({ cmd = { "$exe", "lsp" } })
LUA
cd "$dir"
TERM=xterm-256color tmux new-session -d -s "$session" -x 134 -y 30 \
  "HOME=$dir XDG_CONFIG_HOME=$dir XDG_DATA_HOME=$dir XDG_STATE_HOME=$dir nvim -u init.lua -i NONE +$line +'normal! zz' 'Lavena_Codrano2_ES 2718-.txt'"
tmux set-option -t "$session" default-terminal tmux-256color >/dev/null 2>&1 || true
sleep 4
tmux capture-pane -t "$session" -p -e >"$dir/capture.txt"
python3 "$here/ansi_html.py" "$dir/capture.txt" >"$dir/page.html"
chromium --headless --no-sandbox --disable-gpu --hide-scrollbars --window-size=1240,560 \
  --screenshot="$here/lsp_nvim.png" "file://$dir/page.html" >/dev/null 2>&1
echo "wrote $here/lsp_nvim.png"
