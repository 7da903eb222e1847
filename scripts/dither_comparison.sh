#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Side-by-side picture of vxpack's colour conversions for docs/dither_comparison.png: the source
# image, the plain conversion (the engine's own: the top 3 bits of each channel), ordered
# dithering and error diffusion. The source is ImageMagick's built-in photograph "rose:" above a
# sky-like gradient, 128x128.
#
#   scripts/dither_comparison.sh [BUILD]    (default: build)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
font=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf

convert rose: -resize '128x64!' \( -size 128x64 gradient:'#183c8c-#f4c890' \) -append "$work/photo.png"
printf 'newmtl photo\nmap_Kd photo.png\n' > "$work/q.mtl"
printf 'mtllib q.mtl\nv -100 -100 0\nv 100 -100 0\nv 100 100 0\nv -100 100 0\nvt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\nusemtl photo\nf 1/1 2/2 3/3 4/4\n' > "$work/q.obj"

panels=("$work/photo.png" "source")
for way in plain ordered diffusion; do
  option=()
  [[ $way == plain ]] || option=(--dither="$way")
  "$build/bin/vxpack" pack "$work/q.obj" "${option[@]}" -o "$work" > /dev/null
  "$build/bin/vxpack" texture-image "$work/veloxia3dbench2" "$work/$way.ppm"
  panels+=("$work/$way.ppm" "$way")
done

args=()
for ((i = 0; i < ${#panels[@]}; i += 2)); do
  convert "${panels[i]}" -filter point -resize 300% -gravity north -background white -splice 0x24 \
          -font "$font" -pointsize 16 -annotate +0+3 "${panels[i + 1]}" "$work/panel$i.png"
  args+=("$work/panel$i.png")
done
convert "${args[@]}" -bordercolor white -border 4 +append "$root/docs/dither_comparison.png"
echo "wrote $root/docs/dither_comparison.png"
