#!/usr/bin/env bash
# Every test of both builds: the native build (ASan + UBSan) against the emulated machine,
# the portable unit and controller tests again under ThreadSanitizer, then the 32-bit
# Windows build under Wine against the real Win32 API.
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$repo"

bash scripts/setup.sh all
bash scripts/check-portable.sh

echo "== native build and tests"
cmake --preset native >/dev/null
cmake --build --preset native
ctest --preset native -j2

echo "== ThreadSanitizer: runs against the UI thread (settings, hosts, controller)"
cmake --preset tsan >/dev/null
cmake --build --preset tsan
ctest --preset tsan -j2

echo "== fuzz targets over their seed corpora"
bash scripts/fuzz.sh all 0

echo "== win32 build and tests under Wine"
# The packages for the install tests take their tool from the native build above.
MORVEL_NATIVE_BUILD_DIR=$repo/build/native bash scripts/test-win32.sh
