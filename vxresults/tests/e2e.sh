#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# End to end: the real vxresults program on a free loopback port. Submits, finds the result
# through /api/results, kills the server with SIGKILL and finds it again after a restart, and
# checks the command line's exit statuses.
# Usage: e2e.sh VXRESULTS [DB_URL]   (default: a fresh SQLite file)
set -euo pipefail
vxresults=$1
scratch=$(mktemp -d)
db=${2:-sqlite:$scratch/results.db}
pid=""
cleanup() { [ -n "$pid" ] && kill -9 "$pid" 2>/dev/null; rm -rf "$scratch"; }
trap cleanup EXIT
fail() { echo "e2e: FAIL: $*" >&2; exit 1; }

start() {
  "$vxresults" serve --listen 127.0.0.1:0 --db "$db" >"$scratch/out" 2>"$scratch/err" &
  pid=$!
  for _ in $(seq 100); do
    # The server's shell may not have made its output file yet: no file is no port yet (and
    # must not end the script under set -e).
    port=$(sed -n 's|.*http://127.0.0.1:\([0-9]*\)/.*|\1|p' "$scratch/out" 2>/dev/null || true)
    [ -n "$port" ] && { base=http://127.0.0.1:$port; return 0; }
    sleep 0.1
  done
  cat "$scratch/err" >&2
  fail "the server did not start"
}
get() { curl -sS --max-time 10 -o "$scratch/body" -D "$scratch/headers" -w '%{http_code}' "http://127.0.0.1:$port$1"; }

start
submit="/f/benchmark.php?fps=2345&min=19&max=27&dev=E2E%20%E6%97%A5%20box&ver=1.0b&memp=42&totmem=16000000000&availmem=8000000000"
[ "$(get "$submit")" = 200 ] || fail "a valid submission was refused"
grep -qi '^X-Result-Rank: 1/1' "$scratch/headers" || fail "no rank in the answer"
[ "$(get "/f/benchmark.php?fps=oops")" = 400 ] || fail "an invalid submission was accepted"
grep -q 'Nothing was stored' "$scratch/body" || fail "the 400 page does not say nothing was stored"
[ "$(get "/api/results?dev=E2E%20%E6%97%A5%20box")" = 200 ] || fail "/api/results"
grep -q '"total":1' "$scratch/body" || fail "the result is not in /api/results: $(cat "$scratch/body")"
grep -q '"average_fps":23.45' "$scratch/body" || fail "the average is wrong: $(cat "$scratch/body")"

# A second server on the same address fails with status 1.
set +e
"$vxresults" serve --listen "127.0.0.1:$port" --db "sqlite:$scratch/other.db" 2>"$scratch/err2" >/dev/null
status=$?
set -e
[ $status = 1 ] || fail "a taken address gave status $status"
grep -q 'cannot listen' "$scratch/err2" || fail "no clear message for a taken address"

# SIGKILL right after the acknowledgement, then a restart: the result is still there.
[ "$(get "${submit/fps=2345/fps=2400}")" = 200 ] || fail "second submission"
kill -9 "$pid"; wait "$pid" 2>/dev/null || true; pid=""
start
[ "$(get "/api/results?dev=E2E%20%E6%97%A5%20box")" = 200 ] || fail "/api/results after the restart"
grep -q '"total":2' "$scratch/body" || fail "a result was lost by SIGKILL: $(cat "$scratch/body")"
[ "$(get "/healthz")" = 200 ] || fail "/healthz"

# The benchmark itself, when given: a short headless run (the real clock) that uploads to this
# server and prints its verdict; then one whose device string the server refuses.
if [ -n "${VXRESULTS_BENCHMARK:-}" ]; then
  export VX_INSTANCE_NAME="vxresults-e2e-$$"  # no other benchmark run of the test suite answers for it
  env -u DISPLAY -u WAYLAND_DISPLAY "$VXRESULTS_BENCHMARK" --headless --seconds 2 --upload --results-server "$base" \
    --oem "E2E bench" >"$scratch/bench" 2>&1 || { cat "$scratch/bench" >&2; fail "the benchmark's upload failed"; }
  grep -q '^Average FPS: ' "$scratch/bench" || { cat "$scratch/bench" >&2; fail "the benchmark printed no results"; }
  grep -q '^Results server: stored, rank [0-9]* of 3 among all results, 1 of 1 among' "$scratch/bench" ||
    { cat "$scratch/bench" >&2; fail "the benchmark printed no verdict"; }
  [ "$(get "/api/results?dev=E2E%20bench")" = 200 ] || fail "/api/results"
  grep -q '"total":1' "$scratch/body" || fail "the benchmark's result is not stored: $(cat "$scratch/body")"
  grep -q '"version":"1.0b"' "$scratch/body" || fail "the benchmark's version is not stored: $(cat "$scratch/body")"
  set +e
  env -u DISPLAY -u WAYLAND_DISPLAY "$VXRESULTS_BENCHMARK" --headless --seconds 1 --upload --results-server "$base/" \
    --oem "$(printf 'tab\there')" >"$scratch/bench" 2>"$scratch/bench.err"
  status=$?
  set -e
  [ $status = 1 ] || fail "a refused upload gave status $status"
  grep -q '^Average FPS: ' "$scratch/bench" || fail "a refused upload lost the printed results"
  grep -q 'refused the results: dev must not contain control characters' "$scratch/bench.err" ||
    { cat "$scratch/bench.err" >&2; fail "the refusal's reason is not printed"; }
fi

# Exit statuses of the command line.
set +e
"$vxresults" serve --db "sqlite:$scratch/no/such/dir/x.db" --listen 127.0.0.1:0 2>/dev/null; s1=$?
"$vxresults" serve --listen nowhere 2>/dev/null; s2=$?
"$vxresults" export --db "$db" --format xml 2>/dev/null; s3=$?
"$vxresults" 2>/dev/null; s4=$?
set -e
[ "$s1 $s2 $s3 $s4" = "1 2 2 2" ] || fail "exit statuses: $s1 $s2 $s3 $s4 (want 1 2 2 2)"
"$vxresults" export --db "$db" --format csv >"$scratch/csv"
want=3; [ -n "${VXRESULTS_BENCHMARK:-}" ] && want=4
[ "$(wc -l <"$scratch/csv")" = $want ] || fail "the export has $(wc -l <"$scratch/csv") lines, want $want"

kill "$pid"; wait "$pid" || fail "SIGTERM did not stop the server cleanly"; pid=""
echo "e2e: ok ($db)"
