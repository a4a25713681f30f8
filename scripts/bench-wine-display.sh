# Sourced by the benchmarks that drive morvel.exe under Wine, after they set WINEPREFIX and
# `bench` (their folder in the prefix): a virtual display of their own, the prefix made,
# `bench` made empty, and at exit Wine ended, the display stopped and `bench` removed.
xvfb_pid=
bench_cleanup() {
  wineserver -k 2>/dev/null || true
  [ -n "$xvfb_pid" ] && { kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; }
  rm -rf "$bench"
}
trap bench_cleanup EXIT
display_file=$(mktemp)
Xvfb -displayfd 3 -nolisten tcp -screen 0 1024x768x24 3>"$display_file" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$display_file" ] && break; sleep 0.1; done
export DISPLAY=:$(tr -d '[:space:]' <"$display_file")
rm -f "$display_file"

scripts/wine-run cmd /c exit >/dev/null 2>&1 || true  # the prefix exists from here on
rm -rf "$bench"
mkdir -p "$bench"
