#!/usr/bin/env bash
# Builds the libFuzzer targets (the `fuzz` preset: clang, ASan + UBSan) and runs one or all
# of them. Usage: scripts/fuzz.sh [TARGET|all] [SECONDS]
#   SECONDS > 0  fuzz each target that long, starting from its seeds in
#                tests/fuzz/corpus/TARGET; new inputs go to build/fuzz/corpus/TARGET and
#                crashes to build/fuzz/artifacts/TARGET, so the repository stays clean.
#   SECONDS = 0  replay the seeds alone, no new inputs (what scripts/test.sh runs).
# Prints the executions, executions per second and coverage of each run.
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$repo"

targets=(ini_fuzz reg_fuzz machine_ini_fuzz index_dat_fuzz community_fuzz)
which=${1:-all}
seconds=${2:-60}
if [ "$which" != all ]; then
  found=0
  for t in "${targets[@]}"; do [ "$t" = "$which" ] && found=1; done
  if [ $found -eq 0 ]; then
    echo "fuzz.sh: unknown target '$which' (one of: ${targets[*]}, all)" >&2
    exit 2
  fi
  targets=("$which")
fi
if ! [[ "$seconds" =~ ^[0-9]+$ ]]; then
  echo "fuzz.sh: SECONDS must be a whole number" >&2
  exit 2
fi

build=build/fuzz
[ -f "$build/build.ninja" ] || cmake --preset fuzz >/dev/null
cmake --build "$build" --target "${targets[@]}" -- -j2 >/dev/null

status=0
for t in "${targets[@]}"; do
  seeds=tests/fuzz/corpus/$t
  log=$build/logs/$t.log
  mkdir -p "$build/logs" "$build/artifacts/$t"
  # A generous timeout: on a loaded machine a quick input can stall for seconds, while a
  # real hang still shows.
  args=(-print_final_stats=1 -timeout=60 -rss_limit_mb=2048 -artifact_prefix="$build/artifacts/$t/")
  if [ "$seconds" -eq 0 ]; then
    args+=(-runs=0 "$seeds")
  else
    mkdir -p "$build/corpus/$t"
    args+=(-max_total_time="$seconds" "$build/corpus/$t" "$seeds")
  fi
  if "$build/tests/fuzz/$t" "${args[@]}" >"$log" 2>&1; then
    result=ok
  else
    result="FAILED (see $log)"
    status=1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  cov=$(grep -Eo 'cov: [0-9]+ ft: [0-9]+' "$log" | tail -1 || true)
  echo "$t: $result; ${runs:-?} executions, ${speed:-?}/s, ${cov:-no coverage line}"
done
exit $status
