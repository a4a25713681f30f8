#!/usr/bin/env bash
# Builds what Morvel ships into build/dist, for 32-bit Windows (x86) and 64-bit Windows
# (x64): the installers morvel-VERSION-x86.msi and morvel-VERSION-x64.msi (wixl), the
# portable morvel-VERSION-x86-portable.zip and morvel-VERSION-x64-portable.zip, the Group
# Policy templates morvel-VERSION-policies.zip (PolicyDefinitions/Morvel.admx and
# en-US/Morvel.adml, installed nowhere), and SHA256SUMS. Each installer and zip holds that
# width's morvel.exe and morvel-cli.exe, Morvel.dat, the community's Winapp2.ini, the help
# file Morvel.chm (made from the item table by morvel-shipdata and compiled by chmcmd),
# License.txt and the first-start settings.ini.
# MORVEL_VERSION overrides the version (major.minor.build; default: the project's, ".0"
# added), MORVEL_DIST_DIR the output folder, MORVEL_WIN32_BUILD_DIR and
# MORVEL_WIN64_BUILD_DIR the Windows builds (default build/win32 and build/win64),
# MORVEL_NATIVE_BUILD_DIR the native build that makes morvel-shipdata (default build/demo,
# the quick one).
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
work=$repo/build/package
jobs=$(nproc)

# The Windows programs of both widths: preset, toolchain triplet, build folder.
arches=(x86 x64)
declare -A preset=([x86]=win32 [x64]=win64)
declare -A host=([x86]=i686-w64-mingw32 [x64]=x86_64-w64-mingw32)
declare -A build=([x86]=${MORVEL_WIN32_BUILD_DIR:-$repo/build/win32}
                  [x64]=${MORVEL_WIN64_BUILD_DIR:-$repo/build/win64})
for arch in "${arches[@]}"; do
  bash scripts/build-win32-deps.sh "${host[$arch]}"
  cmake --preset "${preset[$arch]}" -B "${build[$arch]}" >/dev/null
  cmake --build "${build[$arch]}" --target morvel_gui morvel_cli_exe -j "$jobs"
done

# The tool that reads the item table, on this machine.
if [ "$native" = "$repo/build/demo" ]; then
  cmake --preset demo >/dev/null
fi
cmake --build "$native" --target morvel_shipdata -j "$jobs"

rm -rf "$work"
mkdir -p "$work"
"$native/morvel-shipdata" help data/help data/Morvel.dat "$work/help"
"$native/morvel-shipdata" settings packaging/first-start.txt "$work/settings.ini"
# Only the installer's Add/Remove Programs entry uses the icon; it is not installed.
cp data/pictures/morvel.ico "$work/"

mkdir -p "$dist"
dist=$(cd "$dist" && pwd)  # wixl and zip write it from other folders
rm -f "$dist"/morvel-*.msi "$dist"/morvel-*-portable.zip "$dist"/morvel-*-policies.zip \
  "$dist/SHA256SUMS"

shipped=()
for arch in "${arches[@]}"; do
  stage=$work/stage-$arch
  mkdir -p "$stage"
  for exe in morvel.exe morvel-cli.exe; do
    "${host[$arch]}-strip" -o "$stage/$exe" "${build[$arch]}/$exe"
  done
  cp data/Morvel.dat data/winapp2/Winapp2.ini packaging/License.txt "$work/help/Morvel.chm" \
    "$work/settings.ini" "$stage/"

  msi=morvel-$version-$arch.msi
  zip=morvel-$version-$arch-portable.zip
  # wixl takes its sources relative to the folder it runs in.
  (cd "$work" && wixl -a "$arch" -D Arch="$arch" -D Version="$version" -D Stage="stage-$arch" \
    -D Icon=morvel.ico -o "$dist/$msi" "$repo/packaging/morvel.wxs")
  grep -v -e '^--' -e '^$' packaging/msi-fixups.sql | while read -r query; do
    msibuild "$dist/$msi" -q "$query"
  done

  # The zip unpacks into a folder of its own; settings.ini is the first selection, which a
  # user updating a portable copy keeps from the old one.
  ln -s "stage-$arch" "$work/Morvel"
  (cd "$work" && zip -q -X -r "$dist/$zip" Morvel/)
  rm "$work/Morvel"
  shipped+=("$msi" "$zip")
done

# The policy templates go where the administrator's policy editor reads them
# (C:\Windows\PolicyDefinitions, or the domain's central store): nothing installs them.
policies=morvel-$version-policies.zip
mkdir -p "$work/PolicyDefinitions/en-US"
cp packaging/policies/Morvel.admx "$work/PolicyDefinitions/"
cp packaging/policies/en-US/Morvel.adml "$work/PolicyDefinitions/en-US/"
(cd "$work" && zip -q -X -r "$dist/$policies" PolicyDefinitions/)
shipped+=("$policies")

(cd "$dist" && sha256sum "${shipped[@]}" >SHA256SUMS)
echo "package: $(($(date +%s) - start)) s"
ls -l "$dist"
