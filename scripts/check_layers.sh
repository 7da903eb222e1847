#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Fails on an include that points the wrong way. The layers, lowest first:
#   0 engine (tables, matrices, context)   1 display, text, data   2 pipeline, raster   3 world
#   4 the library's top (src/default_slots.cpp, the umbrella header)   5 app   6 host
# A file may include its own layer and those below. src/util is beside them all: it includes no
# layer and only the programs (app, host, tools) include it. vxpack and fontgen see the public
# header and util only; examples, assets/hall and tests/consumer see <veloxia/veloxia.h> only;
# nothing reaches out of its folder with "../". Tests, benchmarks, fuzz harnesses and tools/soak
# may use anything.
# Usage: scripts/check_layers.sh [DIR]   (default: this checkout)
set -uo pipefail
root="${1:-$(dirname "$0")/..}"
cd "$root" || exit 2

# Known exceptions, "file include" per line, each with the work that removes it (none now).
allowed=''

# Layer of a public header (veloxia/<name>.h) or of a folder under src/.
layerOf() {
    case "$1" in
    veloxia/types.h | veloxia/engine.h | veloxia/fixedmath.h | veloxia/matrix.h | engine/*) echo 0 ;;
    veloxia/display.h | veloxia/text.h | veloxia/data.h | display/* | text/* | data/*) echo 1 ;;
    veloxia/pipeline.h | veloxia/lights.h | veloxia/immediate.h | veloxia/raster.h | pipeline/* | raster/*) echo 2 ;;
    veloxia/world.h | world/*) echo 3 ;;
    veloxia/veloxia.h | veloxia/*) echo 4 ;;
    app/*) echo 5 ;;
    host/*) echo 6 ;;
    util/*) echo util ;;
    *) echo none ;;
    esac
}

# Layer of the including file, by where it stands.
ownLayer() {
    case "$1" in
    include/veloxia/*) layerOf "veloxia/${1#include/veloxia/}" ;;
    src/*/*) layerOf "${1#src/}" ;;
    src/*) echo 4 ;;
    tools/soak/*) echo any ;;
    tools/*) echo tool ;;
    examples/* | assets/* | tests/consumer/*) echo public ;;
    *) echo any ;;
    esac
}

failures=0
fail() {
    echo "$1:$2: $3" >&2
    failures=$((failures + 1))
}

while IFS= read -r file; do
    own=$(ownLayer "$file")
    while IFS=: read -r line text; do
        [[ $text =~ include[[:space:]]*([<\"])([^>\"]+) ]] || continue
        target=${BASH_REMATCH[2]}
        # The C and C++ library and other packages' headers are no layer.
        [[ ${BASH_REMATCH[1]} == '<' && $target != veloxia/* ]] && continue
        if [[ $target == ../* || $target == */../* ]]; then
            fail "$file" "$line" "\"$target\" reaches out of its folder; link the target that provides it"
            continue
        fi
        [[ $'\n'$allowed$'\n' == *$'\n'"$file $target"$'\n'* ]] && continue
        # A name without a folder is the including file's own folder (or a package's header).
        [[ $target == */* ]] || continue
        layer=$(layerOf "$target")
        case "$own" in
        any) ;;
        public)
            [[ $target == veloxia/veloxia.h ]] ||
                fail "$file" "$line" "\"$target\": examples use only <veloxia/veloxia.h>"
            ;;
        tool)
            [[ $target == veloxia/* || $layer == util ]] ||
                fail "$file" "$line" "\"$target\": tools use the public header and src/util only"
            ;;
        util)
            [[ $layer == util ]] || fail "$file" "$line" "\"$target\": src/util stands on its own"
            ;;
        *)
            if [[ $layer == util ]]; then
                ((own >= 5)) || fail "$file" "$line" "\"$target\": the library never uses src/util"
            elif [[ $layer == none ]]; then
                fail "$file" "$line" "\"$target\" is in no layer"
            elif ((layer > own)); then
                fail "$file" "$line" "\"$target\" (layer $layer) is above this file (layer $own)"
            fi
            ;;
        esac
    done < <(grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]' "$file")
done < <({ git ls-files --cached --others --exclude-standard -- src include tools examples assets bench tests fuzz 2>/dev/null ||
    find src include tools examples assets bench tests fuzz -type f; } | grep -E '\.(c|cc|cpp|h|hpp|inc)$')

if ((failures > 0)); then
    echo "check_layers: $failures include(s) point the wrong way" >&2
    exit 1
fi
echo "check_layers: every include points down"
