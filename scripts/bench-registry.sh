#!/usr/bin/env bash
# Times loading a big registry.reg (500,000 values, ~50,000 keys, as regedit exports a
# user's HKEY_CURRENT_USER) beside `cat FILE >/dev/null`, and prints the ratio.
# Usage: scripts/bench-registry.sh [BUILD_DIR] [utf8]
# BUILD_DIR is an optimised build with benchmarks (default: build/release, made with
# `cmake --preset release` when missing).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/release}
encoding=${2:-utf16}

if [[ ! -f $build/build.ninja && ! -f $build/Makefile ]]; then
  cmake --preset release >/dev/null
  build=$root/build/release
fi
cmake --build "$build" --target registry_timing >/dev/null
tool=$build/tests/bench/registry_timing

sample=$build/registry-bench-$encoding.reg
if [[ ! -f $sample ]]; then
  if [[ $encoding == utf8 ]]; then "$tool" generate "$sample" utf8; else "$tool" generate "$sample"; fi
fi

# Best of five, both warm in the page cache.
cat "$sample" >/dev/null
best_cat=
for _ in 1 2 3 4 5; do
  start=$(date +%s%N)
  cat "$sample" >/dev/null
  ms=$(( ($(date +%s%N) - start) / 1000 ))
  if [[ -z $best_cat || $ms -lt $best_cat ]]; then best_cat=$ms; fi
done
cat_ms=$(awk -v us="$best_cat" 'BEGIN { printf "%.1f", us / 1000 }')

eval "$("$tool" time "$sample" 5)"
printf 'file            %s (%s bytes, %s)\n' "$sample" "$(stat -c %s "$sample")" "$encoding"
printf 'cat             %8.1f ms\n' "$cat_ms"
printf 'load            %8.1f ms\n' "$load_ms"
printf 'write unchanged %8.1f ms\n' "$write_unchanged_ms"
printf 'write changed   %8.1f ms  (serialize and write the file)\n' "$write_changed_ms"
awk -v l="$load_ms" -v c="$cat_ms" 'BEGIN { printf "load / cat      %8.1f x  (target: at most 10 x)\n", l / c }'
rm -f "$sample.out"
