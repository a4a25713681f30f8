#!/usr/bin/env bash
# Starts build/win32/morvel.exe under Wine in the project's private prefix, as a user
# would. On the user's display (DISPLAY set) it runs until the window is closed. Without
# a display it runs in Xvfb for a few seconds, writes a screenshot and stops.
#   scripts/run-gui.sh [ARGUMENT]          e.g. -Start or -cleanonce
# MORVEL_GUI_SECONDS (default 8) and MORVEL_GUI_SCREENSHOT (default build/morvel-gui.png)
# apply to the Xvfb case. Wine is stopped at the end whatever happens.
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$repo"
export WINEPREFIX=${MORVEL_WINEPREFIX:-$repo/build/wineprefix}
exe=build/win32/morvel.exe
if [ ! -f "$exe" ]; then
  bash scripts/build-win32-deps.sh
  cmake --preset win32 >/dev/null
  cmake --build build/win32 --target morvel_gui
fi

xvfb_pid=
cleanup() {
  wineserver -k 2>/dev/null || true
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

if [ -n "${DISPLAY:-}" ]; then
  scripts/wine-run "$exe" "$@"
  exit 0
fi

display_file=$(mktemp)
Xvfb -displayfd 3 -nolisten tcp -screen 0 1024x768x24 3>"$display_file" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$display_file" ] && break
  sleep 0.1
done
export DISPLAY=:$(tr -d '[:space:]' <"$display_file")
rm -f "$display_file"
shot=${MORVEL_GUI_SCREENSHOT:-$repo/build/morvel-gui.png}
scripts/wine-run "$exe" "$@" &
sleep "${MORVEL_GUI_SECONDS:-8}"
import -window root "$shot"
echo "run-gui: screenshot in $shot"
