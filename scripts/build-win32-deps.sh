#!/usr/bin/env bash
# Builds the libraries the Windows programs link statically (SQLite, libjpeg-turbo), from
# Debian's own source packages, for one host:
#   bash scripts/build-win32-deps.sh [i686-w64-mingw32|x86_64-w64-mingw32]   (default: i686)
# into build/win32-deps (32-bit) or build/win64-deps (64-bit), include/ and lib/, where
# cmake/mingw-i686.cmake and cmake/mingw-x86_64.cmake look for them. Idempotent: a library
# whose stamp matches its recipe is not rebuilt, so a second run takes no time and needs no
# network. Delete the folder to start over.
#
# The sources come through `apt-get source` with a private deb-src list, private package
# lists and a private cache under build/, so the machine's apt configuration is untouched.
# They are fetched (and SQLite's amalgamation made) once for both hosts and kept in
# build/win-deps-sources, so the other host's run, at the same time or later, builds from
# them without the network.
# Needs: apt-get, dpkg-source (dpkg-dev), tclsh (tcl), a native C compiler, make and the
# mingw-w64 -posix compilers; scripts/setup.sh installs them.
#
# MORVEL_WIN32_DEPS installs elsewhere; MORVEL_DEBIAN_MIRROR replaces the Debian mirror.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
host=${1:-i686-w64-mingw32}
case $host in
  i686-w64-mingw32) processor=i686 default_prefix=$repo/build/win32-deps ;;
  x86_64-w64-mingw32) processor=x86_64 default_prefix=$repo/build/win64-deps ;;
  *) echo "usage: build-win32-deps.sh [i686-w64-mingw32|x86_64-w64-mingw32]" >&2; exit 2 ;;
esac
prefix=${MORVEL_WIN32_DEPS:-$default_prefix}
sources=$repo/build/win-deps-sources
mirror=${MORVEL_DEBIAN_MIRROR:-http://deb.debian.org}
start=$(date +%s)

# SQLite: the amalgamation made from Debian's patched tree, compiled with the part of
# Debian's feature flags that decides which databases open and how they are read, so both
# targets treat a browser's database alike. No loadable extensions: the program loads none.
# Bump the recipe number whenever these change.
sqlite_recipe=1
sqlite_cflags=(
  -O2 -fno-strict-aliasing
  -DSQLITE_THREADSAFE=1 -DSQLITE_SECURE_DELETE -DSQLITE_ENABLE_COLUMN_METADATA
  -DSQLITE_ENABLE_FTS3 -DSQLITE_ENABLE_FTS3_PARENTHESIS -DSQLITE_ENABLE_RTREE=1
  -DSQLITE_SOUNDEX=1 -DSQLITE_ENABLE_UNLOCK_NOTIFY -DSQLITE_ENABLE_DBSTAT_VTAB
  -DSQLITE_ENABLE_JSON1 -DSQLITE_LIKE_DOESNT_MATCH_BLOBS -DSQLITE_USE_URI=1
  -DSQLITE_MAX_SCHEMA_RETRY=25 -DSQLITE_OMIT_LOAD_EXTENSION
)
sqlite_stamp_text="sqlite3 recipe $sqlite_recipe: ${sqlite_cflags[*]}"

mkdir -p "$prefix"
# Two test runs started together must not build into the same prefix at once.
exec 8>"$prefix.lock"
flock 8

stamp_matches() {  # stamp-file expected-first-line
  [ -f "$1" ] && [ "$(head -n 1 "$1")" = "$2" ]
}

# apt-get with everything private to the work folder $1.
private_apt() {
  local work=$1
  shift
  local opts=(
    -o "Dir::Etc::sourcelist=$work/apt/sources.list" -o "Dir::Etc::sourceparts=-"
    -o "Dir::State::Lists=$work/apt/lists" -o "Dir::Cache=$work/apt/cache"
  )
  # As root, apt drops to the _apt user for downloads, which cannot write to our folder.
  [ "$(id -u)" -eq 0 ] && opts+=(-o "APT::Sandbox::User=root")
  apt-get "${opts[@]}" "$@"
}

# Fetches and unpacks Debian 12's source package $1 into $sources/$1 unless a run for
# either host did already, then runs `$2 TREE` there once, and prints the path of the
# unpacked tree. A lock keeps two runs from preparing the same sources at once.
shared_source() {
  local package=$1 prepare=$2 work=$sources/$1
  mkdir -p "$sources"
  (
    flock 9
    if [ ! -f "$work/.prepared" ]; then
      rm -rf "$work"
      fetch_source "$work" "$package"
      local tree
      tree=$(source_tree "$work" "$package")
      "$prepare" "$tree"
      rm -rf "$work/apt"
      touch "$work/.prepared"
    fi
  ) 9>"$work.lock"
  source_tree "$work" "$package"
}

source_tree() {  # work-folder package
  local tree
  tree=$(find "$1/src" -mindepth 1 -maxdepth 1 -type d -name "$2-*" | head -n 1)
  [ -n "$tree" ] || { echo "build-win32-deps: no source tree for $2" >&2; exit 1; }
  echo "$tree"
}

# Fetches and unpacks Debian 12's source package $2 into the work folder $1.
fetch_source() {
  local work=$1 package=$2
  mkdir -p "$work/apt/lists/partial" "$work/apt/cache/archives/partial" "$work/src"
  local keyring=/usr/share/keyrings/debian-archive-keyring.gpg
  {
    echo "deb-src [signed-by=$keyring] $mirror/debian bookworm main"
    echo "deb-src [signed-by=$keyring] $mirror/debian bookworm-updates main"
    echo "deb-src [signed-by=$keyring] $mirror/debian-security bookworm-security main"
  } >"$work/apt/sources.list"
  (
    cd "$work/src"
    private_apt "$work" update -qq && private_apt "$work" source -qq "$package"
  ) >"$work/fetch.log" 2>&1 || { cat "$work/fetch.log" >&2; exit 1; }
}

# The amalgamation is not shipped: the source tree makes it with tclsh and a few tools
# compiled for the build machine, whatever the host. Debian's patches are already applied
# to src/.
make_amalgamation() {
  local tree=$1
  mkdir -p "$tree/../amalgamation"
  (
    cd "$tree/../amalgamation"
    "$tree/configure" --disable-tcl --disable-readline >configure.log 2>&1 ||
      { cat configure.log >&2; exit 1; }
    make -j2 sqlite3.c sqlite3.h >make.log 2>&1 || { tail -n 30 make.log >&2; exit 1; }
  )
}

# libjpeg-turbo's tree is built as it is unpacked.
no_preparation() { :; }

build_sqlite() {
  local stamp=$prefix/.sqlite3-stamp
  if stamp_matches "$stamp" "$sqlite_stamp_text"; then
    return
  fi
  echo "build-win32-deps: building SQLite for $host" >&2
  local work=$prefix.work/sqlite3
  rm -rf "$work"
  mkdir -p "$work"
  local tree
  tree=$(shared_source sqlite3 make_amalgamation)
  local version
  version=$(cd "$tree" && dpkg-parsechangelog -S Version)
  local amalgamation=$tree/../amalgamation

  "$host-gcc-posix" "${sqlite_cflags[@]}" -c "$amalgamation/sqlite3.c" -o "$work/sqlite3.o"
  rm -f "$work/libsqlite3.a"
  "$host-ar" rcs "$work/libsqlite3.a" "$work/sqlite3.o"

  mkdir -p "$prefix/include" "$prefix/lib"
  install -m 644 "$amalgamation/sqlite3.h" "$prefix/include/"
  install -m 644 "$work/libsqlite3.a" "$prefix/lib/"
  # The stamp goes last: an interrupted build is redone on the next run.
  printf '%s\n%s\n' "$sqlite_stamp_text" "Debian source package sqlite3 $version" >"$stamp"
  rm -rf "$work"
  echo "build-win32-deps: SQLite $version built in $(($(date +%s) - start)) s" >&2
}

# libjpeg-turbo: the static library with its C code only (the SIMD parts want nasm), for
# the window's pictures. Bump the recipe number whenever these change.
jpeg_recipe=1
jpeg_cmake_flags=(
  -DCMAKE_SYSTEM_NAME=Windows -DCMAKE_SYSTEM_PROCESSOR=$processor
  -DCMAKE_C_COMPILER=$host-gcc-posix -DCMAKE_RC_COMPILER=$host-windres
  -DCMAKE_BUILD_TYPE=Release -DENABLE_SHARED=OFF -DENABLE_STATIC=ON
  -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF -DWITH_JPEG8=OFF
)
jpeg_stamp_text="libjpeg-turbo recipe $jpeg_recipe: ${jpeg_cmake_flags[*]}"

build_jpeg() {
  local stamp=$prefix/.libjpeg-turbo-stamp
  if stamp_matches "$stamp" "$jpeg_stamp_text"; then
    return
  fi
  echo "build-win32-deps: building libjpeg-turbo for $host" >&2
  local work=$prefix.work/libjpeg-turbo
  rm -rf "$work"
  mkdir -p "$work"
  local tree
  tree=$(shared_source libjpeg-turbo no_preparation)
  local version
  version=$(cd "$tree" && dpkg-parsechangelog -S Version)
  (
    cmake -S "$tree" -B "$work/build" -G Ninja "${jpeg_cmake_flags[@]}" \
      -DCMAKE_INSTALL_PREFIX="$work/install" >"$work/configure.log" 2>&1 ||
      { cat "$work/configure.log" >&2; exit 1; }
    cmake --build "$work/build" --target jpeg-static >"$work/make.log" 2>&1 ||
      { tail -n 30 "$work/make.log" >&2; exit 1; }
  )
  mkdir -p "$prefix/include" "$prefix/lib"
  install -m 644 "$tree/jpeglib.h" "$tree/jmorecfg.h" "$tree/jerror.h" "$work/build/jconfig.h" \
    "$prefix/include/"
  install -m 644 "$work/build/libjpeg.a" "$prefix/lib/"
  printf '%s\n%s\n' "$jpeg_stamp_text" "Debian source package libjpeg-turbo $version" >"$stamp"
  rm -rf "$work"
  echo "build-win32-deps: libjpeg-turbo $version built in $(($(date +%s) - start)) s" >&2
}

build_sqlite
build_jpeg
rmdir "$prefix.work" 2>/dev/null || true
