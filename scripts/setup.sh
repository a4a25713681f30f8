#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build, package and test Morvel.
#   bash scripts/setup.sh [native|check|package|all]     (default: all)
# native:  the native toolchain and libraries, enough for scripts/demo.sh;
# check:   also GoogleTest, Google Benchmark and the help file's compiler and reader,
#          enough for the native tests;
# package: also the mingw-w64 cross-compilers, what builds the Windows libraries from
#          Debian's sources, and the installer, help and zip tools (scripts/package.sh);
# all:     also the test tools: GoogleTest, clang, Wine, Xvfb and friends (scripts/test.sh).
# Idempotent: packages already present are left alone, so a second run is quick.
set -euo pipefail

mode=${1:-all}
native=(build-essential cmake ninja-build pkg-config libsqlite3-dev libjpeg62-turbo-dev)
# googletest: the Windows build configures its tests from these sources (not built to package).
package=(mingw-w64 g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix dpkg-dev tcl xz-utils
         debian-archive-keyring googletest
         wixl msitools fp-utils zip)
# The packaging tests among the native ones compile and read back the help file, and check
# the Group Policy templates with xmllint.
check=(libgtest-dev libbenchmark-dev fp-utils libchm-bin libxml2-utils)
tests=(clang clang-format libclang-rt-14-dev
       wine wine32:i386 wine64 xvfb xauth imagemagick xdotool)
case $mode in
  native) packages=("${native[@]}") ;;
  check) packages=("${native[@]}" "${check[@]}") ;;
  package) packages=("${native[@]}" "${package[@]}") ;;
  all) packages=("${native[@]}" "${check[@]}" "${package[@]}" "${tests[@]}") ;;
  *) echo "usage: setup.sh [native|check|package|all]" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
  name=${p%%:*}
  arch=${p#*:}
  [ "$arch" = "$p" ] && query=$name || query="$name:$arch"
  status=$(dpkg-query -W -f='${Status}' "$query" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$p")
done

[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=
[ "$(id -u)" -ne 0 ] && SUDO=sudo
# Wine's 32-bit half is the only package of another architecture.
if [[ " ${missing[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
