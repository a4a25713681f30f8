#!/usr/bin/env bash
# Portable code sees Windows only through the port: only platform/win32/ may include
# <windows.h> or other Windows SDK headers, and the Windows-only tests (*_win32.cpp and *_win32.h files and
# tests/*_win32/ folders).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
hits=$(grep -rlniE '#\s*include\s*[<"](windows|winreg|winbase|winuser|shellapi|shlobj|wininet)\.h[>"]' \
         --include='*.h' --include='*.cpp' . | grep -vE '^\./(platform/win32|build)/|^\./tests/(.*_win32\.(cpp|h)|[^/]+_win32/.*)$' || true)
if [ -n "$hits" ]; then
  echo "Windows headers outside platform/win32/:" >&2
  echo "$hits" >&2
  exit 1
fi
echo "portable code is free of Windows headers"
