#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Regenerates the reference digests of the validation runs (src/app/reference_digests.cpp),
# which the golden screen test and `veloxia3dbench --validate` share, and lists the frames
# whose digests changed. Look at those frames before committing (veloxia3dbench --validate
# --screenshot DIR on the old table saves the first that differs).
# Usage: scripts/reference_digests.sh [BUILD_DIR]      (default: build, a Release build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
[ -f /work/ccache.env ] && . /work/ccache.env
[ -f "$build/build.ninja" ] || cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
ninja -C "$build" veloxia3dbench >/dev/null
"$build/bin/veloxia3dbench" --validate --write-reference src/app/reference_digests.cpp
ninja -C "$build" veloxia3dbench >/dev/null
"$build/bin/veloxia3dbench" --validate
