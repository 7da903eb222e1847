#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Soak: runs the benchmark's deterministic mode (10 ms a frame) for 1,000,000 frames at low
# priority and checks that resident memory stays flat (read from /proc every 10,000 frames) and
# that every frame repeats the one 40960 frames (one turn of the Sat) earlier. Prints the frames,
# the seconds, the resident memory first/last/max and the period found; exit 0 when both hold.
# Not part of CI: a full run takes many minutes. Builds build/bin/veloxia_soak first (Release in
# a fresh build directory; an existing one keeps its settings).
# Usage: scripts/soak.sh [--build-dir DIR] [--frames N] [--sample-every N] [--quiet] [--help]
set -euo pipefail
cd "$(dirname "$0")/.."

build=build
args=()
while [ $# -gt 0 ]; do
  case "$1" in
    --build-dir) build="$2"; shift ;;
    -h|--help) sed -n '3,9p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) args+=("$1") ;;
  esac
  shift
done

scripts/deps.sh build
[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j "$(nproc)" --target veloxia_soak vxpack_default_data >/dev/null
exec nice -n 10 "$build/bin/veloxia_soak" "${args[@]+"${args[@]}"}"
