#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The pages in a real browser: headless Chromium loads the leaderboard and a device page after a
# few submissions, one of them with a hostile device string, and the DOM it built must show
# every row with the text escaped and no injected element. Saves a screenshot of the leaderboard
# (to $VXRESULTS_SCREENSHOT when set, e.g. docs/results_leaderboard.png).
# Usage: browser.sh VXRESULTS
set -euo pipefail
vxresults=$1
browser=$(command -v chromium || command -v chromium-browser || true)
[ -n "$browser" ] || { echo "browser.sh: chromium is not installed (Debian chromium)" >&2; exit 1; }
scratch=$(mktemp -d)
pid=""
cleanup() { [ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$scratch"; }
trap cleanup EXIT
fail() { echo "browser: FAIL: $*" >&2; exit 1; }

"$vxresults" serve --listen 127.0.0.1:0 --db "sqlite:$scratch/results.db" >"$scratch/out" 2>&1 &
pid=$!
for _ in $(seq 100); do
  port=$(sed -n 's|.*http://127.0.0.1:\([0-9]*\)/.*|\1|p' "$scratch/out" 2>/dev/null || true); [ -n "$port" ] && break; sleep 0.1
done
[ -n "$port" ] || fail "the server did not start"
base=http://127.0.0.1:$port

hostile='%3Cscript%3Ealert(1)%3C%2Fscript%3E%26%22%27%3Cimg%20src%3Dx%20onerror%3Dalert(2)%3E'
submit() {
  code=$(curl -sS -o /dev/null -w '%{http_code}' \
    "$base/f/benchmark.php?fps=$2&min=$3&max=$4&dev=$1&ver=1.0b&memp=$5&totmem=$6&availmem=$7")
  [ "$code" = 200 ] || fail "submission of $1 answered $code"
}
submit 'Dell%20Inc.%20XPS%2013%209310' 41250 35 48 38 16498384896 10119577600
submit 'Dell%20Inc.%20XPS%2013%209310' 39870 33 46 41 16498384896 9733332992
submit 'Raspberry%20Pi%204%20Model%20B%20Rev%201.4' 6012 5 7 22 3978498048 3103227904
submit 'Raspberry%20Pi%204%20Model%20B%20Rev%201.4' 5893 5 7 25 3978498048 2983874560
submit 'LENOVO%2020XW0055GE' 28840 24 33 51 33368035328 16350339072
submit 'QEMU%20Standard%20PC%20(Q35%20%2B%20ICH9%2C%202009)' 17125 9999999 0 12 2081554432 1831767654
submit "$hostile" 1000 8 12 64 8214396928 2956582912
submit "Robert'%29%3B%20DROP%20TABLE%20results%3B--" 2210 20 24 30 8214396928 5749877146

chrome() {
  timeout 60 "$browser" --headless --no-sandbox --disable-gpu --disable-quic --no-first-run --disable-background-networking \
    --disable-component-update --disable-sync --disable-dev-shm-usage --user-data-dir="$scratch/profile" "$@" 2>/dev/null
}
check_dom() {  # FILE WHAT ROWS
  local rows
  rows=$(grep -o '<tr>' "$1" | wc -l)
  [ "$rows" -ge "$3" ] || fail "$2 shows $rows rows, want at least $3"
  ! grep -qi '<script' "$1" || fail "$2 has a script element"
  ! grep -qi '<img' "$1" || fail "$2 has an injected image element"
  grep -qF '&lt;script&gt;alert(1)&lt;/script&gt;&amp;"'"'"'&lt;img src=x onerror=alert(2)&gt;' "$1" ||
    fail "$2 does not show the hostile device string as text"
}
chrome --dump-dom "$base/" >"$scratch/board.html" || fail "chromium could not load the leaderboard"
check_dom "$scratch/board.html" "the leaderboard" 7
grep -qF "Robert'); DROP TABLE results;--" "$scratch/board.html" || fail "the SQL-looking device is not shown"
grep -q '<svg' "$scratch/board.html" || fail "the leaderboard has no chart"
chrome --dump-dom "$base/device?dev=$hostile" >"$scratch/device.html" || fail "chromium could not load the device page"
check_dom "$scratch/device.html" "the device page" 2
[ "$(curl -sS "$base/api/results" | grep -o '"id"' | wc -l)" = 8 ] || fail "a page view changed the results"

shot=${VXRESULTS_SCREENSHOT:-$scratch/leaderboard.png}
chrome --hide-scrollbars --window-size=1000,760 --screenshot="$shot" "$base/" >/dev/null ||
  fail "chromium could not take the screenshot"
[ -s "$shot" ] || fail "no screenshot"
echo "browser: ok"
