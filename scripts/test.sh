#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, builds and runs every test.
# Usage: scripts/test.sh [--sanitize] [--build-dir DIR]
set -euo pipefail
cd "$(dirname "$0")/.."

sanitize=OFF
build=build
while [ $# -gt 0 ]; do
  case "$1" in
    --sanitize) sanitize=ON; build=build-sanitize ;;
    --build-dir) build="$2"; shift ;;
    -h|--help) sed -n '3,4p' "$0"; exit 0 ;;
    *) echo "test.sh: unknown option '$1'" >&2; exit 2 ;;
  esac
  shift
done

scripts/deps.sh test gui
type=Release
[ "$sanitize" = ON ] && type=Debug
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=$type -DVX_SANITIZE=$sanitize -DVX_LTO=OFF -DVX_BUILD_BENCH=ON -DVX_WERROR=ON >/dev/null
cmake --build "$build" -j "$(nproc)"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" --timeout 600
