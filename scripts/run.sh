#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, builds the Release and runs the benchmark: in a window when there is
# a display, headless otherwise. Arguments are passed to the program (try --help).
# Usage: scripts/run.sh [veloxia3dbench options]
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh build
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$(nproc)" --target veloxia3dbench >/dev/null
exec build/bin/veloxia3dbench "$@"
