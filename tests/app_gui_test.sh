#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Starts veloxia3dbench in a window under Xvfb, taps the title, lets a 3-second run finish,
# checks the results screen (texts where they belong, the coloured Sat drawn), taps the exit
# band and expects the program to end with status 0. Leaves the three screens as PNG files.
# Usage: app_gui_test.sh PROGRAM WORKDIR      (exit 77: the tools are missing, test skipped)
set -uo pipefail
program=$1
work=$2

for tool in xvfb-run xdotool import convert; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
for data in veloxia3dbench1 veloxia3dbench2; do
  [ -f "$(dirname "$program")/$data" ] || { echo "skipped: the data file $data is not built"; exit 77; }
done
if [ -z "${VX_GUI_INNER:-}" ]; then
  export VX_GUI_INNER=1
  exec xvfb-run -a -s "-screen 0 800x800x24" "$0" "$@"
fi

mkdir -p "$work"
rm -f "$work"/*.png "$work"/stdout "$work"/stderr
export VX_INSTANCE_NAME="vx-gui-test-$$"
# Under the sanitizers the display and message-bus libraries keep allocations until exit that
# the leak checker cannot attribute; the benchmark's own leaks are the unit tests' business.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

"$program" --seconds 3 >"$work/stdout" 2>"$work/stderr" &
pid=$!
wid=$(timeout 10 xdotool search --sync --onlyvisible --name 'VELOXIA' | head -n 1)
if [ -z "$wid" ]; then
  echo "FAIL: no window appeared"; cat "$work/stderr"; kill "$pid" 2>/dev/null; exit 1
fi
eval "$(xdotool getwindowgeometry --shell "$wid")"  # X, Y, WIDTH, HEIGHT
scale=$((WIDTH / 240))
[ "$scale" -ge 1 ] && [ "$HEIGHT" -eq $((320 * scale)) ] || fail "window is ${WIDTH}x${HEIGHT}, not 240x320 scaled"

# The screen as shown, back at 240x320 portrait pixels.
shoot() {
  import -window root "$work/root.png"
  convert "$work/root.png" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage -filter point -resize 240x320! "$work/$1.png"
}
# Share of lit pixels in a rectangle (x, y, width, height in screen pixels), in percent.
lit() {
  convert "$work/$1.png" -crop "$4x$5+$2+$3" +repage -colorspace Gray -threshold 25% -format '%[fx:int(mean*100)]' info:
}
# Share of clearly coloured (not grey) pixels of the whole screen, in tenths of a percent.
coloured() {
  convert "$work/$1.png" -colorspace HSL -channel G -separate +channel -threshold 30% -format '%[fx:int(mean*1000)]' info:
}
tap() { xdotool mousemove --window "$wid" $((120 * scale)) $(($1 * scale + scale / 2)) click 1; }

# Shoots the screen as $1 until the check "$3 $1" holds, for at most $2 seconds: a loaded machine
# (a sanitizer build, parallel tests) may take much longer than usual to load, draw or end a run.
await() {
  local end=$((SECONDS + $2))
  while shoot "$1"; ! "$3" "$1"; do
    [ "$SECONDS" -lt "$end" ] || return 1
    sleep 0.3
  done
}
titleShown() { [ "$(lit "$1" 40 1 160 15)" -ge 10 ] && [ "$(lit "$1" 20 280 200 15)" -ge 10 ]; }
satShown() { [ "$(coloured "$1")" -ge 5 ]; }
resultsShown() {  # every text line, the Sat, and the empty band above the rule that the running Sat fills
  [ "$(lit "$1" 10 41 90 13)" -ge 10 ] && [ "$(lit "$1" 10 61 70 13)" -ge 10 ] &&
    [ "$(lit "$1" 10 81 70 13)" -ge 10 ] && [ "$(lit "$1" 30 304 180 14)" -ge 10 ] &&
    [ "$(lit "$1" 0 110 240 38)" -le 60 ] && satShown "$1"
}

await title 20 titleShown
[ "$(lit title 40 1 160 15)" -ge 10 ] || fail "title: no heading at the top"
[ "$(lit title 20 280 200 15)" -ge 10 ] || fail "title: no start line"

tap 280
tapped=$SECONDS
await running 20 satShown || fail "running: the Sat is not drawn"

# The run lasts 3 seconds from the tap: before that the Sat may cover any region checked.
while [ $((SECONDS - tapped)) -lt 4 ]; do sleep 0.2; done
await results 60 resultsShown
[ "$(lit results 10 41 90 13)" -ge 10 ] || fail "results: no AVERAGE FPS text"
[ "$(lit results 150 41 40 13)" -ge 5 ] || fail "results: no average"
[ "$(lit results 10 61 70 13)" -ge 10 ] || fail "results: no MIN FPS text"
[ "$(lit results 10 81 70 13)" -ge 10 ] || fail "results: no MAX FPS text"
[ "$(lit results 30 304 180 14)" -ge 10 ] || fail "results: no exit line"
[ "$(lit results 0 110 240 38)" -le 60 ] || fail "results: the space above the rule is filled"
[ "$(coloured results)" -ge 5 ] || fail "results: the Sat is not drawn"

tap 310
for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$pid" 2>/dev/null; then
  fail "the program did not end after the exit tap"; kill "$pid"
fi
wait "$pid"
status=$?
[ "$status" -eq 0 ] || fail "exit status $status"
grep -q '^Average FPS: [0-9]*\.[0-9][0-9]$' "$work/stdout" || fail "no results on standard output"
cat "$work/stdout"
[ -s "$work/stderr" ] && { echo "standard error:"; cat "$work/stderr"; }
rm -f "$work/root.png"
[ "$failures" -eq 0 ] && echo "PASS: title, run, results and exit; screens in $work"
[ "$failures" -eq 0 ]
