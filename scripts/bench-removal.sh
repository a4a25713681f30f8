#!/usr/bin/env bash
# Times the removal scans on an emulated machine beside the host's own tools, on the same
# trees, and prints the ratios:
#   Test (Fast Mode on) of 100,000 files in 1,000 folders   beside  find -printf '%s\n'
#   Clean of that tree                                      beside  rm -rf of an identical one
#   Clean and its verify pass (a probing Test of the same)  beside  the same rm -rf
#   one overwrite pass of a 200 MB file                     beside  dd bs=4096 conv=notrunc,fsync
#   peak memory of the Test, with 10,000 and 100,000 files
# and, when the Windows build is there, the same under Wine (scripts/bench-removal-wine.sh).
# Usage: scripts/bench-removal.sh [BUILD_DIR] [ROUNDS]
# BUILD_DIR is an optimised build with benchmarks (default: build/release, made with
# `cmake --preset release` when missing); the best of ROUNDS (default 3) counts.
# REMOVAL_FILES / REMOVAL_FOLDERS change the tree (default 100000 / 1000); REMOVAL_WORK names
# the folder the trees are made in (default build/; a tmpfs such as /dev/shm takes the disk's
# own noise out of the figures).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/release}
rounds=${2:-3}
files=${REMOVAL_FILES:-100000}
folders=${REMOVAL_FOLDERS:-1000}

if [[ ! -f $build/build.ninja && ! -f $build/Makefile ]]; then
  cmake --preset release >/dev/null
  build=$root/build/release
fi
cmake --build "$build" --target removal_timing >/dev/null
tool=$build/tests/bench/removal_timing

work=$(mktemp -d "${REMOVAL_WORK:-$root/build}/bench-removal.XXXXXX")
trap 'rm -rf "$work"' EXIT

now_us() { echo $(( $(date +%s%N) / 1000 )); }
# min A B, either may be empty
min() { if [[ -z $1 || $2 -lt $1 ]]; then echo "$2"; else echo "$1"; fi; }
field() { awk -F= -v k="$1" '$1 == k { print $2 }'; }

# Every time is of a whole process, the tool's start and the machine's opening included.

# 1. Test beside find, both warm in the page cache.
"$tool" generate "$work/test" "$files" "$folders"
sync
find "$work/test/drives/C/Bench" -type f -printf '%s\n' >/dev/null
best_find= best_test= peak_big=0
for _ in $(seq "$rounds"); do
  start=$(now_us)
  find "$work/test/drives/C/Bench" -type f -printf '%s\n' >/dev/null
  best_find=$(min "$best_find" $(( $(now_us) - start )))
  start=$(now_us)
  out=$("$tool" test "$work/test")
  best_test=$(min "$best_test" $(( $(now_us) - start )))
  peak_big=$(field peak_kb <<<"$out")
  counted=$(field count <<<"$out")
done
[[ $counted == "$files" ]] || { echo "bench-removal: Test counted $counted of $files files" >&2; exit 1; }

# Peak memory with a tenth of the files.
small=$(( files / 10 )) small_folders=$(( folders / 10 ))
"$tool" generate "$work/small" "$small" "$small_folders"
peak_small=$("$tool" test "$work/small" | field peak_kb)
rm -rf "$work/small"

# 2. Clean, and Clean with its verify pass, beside rm -rf: identical fresh trees per round.
best_rm= best_clean= best_verified=
for _ in $(seq "$rounds"); do
  "$tool" generate "$work/rm" "$files" "$folders"
  "$tool" generate "$work/clean" "$files" "$folders"
  "$tool" generate "$work/verified" "$files" "$folders"
  sync
  start=$(now_us)
  rm -rf "$work/rm/drives/C/Bench"
  best_rm=$(min "$best_rm" $(( $(now_us) - start )))
  start=$(now_us)
  "$tool" clean "$work/clean" >/dev/null
  best_clean=$(min "$best_clean" $(( $(now_us) - start )))
  left=$(find "$work/clean/drives/C/Bench" -type f | wc -l)
  [[ $left == 0 ]] || { echo "bench-removal: Clean left $left files" >&2; exit 1; }
  start=$(now_us)
  out=$("$tool" verified "$work/verified")
  best_verified=$(min "$best_verified" $(( $(now_us) - start )))
  [[ $(field verified_count <<<"$out") == 0 ]] ||
    { echo "bench-removal: the verify pass found files the Clean left" >&2; exit 1; }
  rm -rf "$work/rm" "$work/clean" "$work/verified"
done

# 3. One overwrite pass beside dd over the same 200 MB file.
big=$work/test/drives/C/big.bin
dd if=/dev/zero of="$big" bs=1M count=200 status=none
sync
best_dd= best_wipe=
for _ in $(seq "$rounds"); do
  start=$(now_us)
  dd if=/dev/zero of="$big" bs=4096 count=51200 conv=notrunc,fsync status=none
  best_dd=$(min "$best_dd" $(( $(now_us) - start )))
  start=$(now_us)
  "$tool" wipe "$work/test" big.bin >/dev/null
  best_wipe=$(min "$best_wipe" $(( $(now_us) - start )))
done
[[ $(stat -c %s "$big") == 209715200 ]] || { echo "bench-removal: the wipe changed the length" >&2; exit 1; }

awk -v f="$best_find" -v t="$best_test" -v r="$best_rm" -v c="$best_clean" \
    -v v="$best_verified" -v d="$best_dd" -v w="$best_wipe" -v pb="$peak_big" -v ps="$peak_small" \
    -v n="$files" -v m="$folders" -v rounds="$rounds" 'BEGIN {
  printf "tree: %d files in %d folders; best of %d\n", n, m, rounds
  printf "find -printf    %9.1f ms\n", f / 1000
  printf "Test (fast)     %9.1f ms   %5.2f x find    (target: at most 1.1 x)\n", t / 1000, t / f
  printf "rm -rf          %9.1f ms\n", r / 1000
  printf "Clean           %9.1f ms   %5.2f x rm -rf  (target: at most 1.2 x)\n", c / 1000, c / r
  printf "Clean + verify  %9.1f ms   %5.2f x rm -rf  (target: at most 1.35 x)\n", v / 1000, v / r
  printf "dd 200 MB       %9.1f ms   %6.1f MB/s\n", d / 1000, 200 / (d / 1e6)
  printf "overwrite pass  %9.1f ms   %6.1f MB/s  %5.0f %% of dd  (target: at least 70 %%)\n", w / 1000, 200 / (w / 1e6), 100 * d / w
  printf "peak memory     %9d KB with %d files, %d KB with %d  (target: under 64 MB, flat)\n", pb, n, ps, n / 10
}'

# 4. The Win32 backend under Wine, when the Windows build and Wine are there.
if [[ -f $root/build/win32/morvel-cli.exe ]] && command -v wine >/dev/null; then
  echo
  bash "$root/scripts/bench-removal-wine.sh" "$root/build/win32/morvel-cli.exe" "$rounds"
else
  echo "(no build/win32/morvel-cli.exe or no Wine: the Wine figures are left out)"
fi
