#!/usr/bin/env bash
# Builds the 32-bit Windows target and runs its tests under Wine, with a virtual X display
# so that tests can create windows. Whatever happens, Wine and the display are stopped at
# the end. Extra arguments go to ctest (e.g. -R contract).
# MORVEL_WIN32_BUILD_DIR builds elsewhere than build/win32 (same preset otherwise);
# MORVEL_FRESH_PREFIX=1 starts from a new Wine prefix instead of the one kept under build/.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$repo"
export WINEPREFIX=${MORVEL_WINEPREFIX:-$repo/build/wineprefix}
start=$(date +%s)

xvfb_pid=
cleanup() {
  local status=$?
  wineserver -k 2>/dev/null || true
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  echo "test-win32: $(($(date +%s) - start)) s" >&2
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# The Windows libraries (SQLite) must be in build/win32-deps before CMake looks for them.
bash scripts/build-win32-deps.sh

if [ -n "${MORVEL_WIN32_BUILD_DIR:-}" ]; then
  cmake --preset win32 -B "$MORVEL_WIN32_BUILD_DIR" >/dev/null
  cmake --build "$MORVEL_WIN32_BUILD_DIR"
else
  cmake --preset win32 >/dev/null
  cmake --build --preset win32
fi

# The installers that the install tests take (tests/install_win32): this build's, and the
# same program as an older version for the upgrade.
echo "== packages for the install tests"
package() { bash scripts/package.sh >/dev/null; }
MORVEL_DIST_DIR=$repo/build/dist package
MORVEL_VERSION=0.9.0 MORVEL_DIST_DIR=$repo/build/dist-older package

if [ "${MORVEL_FRESH_PREFIX:-0}" = 1 ]; then
  wineserver -k 2>/dev/null || true
  rm -rf "$WINEPREFIX"
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

# Wine's recycle bin is the host user's XDG trash; the tests get a fresh private one
# (scripts/wine-run uses the same folder for every program it runs).
export XDG_DATA_HOME="$WINEPREFIX-xdg"
rm -rf "$XDG_DATA_HOME"
mkdir -p "$XDG_DATA_HOME"

if [ -n "${MORVEL_WIN32_BUILD_DIR:-}" ]; then
  ctest --test-dir "$MORVEL_WIN32_BUILD_DIR" --output-on-failure -j1 "$@"
else
  ctest --preset win32 "$@"
fi
