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
# all:   the three: the 32-bit prefix's beside the 64-bit prefix's two, which run one after
#        the other (the prefix booted once for both).
# Extra arguments go to ctest in every phase (e.g. -R contract). The packages of both widths
# are made first for the install tests. MORVEL_WIN32_BUILD_DIR and MORVEL_WIN64_BUILD_DIR
# build elsewhere than build/win32 and build/win64 (same presets otherwise);
# MORVEL_FRESH_PREFIX=1 starts from new Wine prefixes instead of the ones kept under build/.
# Each phase's tests with their whole output are kept in build/ctest-PREFIX-BUILD.xml (JUnit).
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
xvfb_pids=()  # the virtual displays (start_display)

cleanup() {
  local status=$?
  for prefix in "$prefix32" "$prefix64"; do
    WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
  done
  for pid in "${xvfb_pids[@]}"; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
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

# A virtual display for each prefix: Xvfb picks a free one itself and tells its number
# through a pipe.
start_display() {  # sets $display
  local file
  file=$(mktemp)
  Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 3>"$file" 2>/dev/null &
  xvfb_pids+=($!)
  for _ in $(seq 100); do
    [ -s "$file" ] && break
    kill -0 "${xvfb_pids[-1]}" 2>/dev/null || { echo "test-win32: Xvfb did not start" >&2; exit 1; }
    sleep 0.1
  done
  display=$(tr -d '[:space:]' <"$file")
  rm -f "$file"
  [ -n "$display" ] || { echo "test-win32: Xvfb gave no display number" >&2; exit 1; }
}

fresh=${MORVEL_FRESH_PREFIX:-0}
# One phase: a build's tests in one prefix (scripts/wine-run runs each program there).
# Returns ctest's status.
phase() {  # name arch prefix build-folder ctest-arguments...
  local name=$1 arch=$2 prefix=$3 folder=$4
  shift 4
  echo "== $name (at $(($(date +%s) - start)) s)"
  export MORVEL_WINEARCH=$arch MORVEL_WINEPREFIX=$prefix WINEPREFIX=$prefix
  # Wine's recycle bin is the host user's XDG trash; the tests get a fresh private one
  # (scripts/wine-run uses the same folder for every program it runs).
  export XDG_DATA_HOME="$prefix-xdg"
  rm -rf "$XDG_DATA_HOME"
  mkdir -p "$XDG_DATA_HOME"
  # Each phase's whole output (every test's, not only a failing one's) in a report of its
  # own, as two phases may run in the same build folder at once.
  local report
  report=$repo/build/ctest-$(basename "$prefix")-$(basename "$folder").xml
  local status=0
  ctest --test-dir "$folder" --output-on-failure --output-junit "$report" \
    --test-output-size-passed 4000000 --test-output-size-failed 4000000 -j1 "$@" || status=$?
  wineserver -k 2>/dev/null || true
  echo "== $name: $([ $status = 0 ] && echo passed || echo FAILED) (at $(($(date +%s) - start)) s)"
  return $status
}

# Each prefix's phases in turn, on a display of its own; the 64-bit prefix boots once for
# both builds. Fails when any of them failed.
in_prefix() {  # prefix display, then phases as "name|arch|build-folder|ctest-arguments"
  local prefix=$1 status=0
  export DISPLAY=:$2
  shift 2
  if [ "$fresh" = 1 ]; then
    WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
    rm -rf "$prefix"
  fi
  local spec name arch folder extra
  for spec in "$@"; do
    IFS='|' read -r name arch folder extra <<<"$spec"
    # shellcheck disable=SC2086  # the phase's own ctest words, then the caller's
    phase "$name" "$arch" "$prefix" "$folder" $extra "${ctest_args[@]}" || status=1
  done
  return $status
}

ctest_args=("$@")
win32_phases=("win32 tests in the 32-bit prefix|win32|$build32|")
win64_phases=()
[ "$mode" = win64 ] || [ "$mode" = all ] &&
  win64_phases+=("win64 tests in the 64-bit prefix|win64|$build64|")
[ "$mode" = wow64 ] || [ "$mode" = all ] &&
  win64_phases+=("win32 tests in the 64-bit prefix (WOW64)|win64|$build32|-L wow64")

status=0
case $mode in
  win32)
    start_display
    in_prefix "$prefix32" "$display" "${win32_phases[@]}" || status=1
    ;;
  win64 | wow64)
    start_display
    in_prefix "$prefix64" "$display" "${win64_phases[@]}" || status=1
    ;;
  all)
    # The two prefixes side by side: their tests mostly wait (for Wine to start a program,
    # for a window), so together they take little longer than either alone. The 32-bit
    # prefix's output follows once it is done.
    start_display
    display32=$display
    start_display
    log32=$repo/build/test-win32-prefix32.log
    in_prefix "$prefix32" "$display32" "${win32_phases[@]}" >"$log32" 2>&1 &
    prefix32_pid=$!
    in_prefix "$prefix64" "$display" "${win64_phases[@]}" || status=1
    wait "$prefix32_pid" || status=1
    cat "$log32"
    ;;
esac
[ $status = 0 ] || echo "test-win32: a phase FAILED (above)" >&2
exit $status
