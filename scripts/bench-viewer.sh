#!/usr/bin/env bash
# The index.dat viewer's speed under Wine: morvel.exe opens the viewer from its File menu,
# reads an index.dat of N records (default 200,000, entries in hashed order) with Show and
# scrolls through the rows, while the benchmark asks it for an answer all the while. Prints
# the time to open, to read, the slowest scroll step, the slowest answer and the peak
# working set (target: opening, scrolling and every answer within 100 ms). Everything lies
# in the private prefix.
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$repo"
records=${1:-200000}
export WINEPREFIX=${MORVEL_WINEPREFIX:-$repo/build/wineprefix}
cmake --preset win32 >/dev/null
cmake --build build/win32 --target morvel_gui morvel_viewer_bench >/dev/null

bench=$WINEPREFIX/drive_c/morvel-viewer-bench
source scripts/bench-wine-display.sh
cp build/win32/morvel.exe build/win32/Morvel.dat "$bench/"
printf '[Settings]\r\nAskForSweep=1\r\n' >"$bench/settings.ini"
scripts/wine-run build/win32/tests/morvel_viewer_bench.exe generate \
  'C:\morvel-viewer-bench\index.dat' "$records" shuffled
echo "bench-viewer: index.dat of $(stat -c %s "$bench/index.dat") bytes"
scripts/wine-run build/win32/tests/morvel_viewer_bench.exe run 'C:\morvel-viewer-bench' \
  'C:\morvel-viewer-bench\index.dat'
