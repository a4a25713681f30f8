#!/usr/bin/env bash
# Builds the Windows targets and runs their tests under Wine, with a virtual X display so
# that tests can create windows. Whatever happens, Wine and the display are stopped at the
# end.
#   bash scripts/test-win32.sh [win32|win64|wow64|all] [ctest arguments]   (default: win32)
# win32: the 32-bit build's tests in the 32-bit prefix (build/wineprefix);
# win64: the 64-bit build's tests in the 64-bit prefix (build/wineprefix64): all but the
#        portable unit, controller and store tests, which the native and 32-bit runs cover
#        and the win64 preset does not build;
# wow64: the 32-bit build's machine tests (label "wow64": contract, removal, definitions,
#        cleaners) in the 64-bit prefix, as a 32-bit Morvel runs on 64-bit Windows;
# all:   the three, one after the other, on the two prefixes (each booted once).
# Extra arguments go to ctest in every phase (e.g. -R contract). The packages of both widths
# are made first for the install tests. MORVEL_WIN32_BUILD_DIR and MORVEL_WIN64_BUILD_DIR
# build elsewhere than build/win32 and build/win64 (same presets otherwise);
# MORVEL_FRESH_PREFIX=1 starts from new Wine prefixes instead of the ones kept under build/.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$repo"
start=$(date +%s)

mode=win32
case ${1:-} in
  win32 | win64 | wow64 | all) mode=$1; shift ;;
esac
build32=${MORVEL_WIN32_BUILD_DIR:-$repo/build/win32}
build64=${MORVEL_WIN64_BUILD_DIR:-$repo/build/win64}
prefix32=$repo/build/wineprefix
prefix64=$repo/build/wineprefix64

xvfb_pid=
cleanup() {
  local status=$?
  for prefix in "$prefix32" "$prefix64"; do
    WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
  done
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  echo "test-win32: $(($(date +%s) - start)) s" >&2
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# The Windows libraries (SQLite, libjpeg-turbo) must be in build/win32-deps and
# build/win64-deps before CMake looks for them: both hosts at once, as each compiles on one
# processor (the sources are fetched once for both).
hosts=()
[ "$mode" != win64 ] && hosts+=(i686-w64-mingw32)
[ "$mode" = win64 ] || [ "$mode" = all ] && hosts+=(x86_64-w64-mingw32)
deps=()
for host in "${hosts[@]}"; do
  bash scripts/build-win32-deps.sh "$host" &
  deps+=($!)
done
for pid in "${deps[@]}"; do wait "$pid"; done
build() {  # preset folder
  cmake --preset "$1" -B "$2" >/dev/null
  cmake --build "$2"
}
[ "$mode" != win64 ] && build win32 "$build32"
[ "$mode" = win64 ] || [ "$mode" = all ] && build win64 "$build64"

# The installers that the install tests take (tests/install_win32): this build's, and the
# same programs as an older version for the upgrade.
if [ "$mode" != wow64 ]; then
  echo "== packages for the install tests"
  package() { bash scripts/package.sh >/dev/null; }
  export MORVEL_WIN32_BUILD_DIR=$build32 MORVEL_WIN64_BUILD_DIR=$build64
  MORVEL_DIST_DIR=$repo/build/dist package
  MORVEL_VERSION=0.9.0 MORVEL_DIST_DIR=$repo/build/dist-older package
fi

# Xvfb picks a free display itself and tells its number through a pipe.
display_file=$(mktemp)
Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 3>"$display_file" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$display_file" ] && break
  kill -0 "$xvfb_pid" 2>/dev/null || { echo "test-win32: Xvfb did not start" >&2; exit 1; }
  sleep 0.1
done
display=$(tr -d '[:space:]' <"$display_file")
rm -f "$display_file"
[ -n "$display" ] || { echo "test-win32: Xvfb gave no display number" >&2; exit 1; }
export DISPLAY=:$display

fresh=${MORVEL_FRESH_PREFIX:-0}
declare -A started=()  # the prefixes a phase has used: a fresh one is made only once
failed=()
# One phase: a build's tests in one prefix (scripts/wine-run runs each program there).
phase() {  # name arch prefix build-folder ctest-arguments...
  local name=$1 arch=$2 prefix=$3 folder=$4
  shift 4
  echo "== $name (at $(($(date +%s) - start)) s)"
  export MORVEL_WINEARCH=$arch MORVEL_WINEPREFIX=$prefix WINEPREFIX=$prefix
  if [ "$fresh" = 1 ] && [ -z "${started[$prefix]:-}" ]; then
    wineserver -k 2>/dev/null || true
    rm -rf "$prefix"
  fi
  started[$prefix]=1
  # Wine's recycle bin is the host user's XDG trash; the tests get a fresh private one
  # (scripts/wine-run uses the same folder for every program it runs).
  export XDG_DATA_HOME="$prefix-xdg"
  rm -rf "$XDG_DATA_HOME"
  mkdir -p "$XDG_DATA_HOME"
  ctest --test-dir "$folder" --output-on-failure -j1 "$@" || failed+=("$name")
  wineserver -k 2>/dev/null || true
}

case $mode in
  win32 | all) phase "win32 tests in the 32-bit prefix" win32 "$prefix32" "$build32" "$@" ;;&
  win64 | all) phase "win64 tests in the 64-bit prefix" win64 "$prefix64" "$build64" "$@" ;;&
  wow64 | all) phase "win32 tests in the 64-bit prefix (WOW64)" win64 "$prefix64" "$build32" -L wow64 "$@" ;;
esac

if [ ${#failed[@]} -gt 0 ]; then
  printf 'test-win32: failed: %s\n' "${failed[@]}" >&2
  exit 1
fi
