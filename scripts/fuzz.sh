#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the libFuzzer harnesses (clang-14, ASan + UBSan) into build-fuzz/ and runs them.
set -euo pipefail
cd "$(dirname "$0")/.."

all=(scene_file texture_file tga vxpack_obj vxpack_image raster pipeline immediate world)

usage() {
  cat <<EOF
Usage: scripts/fuzz.sh [options] [HARNESS...]

Builds the fuzz harnesses into build-fuzz/ and runs each for a while, starting from the
committed corpus fuzz/corpus/HARNESS/. New corpus entries go to SCRATCH/HARNESS/ (never to the
committed corpus), crash inputs to SCRATCH/artifacts/, each run's output to SCRATCH/HARNESS.log.
Exits 1 when any harness finds a crash, a sanitizer report or a broken property.

Harnesses (default: all): ${all[*]}

Options:
  -t, --time SECONDS   how long each harness runs (default 60)
  -j, --jobs N         harnesses run at once (default 1: one after another)
  -s, --scratch DIR    where new corpus entries, crashes and logs go (default build-fuzz/scratch)
  --seed N             libFuzzer's random seed (default: a new one each run); CI uses 1 so that
                       its short runs try the same inputs first every time
  --no-build           use the harnesses already in build-fuzz/bin
  --build-only         build the harnesses and stop
  -h, --help           this text

A finding is replayed with build-fuzz/bin/fuzz_HARNESS FILE; minimise it with
-minimize_crash=1 -runs=10000 FILE, fix it, and commit the input under fuzz/regressions/HARNESS/
(tests/fuzz_regressions_test.cpp replays those in the normal test suite).
EOF
}

seconds=60 jobs=1 scratch=build-fuzz/scratch build=1 run=1 seed=0 chosen=()
while [ $# -gt 0 ]; do
  case "$1" in
    -t|--time) seconds="${2:?--time needs a value}"; shift 2 ;;
    -j|--jobs) jobs="${2:?--jobs needs a value}"; shift 2 ;;
    -s|--scratch) scratch="${2:?--scratch needs a value}"; shift 2 ;;
    --seed) seed="${2:?--seed needs a value}"; shift 2 ;;
    --no-build) build=0; shift ;;
    --build-only) run=0; shift ;;
    -h|--help) usage; exit 0 ;;
    -*) echo "fuzz.sh: unknown option $1 (see --help)" >&2; exit 2 ;;
    *) chosen+=("$1"); shift ;;
  esac
done
[ ${#chosen[@]} -eq 0 ] && chosen=("${all[@]}")
for h in "${chosen[@]}"; do
  [[ " ${all[*]} " == *" $h "* ]] || { echo "fuzz.sh: no harness '$h' (have: ${all[*]})" >&2; exit 2; }
done
[[ "$seconds" =~ ^[0-9]+$ && "$jobs" =~ ^[1-9][0-9]*$ && "$seed" =~ ^[0-9]+$ ]] ||
  { echo "fuzz.sh: --time, --jobs and --seed take numbers" >&2; exit 2; }

if [ "$build" -eq 1 ]; then
  scripts/deps.sh build fuzz
  if [ ! -f build-fuzz/CMakeCache.txt ]; then
    CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVX_BUILD_SERVER=OFF \
      -DVX_FUZZ=ON -DVX_LTO=OFF -DVX_BUILD_TESTS=OFF -DVX_BUILD_BENCH=OFF -DVX_BUILD_EXAMPLES=OFF \
      -DVX_BUILD_APP=OFF >/dev/null
  fi
  cmake --build build-fuzz -j2 --target "${chosen[@]/#/fuzz_}"
fi
[ "$run" -eq 1 ] || exit 0

mkdir -p "$scratch/artifacts"
# One harness: the scratch folder first (new entries are written there), the committed corpus
# second. Its result goes to SCRATCH/HARNESS.status, read once every run has ended.
run_one() {
  local h=$1 log="$scratch/$1.log" rc=0
  mkdir -p "$scratch/$h"
  build-fuzz/bin/fuzz_"$h" -max_total_time="$seconds" -seed="$seed" -print_final_stats=1 -timeout=30 -close_fd_mask=1 \
    -artifact_prefix="$scratch/artifacts/$h-" "$scratch/$h" "fuzz/corpus/$h" >"$log" 2>&1 || rc=$?
  echo "$rc" >"$scratch/$h.status"
  if [ "$rc" -eq 0 ]; then
    echo "fuzz.sh: $h: $(grep -o 'Done [0-9]* runs in [0-9]* second(s)' "$log" || echo done)"
  else
    echo "fuzz.sh: $h FAILED (exit $rc); the end of $log:" >&2
    tail -n 40 "$log" >&2
  fi
}

for h in "${chosen[@]}"; do
  rm -f "$scratch/$h.status"
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n || true; done
  run_one "$h" &
done
wait
failed=0
for h in "${chosen[@]}"; do
  [ "$(cat "$scratch/$h.status" 2>/dev/null)" = 0 ] || failed=1
done
exit "$failed"
