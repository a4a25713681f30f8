#!/usr/bin/env bash
# Times reading an index.dat of 200,000 "URL " records through the emulated machine's
# FileReader into the viewer's rows beside `cat FILE >/dev/null` on the same file, warm page
# cache, best of 5, and prints the ratio and the rows' memory beside the file's size. Two layouts: entries in the records' file order, and shuffled as a real
# cache's hashing scatters them. Then one wipe pass over a copy of that 50 MB file beside
# `dd bs=4096 conv=notrunc` writing zeros over the same byte range of the same file, best
# of 5 (target: the wipe at 70% of dd's speed or better). And the sparse index.dat shapes
# of the fuzz corpus, read from real sparse files (target: under 5 s and 64 MiB plus twice
# their data).
# Usage: scripts/bench-index-dat.sh [BUILD_DIR]
# BUILD_DIR is an optimised build with benchmarks (default: build/release, made with
# `cmake --preset release` when missing).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/release}

if [[ ! -f $build/build.ninja && ! -f $build/Makefile ]]; then
  cmake --preset release >/dev/null
  build=$root/build/release
fi
cmake --build "$build" --target index_dat_timing >/dev/null
tool=$build/tests/bench/index_dat_timing

best_cat_ms() {
  local file=$1 best= start us
  cat "$file" >/dev/null
  for _ in 1 2 3 4 5; do
    start=$(date +%s%N)
    cat "$file" >/dev/null
    us=$(( ($(date +%s%N) - start) / 1000 ))
    if [[ -z $best || $us -lt $best ]]; then best=$us; fi
  done
  awk -v us="$best" 'BEGIN { printf "%.1f", us / 1000 }'
}

for layout in ordered shuffled; do
  image=$build/index-dat-bench-$layout
  if [[ ! -f $image/drives/C/index.dat ]]; then
    "$tool" generate "$image" 200000 "$layout"
  fi
  file=$image/drives/C/index.dat
  cat_ms=$(best_cat_ms "$file")
  eval "$("$tool" time "$image" 5)"
  printf '%s: %s (%s bytes, %s rows)\n' "$layout" "$file" "$(stat -c %s "$file")" "$rows"
  printf '  cat                 %8.1f ms\n' "$cat_ms"
  printf '  read                %8.1f ms\n' "$read_ms"
  printf '  a screen of times   %8.3f ms\n' "$screen_ms"
  target=2
  [[ $layout == shuffled ]] && target=3
  awk -v r="$read_ms" -v c="$cat_ms" -v t="$target" -v m="$memory" -v f="$(stat -c %s "$file")" \
    'BEGIN { printf "  read / cat          %8.1f x  (target: at most %d x)\n", r / c, t
             printf "  rows memory / file  %8.2f x  (target: under 2 x)\n", m / f }'
done

# The sparse shapes of the fuzz corpus as real sparse files: each claims 2 GiB and holds a
# megabyte or less. The read ends in under 5 s and holds less than 64 MiB plus twice the
# bytes the file gave at its peak (the whole process's, a second read included).
for shape in "$root"/tests/fuzz/corpus/index_dat_fuzz/sparse-*; do
  image=$(mktemp -d "$build/index-dat-sparse.XXXXXX")
  "$tool" sparse "$image" "$shape"
  file=$image/drives/C/index.dat
  eval "$("$tool" time "$image" 1)"
  data_kb=$(du -k "$file" | cut -f1)
  printf '%s: claims %s bytes, holds %s KiB, %s rows\n' "$(basename "$shape")" \
    "$(stat -c %s "$file")" "$data_kb" "$rows"
  printf '  read                %8.1f ms  (target: under 5000 ms)\n' "$read_ms"
  printf '  peak memory         %8d KiB (target: under %d KiB, with %d KiB read)\n' \
    "$peak_kb" $(( 65536 + 2 * bytes_read / 1024 )) $(( bytes_read / 1024 ))
  rm -rf "$image"
done

# The wipe, on a copy: the images above are kept for the next run.
wipe_image=$(mktemp -d "$build/index-dat-wipe.XXXXXX")
trap 'rm -rf "$wipe_image"' EXIT
mkdir -p "$wipe_image/drives/C"
cp "$build/index-dat-bench-ordered/drives/C/index.dat" "$wipe_image/drives/C/index.dat"
file=$wipe_image/drives/C/index.dat
eval "$("$tool" wipe "$wipe_image" 5)"
# dd writes whole blocks from the one holding `from` to the end: a few bytes more than the
# wipe, never fewer.
skip=$(( from / 4096 ))
count=$(( (to - skip * 4096 + 4095) / 4096 ))
best=
for _ in 1 2 3 4 5 6; do
  start=$(date +%s%N)
  dd if=/dev/zero of="$file" bs=4096 seek="$skip" count="$count" conv=notrunc status=none
  us=$(( ($(date +%s%N) - start) / 1000 ))
  if [[ -z $best || $us -lt $best ]]; then best=$us; fi
done
dd_ms=$(awk -v us="$best" 'BEGIN { printf "%.1f", us / 1000 }')
printf 'wipe: %s bytes, range %s-%s\n' "$(stat -c %s "$file")" "$from" "$to"
printf '  dd bs=4096 conv=notrunc %8.1f ms\n' "$dd_ms"
printf '  wipe, one pass          %8.1f ms\n' "$wipe_ms"
awk -v w="$wipe_ms" -v d="$dd_ms" \
  'BEGIN { printf "  wipe speed / dd speed  %8.0f %%  (target: at least 70 %%)\n", 100 * d / w }'
