#!/usr/bin/env bash
# Every test of every build: the native build (ASan + UBSan) against the emulated machine,
# the portable unit and controller tests again under ThreadSanitizer, then the 32-bit and
# 64-bit Windows builds under Wine against the real Win32 API (scripts/test-win32.sh all:
# each in its own prefix, and the 32-bit one again on 64-bit Windows).
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$repo"

start=$SECONDS
phase() { echo "== $1 (at $((SECONDS - start)) s)"; }

# What the native tests need first; the rest (cross-compilers, Wine, clang...) installs in
# the background while the native build runs, since apt waits on the network and the disk
# while the compiler waits on the processors.
bash scripts/setup.sh check
mkdir -p build
bash scripts/setup.sh all >build/setup-all.log 2>&1 &
setup_pid=$!
finish_setup() {
  if ! wait "$setup_pid"; then
    cat build/setup-all.log >&2
    echo "test.sh: installing the test tools failed" >&2
    exit 1
  fi
}
bash scripts/check-portable.sh

phase "native build and tests"
cmake --preset native >/dev/null
cmake --build --preset native
ctest --preset native -j2

phase "ThreadSanitizer: runs against the UI thread (settings, hosts, controller)"
cmake --preset tsan >/dev/null
cmake --build --preset tsan
ctest --preset tsan -j2

finish_setup
phase "fuzz targets over their seed corpora"
bash scripts/fuzz.sh all 0

phase "Windows builds (32-bit, 64-bit) and their tests under Wine"
# The packages for the install tests take their tool from the native build above.
MORVEL_NATIVE_BUILD_DIR=$repo/build/native bash scripts/test-win32.sh all
phase "done"
