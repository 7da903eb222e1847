#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The library on its own, as a packager builds it: configures with -DVX_BUILD_APP=OFF
# -DVX_BUILD_TOOLS=OFF and every other package hidden from CMake, builds, runs the tests, checks
# that no compile read a header of SDL2, stb, CLI11, nlohmann-json, tinyobjloader or Google
# Benchmark, installs into a temporary prefix and builds and runs tests/consumer against it.
# Usage: scripts/library_only.sh [--build-dir DIR]
set -euo pipefail
cd "$(dirname "$0")/.."

build=build-library
while [ $# -gt 0 ]; do
  case "$1" in
    --build-dir) build="$2"; shift ;;
    -h|--help) sed -n '3,7p' "$0"; exit 0 ;;
    *) echo "library_only.sh: unknown option '$1'" >&2; exit 2 ;;
  esac
  shift
done

scripts/deps.sh test
hidden=()
for package in SDL2 CLI11 nlohmann_json tinyobjloader benchmark Freetype PkgConfig; do
  hidden+=("-DCMAKE_DISABLE_FIND_PACKAGE_$package=ON")
done
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVX_BUILD_APP=OFF -DVX_BUILD_TOOLS=OFF -DVX_BUILD_SERVER=OFF -DVX_WERROR=ON \
  --no-warn-unused-cli "${hidden[@]}" >/dev/null
cmake --build "$build" -j "$(nproc)"
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" --timeout 600

read_headers=$(ninja -C "$build" -t deps | grep -E '/usr/include/(SDL2|stb|CLI|nlohmann|tiny_obj|benchmark|freetype)' || true)
if [ -n "$read_headers" ]; then
  echo "library_only.sh: the library-only build read other packages' headers:" >&2
  echo "$read_headers" | sort -u >&2
  exit 1
fi

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cmake --install "$build" --prefix "$scratch/prefix" >/dev/null
cmake -S tests/consumer -B "$scratch/consumer" -G Ninja -DCMAKE_PREFIX_PATH="$scratch/prefix" >/dev/null
cmake --build "$scratch/consumer"
"$scratch/consumer/veloxia_consumer"
echo "library_only.sh: the library builds, tests and installs on its own; the consumer runs"
