#!/usr/bin/env bash
# Draws the program's pictures with ImageMagick into data/pictures/: the title strip and
# the About banner (JPEG) and the application icon (several sizes in one .ico). The
# results are checked in; run this only to change them.
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out=$repo/data/pictures
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A band from deep blue to teal with soft light rings: the title strip, then the banner.
band() {  # width height file
  convert -size "$1x$2" gradient:'#0b2a5b'-'#1a8a9a' -rotate 90 -resize "$1x$2!" \
    -fill 'rgba(255,255,255,0.10)' -draw "circle $(($1 * 7 / 10)),$(($2 / 2)) $(($1 * 7 / 10 + $2)),$(($2 / 2))" \
    -fill 'rgba(255,255,255,0.07)' -draw "circle $(($1 * 8 / 10)),$(($2 / 3)) $(($1 * 8 / 10 + $2 * 2)),$(($2 / 3))" \
    -fill 'rgba(255,255,255,0.12)' -draw "circle $(($1 * 9 / 10)),$(($2 * 2 / 3)) $(($1 * 9 / 10 + $2 / 2)),$(($2 * 2 / 3))" \
    -quality 85 -strip "$3"
}
band 704 50 "$out/title.jpg"
band 460 72 "$out/banner.jpg"

# The icon: a rounded teal square with a white sweep (a broom's head and handle).
icon() {  # size file
  local s=$1 r=$(($1 / 6))
  convert -size "${s}x${s}" xc:none \
    -fill '#137a8a' -draw "roundrectangle 0,0 $((s - 1)),$((s - 1)) $r,$r" \
    -stroke white -strokewidth "$((s / 12 + 1))" -fill none \
    -draw "line $((s * 3 / 4)),$((s / 6)) $((s / 2)),$((s / 2))" \
    -stroke none -fill white \
    -draw "polygon $((s * 3 / 10)),$((s / 2)) $((s * 6 / 10)),$((s / 2)) $((s * 7 / 10)),$((s * 5 / 6)) $((s / 6)),$((s * 5 / 6))" \
    "PNG32:$2"
}
for size in 16 24 32 48 256; do icon "$size" "$work/icon-$size.png"; done
convert "$work"/icon-16.png "$work"/icon-24.png "$work"/icon-32.png "$work"/icon-48.png \
  "$work"/icon-256.png "$out/morvel.ico"
ls -l "$out"
