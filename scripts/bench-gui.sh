#!/usr/bin/env bash
# The window's speed under Wine: a Test with Fast Mode off over a custom list of one
# folder of N files (default 100,000; one log line each) through morvel.exe, against the
# same Test through morvel-cli.exe. Prints both times, the window's slowest answer to a
# message during the run and its peak working set. Everything lies in the private prefix.
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$repo"
files=${1:-100000}
export WINEPREFIX=${MORVEL_WINEPREFIX:-$repo/build/wineprefix}
cmake --preset win32 >/dev/null
cmake --build build/win32 --target morvel_gui morvel_cli_exe morvel_gui_bench >/dev/null

bench=$WINEPREFIX/drive_c/morvel-bench
source scripts/bench-wine-display.sh
mkdir -p "$bench/files"
(cd "$bench/files" && seq -f 'trace-%06g.tmp' 1 "$files" | xargs touch)
cp build/win32/morvel.exe build/win32/morvel-cli.exe build/win32/Morvel.dat "$bench/"
printf '[<New List>]\r\nDelFile1=C:\\morvel-bench\\files,*.tmp\r\n' >"$bench/Clist.dat"
printf '[Settings]\r\nFastScan=0\r\n[NodeSelected]\r\n1=Custom Lists\r\n2=Custom Lists - <New List>\r\nSelectedCount=2\r\n' >"$bench/settings.ini"

echo "bench-gui: $files files"
start=$(date +%s.%N)
lines=$(scripts/wine-run 'C:\morvel-bench\morvel-cli.exe' test | wc -l)
cli=$(echo "$(date +%s.%N) - $start" | bc)
echo "cli test run: $cli s (process start included), $lines log lines"
scripts/wine-run build/win32/tests/morvel_gui_bench.exe 'C:\morvel-bench'
