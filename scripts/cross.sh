#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds for another processor with Debian's cross compiler and runs the result under qemu-user:
# the test suite, then the benchmark's --validate and its deterministic run. The build has no
# window system (headless host only), no benchmarks and no examples, in build-cross-ARCH.
# Usage: scripts/cross.sh aarch64|armhf|s390x [--build-dir DIR]
#   aarch64  64-bit ARM, little-endian      armhf  32-bit ARM (ARMv7, hard float), little-endian
#   s390x    IBM Z, 64-bit, big-endian: every data file is read and written byte by byte
# Emulated timings mean nothing; only the pixels, digests and figures of the deterministic run count.
set -euo pipefail
cd "$(dirname "$0")/.."

usage() { sed -n '6,9p' "$0" | sed 's/^# \{0,1\}//'; }
arch=""
build=""
while [ $# -gt 0 ]; do
  case "$1" in
    aarch64|armhf|s390x) arch="$1" ;;
    --build-dir) build="$2"; shift ;;
    -h|--help) usage; exit 0 ;;
    *) echo "cross.sh: unknown argument '$1'" >&2; usage >&2; exit 2 ;;
  esac
  shift
done
if [ -z "$arch" ]; then usage >&2; exit 2; fi
build="${build:-build-cross-$arch}"
case "$arch" in
  aarch64) triple=aarch64-linux-gnu qemu=qemu-aarch64 ;;
  armhf) triple=arm-linux-gnueabihf qemu=qemu-arm ;;
  s390x) triple=s390x-linux-gnu qemu=qemu-s390x ;;
esac
emulate=("$qemu" -L "/usr/$triple")

step() { printf '== cross %s: %s (%ds)\n' "$arch" "$1" "$SECONDS"; }

step "installing what is missing"
scripts/deps.sh "cross-$arch"

step "configuring $build"
cmake --no-warn-unused-cli -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="cmake/toolchains/$arch.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DVX_LTO=OFF -DVX_WITH_SDL=OFF -DVX_BUILD_SERVER=OFF -DVX_WERROR=ON \
  -DVX_BUILD_BENCH=OFF -DVX_BUILD_EXAMPLES=OFF -DVX_BUILD_TESTS=ON >/dev/null

step "building"
cmake --build "$build" -j "$(nproc)" >"$build/build.log" 2>&1 || { tail -50 "$build/build.log"; exit 1; }

# The window and whole-program script tests need the build machine's own programs; the unit tests,
# the golden frames and vxpack's command line run under the emulator.
step "testing under $qemu"
if ! ctest --test-dir "$build" --output-on-failure -j "$(nproc)" --timeout 600 -LE 'gui|hostile' >"$build/test.log" 2>&1; then
  sed -n '/^The following tests FAILED/,$p;/Failure$/,/^\[  FAILED/p' "$build/test.log" | head -60
  echo "cross.sh: tests failed under $qemu; the whole output is in $build/test.log" >&2
  exit 1
fi
grep -E '^[0-9]+% tests passed' "$build/test.log"

step "validation under $qemu"
bin="$build/bin"
# Every deterministic frame against the reference digests built into the program; exit 1 names
# the first frame that differs and saves it beside the expected one.
mkdir -p "$build/validate"
"${emulate[@]}" "$bin/veloxia3dbench" --validate --screenshot "$build/validate"
# The whole run on the virtual clock and its figures, the same on every machine.
"${emulate[@]}" "$bin/veloxia3dbench" --headless --step-ms 50 --oem "Cross Check" \
  --screenshot "$build/results.png" 2>/dev/null >"$build/results.txt"
cat "$build/results.txt"
echo "results screen: $(sha256sum <"$build/results.png" | cut -c1-64)"
step "done"
