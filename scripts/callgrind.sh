#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Instructions per frame of the benchmark's own frame, counted by callgrind on the deterministic
# mode, so that builds can be compared on a busy machine.
set -euo pipefail

usage() {
    cat <<'EOF'
Usage: scripts/callgrind.sh [--frames N] [--bin PROGRAM] [--top K] [--keep DIR] [-- PROGRAM OPTIONS]

Runs `veloxia3dbench --headless --step-ms 10 --frames N` under valgrind --tool=callgrind twice,
with 1 frame and with N+1 frames, and prints the instructions per frame: the difference of the
two counts divided by N, so start-up and shutdown drop out. The run starts at once when
headless, so every counted frame is a frame of the running screen (text, stars, the Sat, queue
flush, present).

  --frames N     frames to count (default 2410: the Sat's whole cycle of both rotations)
  --bin PROGRAM  the program to run (default build/bin/veloxia3dbench)
  --top K        also print the K functions with the most instructions in the long run
  --keep DIR     keep the two callgrind output files in DIR (callgrind_annotate reads them)
  -h, --help     this text
Options after -- go to the program (e.g. -- --display direct).

Exit status: 0 done, 1 valgrind or the program failed, 2 bad usage.
EOF
}

frames=2410
bin=build/bin/veloxia3dbench
top=0
keep=""
extra=()
while [[ $# -gt 0 ]]; do
    case "$1" in
        --frames) frames="${2:-}"; shift 2 ;;
        --bin) bin="${2:-}"; shift 2 ;;
        --top) top="${2:-}"; shift 2 ;;
        --keep) keep="${2:-}"; shift 2 ;;
        -h|--help) usage; exit 0 ;;
        --) shift; extra=("$@"); break ;;
        *) echo "callgrind.sh: unknown argument '$1'" >&2; usage >&2; exit 2 ;;
    esac
done
if ! [[ "$frames" =~ ^[1-9][0-9]*$ && "$top" =~ ^[0-9]+$ ]]; then
    echo "callgrind.sh: --frames needs a positive number and --top a number" >&2
    exit 2
fi
if [[ ! -x "$bin" ]]; then
    echo "callgrind.sh: $bin not found; build it first (cmake --build build --target veloxia3dbench)" >&2
    exit 1
fi
command -v valgrind >/dev/null || { echo "callgrind.sh: valgrind is not installed (apt-get install valgrind)" >&2; exit 1; }

out="${keep:-$(mktemp -d)}"
mkdir -p "$out"
[[ -n "$keep" ]] || trap 'rm -rf "$out"' EXIT

# Runs the program for $1 frames and prints the instructions callgrind collected.
count() {
    local file="$out/callgrind.out.$1"
    if ! valgrind --tool=callgrind --callgrind-out-file="$file" "$bin" --headless --step-ms 10 \
        --frames "$1" "${extra[@]}" >"$out/stdout.$1" 2>"$out/stderr.$1"; then
        echo "callgrind.sh: the run of $1 frames failed:" >&2
        cat "$out/stderr.$1" >&2
        exit 1
    fi
    sed -n 's/^summary: *//p' "$file"
}

startup=$(count 1)
total=$(count $((frames + 1)))
echo "program:                $bin"
echo "frames counted:         $frames (frames 2..$((frames + 1)) of the run)"
echo "start-up and one frame: $startup instructions"
echo "instructions per frame: $(( (total - startup) / frames ))"
if [[ "$top" -gt 0 ]]; then
    echo
    callgrind_annotate --inclusive=no "$out/callgrind.out.$((frames + 1))" 2>/dev/null |
        grep -E '^ *[0-9,]+ \(' | sed -n "2,$((top + 1))p"
fi
