#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Instructions per frame of the benchmark's own frame, counted by callgrind on the deterministic
# mode, so that builds can be compared on a busy machine.
set -euo pipefail

usage() {
    cat <<'EOF'
Usage: scripts/callgrind.sh [--frames N] [--bin PROGRAM] [--top K] [--keep DIR] [--window [--window-frames W]]
                           [-- PROGRAM OPTIONS]

Runs `veloxia3dbench --headless --step-ms 10 --frames N` under valgrind --tool=callgrind twice,
with 1 frame and with N+1 frames, and prints the instructions per frame: the difference of the
two counts divided by N, so start-up and shutdown drop out. The run starts at once when
headless, so every counted frame is a frame of the running screen (text, stars, the Sat, queue
flush, present).

  --frames N     frames to count (default 2410: the Sat's whole cycle of both rotations)
  --bin PROGRAM  the program to run (default build/bin/veloxia3dbench)
  --top K        also print the K functions with the most instructions in the long run
  --keep DIR     keep the two callgrind output files in DIR (callgrind_annotate reads them)
  --window       also count the window (xvfb-run, xdotool; SDL's software renderer, scale 2):
                 two runs of 150 and 150 + W frames (--window-frames W, default 100), their title
                 tapped while the data loads; callgrind is emptied after each title frame, and
                 the difference of what the two runs spend after it, over the difference of their
                 running frames, is a running frame's cost. Under valgrind a window frame takes
                 some 0.3 s. Both figures are also given in the program's own code (its own
                 object file; SDL, X and libc aside), the figure the window path is held to.
  -h, --help     this text
Options after -- go to the program (e.g. -- --display direct).

Exit status: 0 done, 1 valgrind or the program failed, 2 bad usage.
EOF
}

frames=2410
bin=build/bin/veloxia3dbench
top=0
keep=""
window=0
wframes=100
extra=()
while [[ $# -gt 0 ]]; do
    case "$1" in
        --frames) frames="${2:-}"; shift 2 ;;
        --bin) bin="${2:-}"; shift 2 ;;
        --top) top="${2:-}"; shift 2 ;;
        --keep) keep="${2:-}"; shift 2 ;;
        --window) window=1; shift ;;
        --window-frames) wframes="${2:-}"; shift 2 ;;
        -h|--help) usage; exit 0 ;;
        --) shift; extra=("$@"); break ;;
        *) echo "callgrind.sh: unknown argument '$1'" >&2; usage >&2; exit 2 ;;
    esac
done
if ! [[ "$frames" =~ ^[1-9][0-9]*$ && "$top" =~ ^[0-9]+$ && "$wframes" =~ ^[1-9][0-9]*$ ]]; then
    echo "callgrind.sh: --frames and --window-frames need a positive number and --top a number" >&2
    exit 2
fi
if [[ ! -x "$bin" ]]; then
    echo "callgrind.sh: $bin not found; build it first (cmake --build build --target veloxia3dbench)" >&2
    exit 1
fi
command -v valgrind >/dev/null || { echo "callgrind.sh: valgrind is not installed (apt-get install valgrind)" >&2; exit 1; }
if [[ "$window" -eq 1 ]]; then
    for tool in xvfb-run xdotool python3; do
        command -v "$tool" >/dev/null || { echo "callgrind.sh: --window needs $tool" >&2; exit 1; }
    done
fi
split="$(dirname "$0")/callgrind_split.py"

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

# Instructions in the program's own object file, from a kept output file.
own_of() { python3 "$split" "$1" "$bin" | sed -n 's/^own=//p'; }

startup=$(count 1)
total=$(count $((frames + 1)))
echo "program:                $bin"
echo "frames counted:         $frames (frames 2..$((frames + 1)) of the run)"
echo "start-up and one frame: $startup instructions"
echo "instructions per frame: $(( (total - startup) / frames ))"
if [[ "$window" -eq 1 ]]; then
    own_short=$(own_of "$out/callgrind.out.1")
    own_long=$(own_of "$out/callgrind.out.$((frames + 1))")
    echo "  in the program's own code: $(( (own_long - own_short) / frames ))"
fi
if [[ "$window" -eq 1 ]]; then
    # The window run: the program in a virtual display, its title tapped once the window is up.
    # callgrind dumps and zeroes its counters after every title frame, so the last file holds the
    # end of the last title frame, the running frames and the shutdown. Two runs that differ only
    # in the number of running frames give the instructions per frame by their difference.
    cat >"$out/window.sh" <<'INNER'
set -u
bin=$1 file=$2 frames=$3
export VX_INSTANCE_NAME="vx-callgrind-$$"
# SDL's software renderer: an OpenGL one would run Mesa's rasteriser threads under valgrind.
export SDL_RENDER_DRIVER=software
valgrind --tool=callgrind --callgrind-out-file="$file" --dump-after='veloxia::titleScreen()' "$bin" \
    --step-ms 10 --scale 2 --frames "$frames" >"$file.stdout" 2>"$file.stderr" &
pid=$!
for _ in $(seq 300); do
    wid=$(xdotool search --onlyvisible --name VELOXIA 2>/dev/null | tail -n 1)
    [ -n "$wid" ] && break
    sleep 1
done
[ -n "$wid" ] || { echo "no window appeared" >&2; kill "$pid"; exit 1; }
# Under valgrind a tap is read only while the data still loads (before the first frame): tapped
# every half second until the first title frame is dumped, at most 20 times (a tap on the
# running screen does nothing).
for _ in $(seq 20); do
    [ -e "$file.1" ] && break
    kill -0 "$pid" 2>/dev/null || break
    xdotool mousemove --window "$wid" 240 570 click 1 2>/dev/null
    sleep 0.5
done
wait "$pid"
INNER
    # Prints the instructions, those of the program's own code and the running frames after the
    # last title frame of a window run of $1 frames.
    window_count() {
        local file="$out/window.$1/callgrind.out" last result attempt
        for attempt in 1 2 3; do  # a tap that comes after the data has loaded is lost: try again
            rm -rf "$out/window.$1"
            mkdir -p "$out/window.$1"
            if ! xvfb-run -a -s "-screen 0 800x800x24" bash "$out/window.sh" "$bin" "$file" "$1"; then
                echo "callgrind.sh: the window run of $1 frames failed:" >&2
                grep -v '^==' "$file.stderr" >&2
                exit 1
            fi
            last=$(ls -t "$out/window.$1"/callgrind.out* | grep -v 'std\(out\|err\)$' | head -n 1)
            result=$(python3 "$split" "$last" "$bin" 'runningScreen()' | sed 's/^[a-z]*=//' | tr '\n' ' ')
            [[ "${result##* }" != "0" && "${result% }" != *" 0" ]] && break
            echo "callgrind.sh: the window run of $1 frames missed its tap (attempt $attempt)" >&2
        done
        echo "$result"
    }
    short=$(window_count 150)
    long=$(window_count $((150 + wframes)))
    read -r w_total1 w_own1 w_frames1 <<<"$short"
    read -r w_total2 w_own2 w_frames2 <<<"$long"
    counted=$((w_frames2 - w_frames1))
    if [[ "$w_frames1" -lt 1 || "$counted" -lt 1 ]]; then
        echo "callgrind.sh: the window runs drew $w_frames1 and $w_frames2 running frames (was the title tapped?)" >&2
        exit 1
    fi
    # The same frames headless: a window run tapped before its first frame draws frame k of
    # the deterministic run as its running frame k.
    h_short=$(count "$w_frames1")
    h_long=$(count "$w_frames2")
    h_own=$(( ($(own_of "$out/callgrind.out.$w_frames2") - $(own_of "$out/callgrind.out.$w_frames1")) / counted ))
    w_own=$(( (w_own2 - w_own1) / counted ))
    echo
    echo "window run:             $counted running frames (frames $((w_frames1 + 1))..$w_frames2 of the run)"
    echo "instructions per frame: $(( (w_total2 - w_total1) / counted ))"
    echo "  in the program's own code: $w_own"
    echo "the same frames headless: $(( (h_long - h_short) / counted )) ($h_own in the program's own code)"
    echo "window over headless, own code: $(( (w_own - h_own) * 1000 / h_own / 10 )).$(( (w_own - h_own) * 1000 / h_own % 10 ))%"
fi
if [[ "$top" -gt 0 ]]; then
    echo
    callgrind_annotate --inclusive=no "$out/callgrind.out.$((frames + 1))" 2>/dev/null |
        grep -E '^ *[0-9,]+ \(' | sed -n "2,$((top + 1))p"
fi
