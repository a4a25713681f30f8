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

xvfb_pid=
cleanup() {
  wineserver -k 2>/dev/null || true
  [ -n "$xvfb_pid" ] && { kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; }
  rm -rf "$WINEPREFIX/drive_c/morvel-bench"
}
trap cleanup EXIT
display_file=$(mktemp)
Xvfb -displayfd 3 -nolisten tcp -screen 0 1024x768x24 3>"$display_file" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$display_file" ] && break; sleep 0.1; done
export DISPLAY=:$(tr -d '[:space:]' <"$display_file")
rm -f "$display_file"

scripts/wine-run cmd /c exit >/dev/null 2>&1 || true  # the prefix exists from here on
bench=$WINEPREFIX/drive_c/morvel-bench
rm -rf "$bench"
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
