#!/bin/sh
# Writes a line description and a service description for a line of LENGTH
# metres (at most 1000000) into DIR, as line.txt and service.txt:
#
#   bench/gen_line.sh LENGTH DIR
#
# The line is cut into blocks of 2000 m. Every block after the first carries
# two gradients, one curve of 667 m (a third of the line is curved; the side
# alternates and the class cycles 1 to 6), two speed indicators, two speed
# limits, an adhesion row, a slowdown with its approach cells, three signals
# and a speed reduction point. Tunnels, direction boards and stations are
# spread evenly, within their limits (80 tunnels, 20 boards, 50 stations).
#
# Cells used in a block (50 m each, o = offset from the block's first cell):
#   1-4 slowdown approach, 5 slowdown warning, 7 and 20 speed indicators,
#   12 direction board, 14 26 38 signals, 19 speed reduction point,
#   29-33 slowdown start and end, 35 station point.
# The block pass then finds a free cell in every window before each slowdown
# start and in front of every signal it looks at, so the compile is clean
# (exit 0, error code 0).
set -eu

if [ $# -ne 2 ]; then
  echo "usage: $0 LENGTH DIR" >&2
  exit 2
fi
length=$1
dir=$2
case $length in
  ''|*[!0-9]*) echo "$0: LENGTH must be a whole number of metres" >&2; exit 2 ;;
esac
if [ "$length" -lt 10000 ] || [ "$length" -gt 1000000 ]; then
  echo "$0: LENGTH must lie between 10000 and 1000000" >&2
  exit 2
fi
mkdir -p "$dir"

awk -v L="$length" -v line="$dir/line.txt" -v service="$dir/service.txt" '
function ceil_div(a, b) { return int((a + b - 1) / b) }
function out(file, text) { printf "%s\r\n", text > file }
BEGIN {
  blocks = int(L / 2000) - 1          # blocks 1 .. blocks, the last ending by L
  every_tunnel = ceil_div(blocks, 75)
  every_board = ceil_div(blocks, 20)
  every_station = ceil_div(blocks, 50)

  # ---- line description ----
  out(line, "[generale]")
  out(line, "lunghezza percorso,    " L)
  out(line, "progressiva chilometrica uno,    0,    111000,    0")
  out(line, "progressiva chilometrica due,    0,    0,    0")
  out(line, "progressiva chilometrica tre,    0,    0,    0")
  out(line, "sfondo uno,    1")
  out(line, "sfondo due,    0")
  out(line, "sfondo tre,    0")
  out(line, "ripetizione segnali 4 codici,    0,    " (blocks * 2000))
  out(line, "[curve]")
  for (j = 1; j <= blocks; j++) {
    side = (j % 2) ? "s" : "d"
    class = int((j - 1) / 2) % 6 + 1
    out(line, "curva" side class ",  " (j * 2000 + 100) ",  667")
  }
  out(line, "[pendenze]")
  out(line, "pendenza,  0,   0")
  for (j = 1; j <= blocks; j++) {
    B = j * 2000
    out(line, "pendenza,  " B ",   " ((j * 7) % 21 - 10))
    out(line, "pendenza,  " (B + 1000) ",   " ((j * 5) % 13 - 6))
  }
  out(line, "[montagne]")
  for (j = 1; j <= blocks; j++) {
    if (j % every_tunnel != 0) continue
    B = j * 2000
    out(line, "montagna,   " (B + 200) ",  " (B + 1800) ",  11")
  }
  out(line, "[cartelli]")
  for (j = 1; j <= blocks; j++) {
    B = j * 2000
    a = 60 + (j % 7) * 10
    out(line, "indicatori_vmax,  " (B + 300) ",  " a ",  " (a + 10) ",  " (a + 20) ",  0,  " a ",  " (a + 10) ",  " (a + 20) ",  0")
    out(line, "indicatori_vmax,  " (B + 950) ",  " a ",  " a ",  " a ",  2,  " a ",  " a ",  " a ",  2")
  }
  out(line, "[indicazioni]")
  for (j = 1; j <= blocks; j++) {
    if (j % every_board != 0) continue
    B = j * 2000
    km = 111000 + B + 550
    out(line, "cartello_indicatore,  " (B + 550) ",   (Km " int(km / 1000) "+" sprintf("%03d", km % 1000) ")")
  }
  out(line, "[fine]")

  # ---- service description ----
  out(service, "[generale]")
  out(service, "numero vetture,    12")
  out(service, "percentuale massa frenata,    135")
  out(service, "sabbia,    60")
  out(service, "orologio,    16              12            40 ")
  out(service, "[aderenze]")
  out(service, "aderenza,   0,    100")
  for (j = 1; j <= blocks; j++) out(service, "aderenza,   " (j * 2000) ",    " (j % 2 ? 90 : 100))
  out(service, "[vel_limite]")
  out(service, sprintf("velocita,%8d,%6d", 0, 100))
  for (j = 1; j <= blocks; j++) {
    B = j * 2000
    out(service, sprintf("velocita,%8d,%6d", B, 60 + (j % 13) * 10))
    out(service, sprintf("velocita,%8d,%6d", B + 1000, 80 + (j % 11) * 10))
  }
  out(service, "[stazioni]")
  n = 0
  for (j = 1; j <= blocks; j++) {
    if (j % every_station != 0) continue
    B = j * 2000
    n++
    t = 58380 + n * 600
    out(service, sprintf("stazione,%8d,%3d,%5d,%3d,%2d,%2d,%3d,%1d,%1d,%3d,%1d,%1d,%5d,%4d,%2d,%2d, STAZIONE %d", \
        B + 1600, 12, 400, 0, 0, 0, 1, 1, 0, 4, 1, 1, 1, int(t / 3600), int(t / 60) % 60, t % 60, n))
  }
  out(service, "[rallentamenti]")
  for (j = 1; j <= blocks; j++) {
    out(service, "rallentamento,  " (j * 2000 + 1400) ",    60,  200, 0,  1,  60")
  }
  out(service, "[segnali]")
  for (j = 1; j <= blocks; j++) {
    B = j * 2000
    out(service, sprintf("segnale,%8d,   2, 4, 1,  1, 0,    2,  2,1,1, 0", B + 650))
    out(service, sprintf("segnale,%8d,   2, 4, 0,  0, 0,    0,  0,0,0, 60", B + 1250))
    out(service, sprintf("segnale,%8d,   1, 3, 1,  0, 1,    1,  3,1,0, 0", B + 1850))
  }
  out(service, "[abbattimenti]")
  for (j = 1; j <= blocks; j++) out(service, "abbattimento,  " (j * 2000 + 950) ",  " (60 + (j % 5) * 10))
  out(service, "[codici]")
  out(service, "[fine]")
}'
