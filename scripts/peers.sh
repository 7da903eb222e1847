#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Our renderer beside Mesa's software rasterisers (llvmpipe, softpipe) through OSMesa, in a
# Release build of its own (build-peers/). Not part of CI: it takes a minute or two and its
# figures depend on the machine.
set -euo pipefail
cd "$(dirname "$0")/.."

usage() {
  cat <<'USAGE'
Usage: scripts/peers.sh [sat|scaling|all] [peers options]

  sat      (default) the Sat of the benchmark data, ours against llvmpipe (LP_NUM_THREADS
           unset, 0 and 1) and softpipe, interleaved batches; writes docs/peer_ours.png,
           docs/peer_llvmpipe.png and docs/peer_softpipe.png of one frame.
  scaling  test spheres from vxpack: ms a frame against triangles (528..32040, radius 90) and
           against covered pixels (528 triangles, radius 20..180), ours against llvmpipe
           (LP_NUM_THREADS 0 and unset); CSVs in build-peers/scaling/, charts
           docs/scaling_triangles.png and docs/scaling_pixels.png.
  all      both.

Options after the mode go to the peers program (build-peers/bin/peers --help), e.g.
--batches 20 --frames 200. JOBS sets the build's parallel jobs (default 2). The charts show
processor time of ours and single-threaded llvmpipe (robust on a busy machine); with
PEERS_CLOCK=wall they show wall-clock time of every renderer measured.
USAGE
}

mode=sat
case "${1:-}" in
  -h|--help) usage; exit 0 ;;
  sat|scaling|all) mode=$1; shift ;;
  -*|"") ;;
  *) usage >&2; exit 2 ;;
esac

scripts/deps.sh build peers
cmake -S . -B build-peers -G Ninja -DCMAKE_BUILD_TYPE=Release -DVX_BUILD_TESTS=OFF -DVX_BUILD_EXAMPLES=OFF -DVX_BUILD_SERVER=OFF >/dev/null
cmake --build build-peers -j "${JOBS:-2}" --target peers peers_plot vxpack vxpack_default_data >/dev/null
bin=build-peers/bin
[ -x "$bin/peers" ] || { echo "peers.sh: the peers program was not built (is libosmesa6-dev installed?)" >&2; exit 1; }

echo "machine: $(lscpu | sed -n 's/^Model name: *//p'), $(nproc) CPUs; load average $(cut -d' ' -f1-3 /proc/loadavg)"

if [ "$mode" = sat ] || [ "$mode" = all ]; then
  "$bin/peers" --png-dir docs "$@"
fi

if [ "$mode" = scaling ] || [ "$mode" = all ]; then
  work=build-peers/scaling
  rm -rf "$work"
  mkdir -p "$work"
  series() {  # name triangles... radius...
    local name=$1; shift
    local dirs=()
    while [ $# -gt 0 ]; do
      local dir="$work/$name-$1-$2"
      mkdir -p "$dir"
      "$bin/vxpack" sphere --triangles "$1" --radius "$2" "$dir/veloxia3dbench1" "$dir/veloxia3dbench2" >/dev/null
      dirs+=(--data "$dir")
      shift 2
    done
    "$bin/peers" --peer llvmpipe:0 --peer llvmpipe "${dirs[@]}" --csv "$work/$name.csv" "${peer_args[@]}"
  }
  peer_args=("$@")
  series triangles 500 90 1000 90 2000 90 4000 90 8000 90 16000 90 32000 90
  series pixels 500 20 500 40 500 60 500 90 500 120 500 150 500 180
  if [ "${PEERS_CLOCK:-cpu}" = cpu ]; then
    plot=(--columns _cpu --series ours --series llvmpipe:0)
    what="CPU MS A FRAME"
  else
    plot=(--columns _ms)
    what="MS A FRAME"
  fi
  "$bin/peers_plot" "${plot[@]}" --title "$what, TRIANGLES" "$work/triangles.csv" docs/scaling_triangles.png
  "$bin/peers_plot" "${plot[@]}" --x ours_pixels --title "$what, PIXELS" "$work/pixels.csv" docs/scaling_pixels.png
  echo "wrote $work/triangles.csv, $work/pixels.csv, docs/scaling_triangles.png and docs/scaling_pixels.png"
fi
