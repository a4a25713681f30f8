#!/usr/bin/env bash
# The community's definitions (Winapp2.ini) at speed:
#   1. reading and detecting every entry of the shipped file, as each start of the window and
#      of `morvel list` does: natively on the demo image (release build, warm cache; target
#      at most 100 ms), and under Wine on the private prefix (target at most 300 ms), with
#      morvel.exe's start time without and with the file beside it;
#   2. a Test of 50 detected entries over 100,000 files in their folders, natively, beside
#      `find` over the same folders (target at most 1.1 x).
# Usage: scripts/bench-winapp2.sh [BUILD_DIR] [ROUNDS]
# BUILD_DIR is an optimised build with benchmarks (default: build/release, made with
# `cmake --preset release` when missing); the best of ROUNDS (default 5) counts. The Wine
# part runs when build/win32 can be built (WINAPP2_WINE=0 leaves it out).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
build=${1:-$root/build/release}
rounds=${2:-5}

if [[ ! -f $build/build.ninja && ! -f $build/Makefile ]]; then
  cmake --preset release >/dev/null
  build=$root/build/release
fi
cmake --build "$build" --target community_timing morvel >/dev/null
tool=$build/tests/bench/community_timing

work=$(mktemp -d "$root/build/bench-winapp2.XXXXXX")
trap 'rm -rf "$work"' EXIT

field() { awk -F= -v k="$1" '$1 == k { print $2 }'; }
now_us() { echo $(( $(date +%s%N) / 1000 )); }
min() { if [[ -z $1 || $2 -lt $1 ]]; then echo "$2"; else echo "$1"; fi; }

# 1. Start: the demo image, whose program folder holds the shipped Winapp2.ini.
"$build/morvel" demo "$work/demo" >/dev/null
out=$("$tool" load "$work/demo" "$rounds")
load_ms=$(field load_ms <<<"$out")
printf 'read and detect (native) %8.1f ms  (%s entries, %s detected, %s offered; target: at most 100 ms)\n' \
  "$load_ms" "$(field entries <<<"$out")" "$(field detected <<<"$out")" "$(field offered <<<"$out")"

# 2. A Test of 50 detected entries beside find over the same folders.
out=$("$tool" generate "$work/test" 50 100000)
folders=$(field folders <<<"$out")
mapfile -t trees < <(tr ';' '\n' <<<"$folders" | sed "s|^|$work/test/drives/C/|")
find "${trees[@]}" -type f -printf '%s\n' >/dev/null
best_find= best_test=
for _ in $(seq "$rounds"); do
  start=$(now_us)
  find "${trees[@]}" -type f -printf '%s\n' >/dev/null
  best_find=$(min "$best_find" $(( $(now_us) - start )))
  out=$("$tool" test "$work/test")
  best_test=$(min "$best_test" "$(field test_us <<<"$out")")
done
printf 'find over the folders    %8.1f ms\n' "$(awk -v u="$best_find" 'BEGIN { print u / 1000 }')"
printf 'Test of 50 entries       %8.1f ms  (%s items)\n' "$(awk -v u="$best_test" 'BEGIN { print u / 1000 }')" \
  "$(field items <<<"$out")"
awk -v t="$best_test" -v f="$best_find" 'BEGIN { printf "test / find              %8.2f x  (target: at most 1.1 x)\n", t / f }'

# 3. Under Wine: the same reading and detecting on the prefix, and the window's start.
if [[ ${WINAPP2_WINE:-1} == 1 ]] && command -v wine >/dev/null; then
  export WINEPREFIX=${MORVEL_WINEPREFIX:-$root/build/wineprefix}
  cmake --preset win32 >/dev/null
  cmake --build build/win32 --target community_timing morvel_gui morvel_start_bench >/dev/null
  bench=$WINEPREFIX/drive_c/morvel-bench-winapp2
  source scripts/bench-wine-display.sh
  trap 'bench_cleanup; rm -rf "$work"' EXIT  # the display's clean-up, and this script's
  cp build/win32/tests/community_timing.exe build/win32/morvel.exe build/win32/Morvel.dat "$bench/"
  # Without the file first, then with it beside the program.
  without=$(scripts/wine-run build/win32/tests/morvel_start_bench.exe 'C:\morvel-bench-winapp2' "$rounds" | tr -d '\r' | field start_ms)
  cp data/winapp2/Winapp2.ini "$bench/"
  with=$(scripts/wine-run build/win32/tests/morvel_start_bench.exe 'C:\morvel-bench-winapp2' "$rounds" | tr -d '\r' | field start_ms)
  out=$(scripts/wine-run 'C:\morvel-bench-winapp2\community_timing.exe' load "$rounds" | tr -d '\r')
  printf 'read and detect (Wine)   %8.1f ms  (%s entries, %s detected, %s offered; target: at most 300 ms)\n' \
    "$(field load_ms <<<"$out")" "$(field entries <<<"$out")" "$(field detected <<<"$out")" \
    "$(field offered <<<"$out")"
  printf 'window start (Wine)      %8.1f ms without Winapp2.ini, %8.1f ms with it\n' "$without" "$with"
fi
