#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Packs the real-world test models found in MODELS (docs/gallery.md says where each comes from)
# and renders each in the benchmark: one screenshot per model (deterministic clock) and a short
# timed run for its frame rate. Writes docs/gallery/NAME.png and docs/gallery/README.md.
#
#   scripts/gallery.sh [MODELS [BUILD]]    (defaults: $VX_MODELS or models/, and build)
#
# Models that are not present are skipped; a model vxpack refuses is listed with its reason.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
models=$(cd "${1:-${VX_MODELS:-$root/models}}" && pwd)
build=$(cd "${2:-$root/build}" && pwd)
seconds=${VX_GALLERY_SECONDS:-5}
out=$root/docs/gallery
vxpack=$build/bin/vxpack
bench=$build/bin/veloxia3dbench
for program in "$vxpack" "$bench"; do
  [[ -x $program ]] || { echo "gallery: $program is missing (build vxpack and veloxia3dbench first)" >&2; exit 1; }
done
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# name | OBJ file under MODELS | kind | vxpack pack options
table=(
  "bunny|stanford-bunny.obj|scan, no MTL, 0.15 units across|--merge Sat --fit 140"
  "nefertiti|nefertiti.obj|scan, no MTL|--merge Sat --fit 140"
  "ogre|ogre.obj|sculpted, no MTL|--merge Sat --fit 200"
  "beast|beast.obj|sculpted, quads and n-gons, texture coordinates without MTL|--merge Sat --fit 200"
  "fandisk|fandisk.obj|CAD part|--merge Sat --fit 140"
  "rocker-arm|rocker-arm.obj|CAD part|--merge Sat --fit 140"
  "suzanne|suzanne.obj|low-poly game-style head, quads|--merge Sat --fit 140"
  "spot|spot.obj|quad-remeshed cow, no MTL|--merge Sat --fit 140"
  "teapot|teapot.obj|classic surface model|--merge Sat --fit 140"
  "wuson|WusonOBJ.obj|game character (MilkShape 3D)|--merge Sat --fit 140"
  "house|regr01.obj|building with MTL colours, some see-through (d below 1)|--merge Sat --fit 200"
  "spider|spider/spider.obj|game asset: MTL with backslash paths, JPEG textures of odd sizes|--merge Sat --fit 140 --resize-textures --dither"
  "ring|concave_polygon.obj|one 66-corner concave polygon (a ring)|--merge Sat --fit 140 --no-cull"
)

page=$out/README.md
{
  echo "# Gallery: real models packed with vxpack"
  echo
  echo "Made by \`scripts/gallery.sh\` on $(uname -m), $(nproc) cores (shared with other work, so the"
  echo "frame rates are rough): each model packed with the options shown, turned by the benchmark's"
  echo "running screen (frame 250 of the deterministic clock), and timed for $seconds seconds."
  echo "Where each model comes from, and its licence: [models.md](models.md)."
  echo
  echo "| model | picture | kind | pack options | triangles | frames/s | warnings |"
  echo "|---|---|---|---|---:|---:|---|"
} > "$page"

for row in "${table[@]}"; do
  IFS='|' read -r name file kind options <<< "$row"
  [[ -f $models/$file ]] || { echo "gallery: $name: $models/$file not present, skipped"; continue; }
  echo "gallery: $name"
  run=$work/$name
  mkdir -p "$run"
  # shellcheck disable=SC2086  # the options are words
  if ! "$vxpack" pack "$models/$file" $options -o "$run" > "$run/pack.out" 2> "$run/pack.err"; then
    reason=$(sed -n 's/^vxpack: error: //p' "$run/pack.err" | head -1 | sed 's/|/\\|/g')
    echo "| $name | | $kind | \`$options\` | | | refused: $reason |" >> "$page"
    continue
  fi
  triangles=$("$vxpack" info "$run/veloxia3dbench1" | sed -n 's/^total: \([0-9]*\) triangles*$/\1/p')
  said=$(grep '^vxpack: warning' "$run/pack.err" | sed 's/^vxpack: warning: //; s/|/\\|/g; s#'"$models"'/##g' | paste -sd ';' || true)
  "$bench" --data "$run" --headless --step-ms 10 --frames 250 --screenshot "$out/$name.png" > /dev/null
  fps=$("$bench" --data "$run" --headless --seconds "$seconds" --json 2> /dev/null |
        sed -n 's/^ *"average": \([0-9.]*\),*$/\1/p')
  echo "| $name | ![$name]($name.png) | $kind | \`$options\` | $triangles | $fps | ${said:-none} |" >> "$page"
done
echo "gallery: wrote $page"
