#!/usr/bin/env bash
# Times the removal scans of the Win32 backend under Wine beside Windows' own tools, on the
# same trees in the project's private prefix, and prints the ratios:
#   Test (Fast Mode on) of 20,000 files in 200 folders   beside  cmd /c dir /s
#   Clean of that tree, its verify pass included          beside  cmd /c rd /s /q
# morvel-cli.exe cleans the tree as the custom list's one folder. Every time is of a whole
# process under Wine, its start included, as the user's own command would be.
# Usage: scripts/bench-removal-wine.sh [MORVEL_CLI_EXE] [ROUNDS]
# (default build/win32/morvel-cli.exe, built with the win32 preset when missing; best of
# ROUNDS, default 3). WINE_FILES / WINE_FOLDERS change the tree (default 20000 / 200).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
exe=${1:-$root/build/win32/morvel-cli.exe}
rounds=${2:-3}
files=${WINE_FILES:-20000}
folders=${WINE_FOLDERS:-200}
if [[ ! -f $exe ]]; then
  bash "$root/scripts/build-win32-deps.sh"
  cmake --preset win32 >/dev/null
  cmake --build --preset win32 --target morvel_cli_exe >/dev/null
fi

export WINEPREFIX=${MORVEL_WINEPREFIX:-$root/build/wineprefix}
run() { "$root/scripts/wine-run" "$@"; }
run cmd /c exit >/dev/null 2>&1  # the prefix exists and the wine server is up
trap 'wineserver -k 2>/dev/null || true' EXIT

drive_c=$WINEPREFIX/drive_c
program=$drive_c/morvel-removal-bench
tree=$drive_c/morvel-bench-tree
rm -rf "$program" "$tree"
mkdir -p "$program"
cp "$exe" "$program/morvel-cli.exe"
cp "$root/data/Morvel.dat" "$program/"
printf '[Settings]\r\nFastScan=1\r\nAskForSweep=0\r\n' >"$program/settings.ini"
printf '[<New List>]\r\nDelFile1=C:\\morvel-bench-tree\r\n' >"$program/Clist.dat"

# The trees are made by the native benchmark tool (scripts/bench-removal.sh's), the same
# shape as there.
release=$root/build/release
[[ -f $release/build.ninja ]] || cmake --preset release >/dev/null
cmake --build "$release" --target removal_timing >/dev/null
make_tree() {
  rm -rf "$tree" "$drive_c/morvel-bench-image"
  "$release/tests/bench/removal_timing" generate "$drive_c/morvel-bench-image" "$files" "$folders" >/dev/null
  mv "$drive_c/morvel-bench-image/drives/C/Bench" "$tree"
  rm -rf "$drive_c/morvel-bench-image"
}

now_us() { echo $(($(date +%s%N) / 1000)); }
min() { if [[ -z $1 || $2 -lt $1 ]]; then echo "$2"; else echo "$1"; fi; }
key="Custom Lists - <New List>"

make_tree
best_dir= best_test=
for _ in $(seq "$rounds"); do
  start=$(now_us)
  run cmd /c dir /s 'C:\morvel-bench-tree' >/dev/null 2>&1
  best_dir=$(min "$best_dir" $(($(now_us) - start)))
  start=$(now_us)
  out=$(run 'C:\morvel-removal-bench\morvel-cli.exe' test "$key" 2>/dev/null | tr -d '\r')
  best_test=$(min "$best_test" $(($(now_us) - start)))
done
grep -q "^$files items will be removed" <<<"$out" || {
  echo "bench-removal-wine: the Test did not count $files files:" >&2
  echo "$out" | tail -5 >&2
  exit 1
}

best_rd= best_clean=
for _ in $(seq "$rounds"); do
  make_tree
  start=$(now_us)
  run cmd /c rd /s /q 'C:\morvel-bench-tree' >/dev/null 2>&1
  best_rd=$(min "$best_rd" $(($(now_us) - start)))
  [[ ! -e $tree ]] || { echo "bench-removal-wine: rd left the tree" >&2; exit 1; }
  make_tree
  start=$(now_us)
  run 'C:\morvel-removal-bench\morvel-cli.exe' --yes clean "$key" >/dev/null 2>&1
  best_clean=$(min "$best_clean" $(($(now_us) - start)))
  [[ ! -e $tree ]] || { echo "bench-removal-wine: Clean left $(find "$tree" -type f | wc -l) files" >&2; exit 1; }
done
rm -rf "$program" "$tree"

awk -v d="$best_dir" -v t="$best_test" -v r="$best_rd" -v c="$best_clean" -v n="$files" \
    -v m="$folders" -v rounds="$rounds" 'BEGIN {
  printf "Wine tree: %d files in %d folders; best of %d, process start included\n", n, m, rounds
  printf "cmd /c dir /s   %9.1f ms\n", d / 1000
  printf "Test (fast)     %9.1f ms   %5.2f x dir /s  (target: at most 1 x)\n", t / 1000, t / d
  printf "cmd /c rd /s /q %9.1f ms\n", r / 1000
  printf "Clean + verify  %9.1f ms   %5.2f x rd /s   (target: at most 1 x)\n", c / 1000, c / r
}'
