#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Load test of the results server (not in CI): COUNT submissions from CLIENTS concurrent loopback
# clients; half-way the server is killed with SIGKILL and started again on the same port. The
# clients retry until acknowledged. Afterwards every acknowledged result must be in the database.
# Usage: scripts/results_load.sh [sqlite|postgresql] [COUNT] [CLIENTS]   (default sqlite 20000 32)
set -euo pipefail
cd "$(dirname "$0")/.."
kind=${1:-sqlite}
count=${2:-20000}
clients=${3:-32}
build=build
if [ "$kind" = postgresql ] && [ -z "${VXRESULTS_TEST_DB:-}" ]; then
  exec bash vxresults/tests/postgres.sh "$0" "$@"
fi
. /work/ccache.env 2>/dev/null || true
[ -f $build/CMakeCache.txt ] || cmake -S . -B $build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
nice cmake --build $build --target vxresults vxresults_load >/dev/null
scratch=$(mktemp -d)
pid=""; load=""
cleanup() { [ -n "$pid" ] && kill -9 "$pid" 2>/dev/null; [ -n "$load" ] && kill "$load" 2>/dev/null; rm -rf "$scratch"; }
trap cleanup EXIT
case "$kind" in
  sqlite) db=sqlite:$scratch/load.db ;;
  postgresql) db=$VXRESULTS_TEST_DB ;;
  *) echo "results_load.sh: sqlite or postgresql, not '$kind'" >&2; exit 2 ;;
esac

start() {  # LISTEN
  : >"$scratch/out"
  nice $build/bin/vxresults serve --listen "$1" --db "$db" --rate-limit 0 >"$scratch/out" 2>>"$scratch/err" &
  pid=$!
  for _ in $(seq 100); do
    port=$(sed -n 's|.*http://127.0.0.1:\([0-9]*\)/.*|\1|p' "$scratch/out"); [ -n "$port" ] && return 0; sleep 0.1
  done
  echo "the server did not start" >&2; cat "$scratch/err" >&2; exit 1
}
total() { curl -s "http://127.0.0.1:$port/api/results?limit=1" | sed -n 's/.*"total":\([0-9]*\).*/\1/p'; }

start 127.0.0.1:0
echo "load: $count submissions, $clients clients, $db, server on port $port"
nice $build/bin/vxresults_load 127.0.0.1 "$port" "$count" "$clients" "$scratch/acked" >"$scratch/load.out" &
load=$!
while [ "$(total)" -lt $((count / 2)) ]; do sleep 0.2; done
kill -9 "$pid"; wait "$pid" 2>/dev/null || true
echo "load: SIGKILL at $((count / 2))+ stored results; restarting"
sleep 1
start "127.0.0.1:$port"
wait "$load"; load=""
cat "$scratch/load.out"

# Every acknowledged number must be stored (a result whose answer was lost in the kill may be
# stored twice after its retry; that is counted, not an error).
$build/bin/vxresults export --db "$db" --format csv | tail -n +2 | cut -d, -f4 | sort -n >"$scratch/stored"
sort -n "$scratch/acked" >"$scratch/acked.sorted"
missing=$(comm -23 "$scratch/acked.sorted" <(sort -nu "$scratch/stored") | wc -l)
echo "check: $(wc -l <"$scratch/acked") acknowledged, $(wc -l <"$scratch/stored") stored," \
     "$(($(wc -l <"$scratch/stored") - $(sort -nu "$scratch/stored" | wc -l))) stored twice, $missing acknowledged but missing"
kill "$pid"; wait "$pid" || true; pid=""
[ "$missing" = 0 ]
