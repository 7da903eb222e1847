#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Starts a throw-away PostgreSQL 15 server in a temporary directory, as an unprivileged user
# (postgres refuses root), on a free loopback port with its socket in that directory; runs the
# given command with VXRESULTS_TEST_DB set to the URL of one database and VXRESULTS_TEST_DB2 to
# a second, empty one; stops the server and removes everything.
# Usage: postgres.sh COMMAND [ARGS...]
set -euo pipefail
pgbin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1)
[ -x "$pgbin/initdb" ] || { echo "postgres.sh: PostgreSQL is not installed (Debian postgresql)" >&2; exit 1; }
scratch=$(mktemp -d)
as_user=()
if [ "$(id -u)" = 0 ]; then
  id postgres >/dev/null 2>&1 || useradd --system --no-create-home postgres
  chown postgres "$scratch"
  as_user=(runuser -u postgres --)
fi
# Runs a PostgreSQL program as that user from the temporary directory (the caller's directory
# may be closed to it, e.g. under /root in CI).
pg() { (cd "$scratch" && "${as_user[@]}" "$@"); }
stop() {
  pg "$pgbin/pg_ctl" -D "$scratch/data" -m immediate stop >/dev/null 2>&1 || true
  rm -rf "$scratch"
}
trap stop EXIT
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])' 2>/dev/null ||
       echo $((20000 + RANDOM % 20000)))
pg "$pgbin/initdb" -D "$scratch/data" -U vxtest --auth=trust -E UTF8 --locale=C.UTF-8 >"$scratch/initdb.log" 2>&1 ||
  { cat "$scratch/initdb.log" >&2; exit 1; }
pg "$pgbin/pg_ctl" -D "$scratch/data" -l "$scratch/server.log" -w -t 30 \
  -o "-c listen_addresses=127.0.0.1 -p $port -k $scratch -c fsync=on -c synchronous_commit=on" start >/dev/null ||
  { cat "$scratch/server.log" >&2; exit 1; }
"$pgbin/createdb" -h 127.0.0.1 -p "$port" -U vxtest second
export VXRESULTS_TEST_DB="postgresql://vxtest@127.0.0.1:$port/postgres"
export VXRESULTS_TEST_DB2="postgresql://vxtest@127.0.0.1:$port/second"
"$@"
