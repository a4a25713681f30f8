#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build and test Morvel.
# Idempotent: packages already present are left alone, so a second run is quick.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev googletest libbenchmark-dev libsqlite3-dev libjpeg62-turbo-dev
  clang clang-format libclang-rt-14-dev
  mingw-w64 g++-mingw-w64-i686-posix
  dpkg-dev tcl xz-utils debian-archive-keyring
  wine wine32:i386 xvfb xauth imagemagick xdotool
)

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
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
