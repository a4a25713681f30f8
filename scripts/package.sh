#!/usr/bin/env bash
# Builds what Morvel ships into build/dist: the installer morvel-VERSION.msi (wixl), the
# portable morvel-VERSION-portable.zip, and SHA256SUMS. Both hold morvel.exe,
# morvel-cli.exe, Morvel.dat, the community's Winapp2.ini, the help file Morvel.chm (made from
# the item table by morvel-shipdata and compiled by chmcmd), License.txt and the first-start
# settings.ini.
# MORVEL_VERSION overrides the version (major.minor.build; default: the project's, ".0"
# added), MORVEL_DIST_DIR the output folder, MORVEL_WIN32_BUILD_DIR the Windows build
# (default build/win32), MORVEL_NATIVE_BUILD_DIR the native build that makes
# morvel-shipdata (default build/demo, the quick one).
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$repo"
start=$(date +%s)

bash scripts/setup.sh package

version=${MORVEL_VERSION:-$(sed -n 's/^project(Morvel VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)}
[[ $version =~ ^[0-9]+\.[0-9]+$ ]] && version=$version.0
if ! [[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]]; then
  echo "package: version \"$version\" is not major.minor.build" >&2
  exit 2
fi
dist=${MORVEL_DIST_DIR:-$repo/build/dist}
native=${MORVEL_NATIVE_BUILD_DIR:-$repo/build/demo}
win32=${MORVEL_WIN32_BUILD_DIR:-$repo/build/win32}
work=$repo/build/package
jobs=$(nproc)

# The Windows programs.
bash scripts/build-win32-deps.sh
cmake --preset win32 -B "$win32" >/dev/null
cmake --build "$win32" --target morvel_gui morvel_cli_exe -j "$jobs"

# The tool that reads the item table, on this machine.
if [ "$native" = "$repo/build/demo" ]; then
  cmake --preset demo >/dev/null
fi
cmake --build "$native" --target morvel_shipdata -j "$jobs"

rm -rf "$work"
mkdir -p "$work/stage"
"$native/morvel-shipdata" help data/help data/Morvel.dat "$work/help"
"$native/morvel-shipdata" settings packaging/first-start.txt "$work/stage/settings.ini"

stage=$work/stage
for exe in morvel.exe morvel-cli.exe; do
  i686-w64-mingw32-strip -o "$stage/$exe" "$win32/$exe"
done
cp data/Morvel.dat data/winapp2/Winapp2.ini packaging/License.txt "$stage/"
cp "$work/help/Morvel.chm" "$stage/"
# Only the installer's Add/Remove Programs entry uses the icon; it is not installed.
cp data/pictures/morvel.ico "$work/"

mkdir -p "$dist"
dist=$(cd "$dist" && pwd)  # wixl and zip write it from other folders
rm -f "$dist"/morvel-*.msi "$dist"/morvel-*-portable.zip "$dist/SHA256SUMS"
msi=$dist/morvel-$version.msi
zip=$dist/morvel-$version-portable.zip

# wixl takes its sources relative to the folder it runs in.
(cd "$work" && wixl -D Version="$version" -D Stage=stage -D Icon=morvel.ico \
  -o "$msi" "$repo/packaging/morvel.wxs")
grep -v -e '^--' -e '^$' packaging/msi-fixups.sql | while read -r query; do
  msibuild "$msi" -q "$query"
done

# The zip unpacks into a folder of its own; settings.ini is the first selection, which a
# user updating a portable copy keeps from the old one.
ln -s stage "$work/Morvel"
(cd "$work" && zip -q -X -r "$zip" Morvel/)
rm "$work/Morvel"

(cd "$dist" && sha256sum "$(basename "$msi")" "$(basename "$zip")" >SHA256SUMS)
echo "package: $(($(date +%s) - start)) s"
ls -l "$dist"
