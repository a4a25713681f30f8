#!/usr/bin/env bash
# The main job: build Morvel, write a sample machine image, then Test and Clean it.
# It needs only the native toolchain: an unoptimised build without sanitizers or tests
# (preset demo, build/demo) of the one program.
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$repo"

bash scripts/setup.sh native
cmake --preset demo >/dev/null
cmake --build --preset demo --target morvel -j "$(nproc)"

image=${1:-$repo/build/demo-image}
rm -rf "$image"
morvel=build/demo/morvel
"$morvel" demo "$image"
echo
echo "== morvel list"
"$morvel" --image "$image" list
echo
echo "== morvel test"
"$morvel" --image "$image" test
echo
echo "== morvel --yes clean"
"$morvel" --image "$image" --yes clean
echo
echo "== the Windows program"
echo "Build and open the window under Wine (private prefix; on your display, or in Xvfb"
echo "with a screenshot written to build/morvel-gui.png):"
echo "  bash scripts/run-gui.sh            # or: bash scripts/run-gui.sh -cleanonce"
