#!/usr/bin/env bash
# A PostgreSQL server of its own for the archive tests: made in a scratch folder under /tmp by an
# unprivileged user (the server refuses to run as root, and CI runs as root), listening only on
# 127.0.0.1 at a free port, with trust authentication, and removed again afterwards.
#
#   postgres_scratch.sh start STATE    make and start a server; STATE gets its settings
#   postgres_scratch.sh stop STATE     stop it (it stays on disk)
#   postgres_scratch.sh restart STATE  start it again on the same port
#   postgres_scratch.sh remove STATE   stop it and remove it with STATE
#
# Without the server programs (Debian package postgresql) "start" writes no STATE and the tests
# that need a server skip, unless VESPIAN_REQUIRE_POSTGRES=1 asks for it (as scripts/test does).
set -euo pipefail
command=${1:?start, stop, restart or remove}
state=${2:?state file}

bindir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1 || true)
if [ -z "$bindir" ] || [ ! -x "$bindir/initdb" ]; then
  if [ "$command" = start ] && [ "${VESPIAN_REQUIRE_POSTGRES:-0}" != 1 ]; then
    echo "PostgreSQL server programs not installed: the laboratory archive tests will skip"
    rm -f "$state"
    exit 0
  fi
  [ "$command" = remove ] && { rm -f "$state"; exit 0; }
  echo "PostgreSQL server programs not found (Debian package postgresql)" >&2
  exit 1
fi

if [ "$(id -u)" -eq 0 ]; then
  as_server=(setpriv --reuid=nobody --regid=nogroup --clear-groups --)
  owner=nobody:nogroup
else
  as_server=()
  owner=
fi

free_port() {
  python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

start_server() {  # folder port
  (cd "$1" && "${as_server[@]}" "$bindir/pg_ctl" -D "$1/data" -l "$1/server.log" -w -t 120 \
      -o "-p $2 -k $1 -c listen_addresses=127.0.0.1 -c fsync=off -c max_connections=50" start >/dev/null)
}

case "$command" in
  start)
    folder=$(mktemp -d /tmp/vespian-postgres.XXXXXX)
    chmod 755 "$folder"
    [ -n "$owner" ] && chown "$owner" "$folder"
    (cd "$folder" && "${as_server[@]}" "$bindir/initdb" -D "$folder/data" -U archive --auth=trust -E UTF8 \
        --locale=C.UTF-8 >"$folder/initdb.log" 2>&1) || { cat "$folder/initdb.log" >&2; exit 1; }
    for attempt in 1 2 3 4 5; do
      port=$(free_port)
      if start_server "$folder" "$port"; then
        printf 'FOLDER=%s\nPORT=%s\nCONNECTION=host=127.0.0.1 port=%s user=archive dbname=postgres\n' \
          "$folder" "$port" "$port" >"$state"
        exit 0
      fi
    done
    cat "$folder/server.log" >&2
    exit 1
    ;;
  stop|restart|remove)
    [ -f "$state" ] || exit 0
    folder=$(sed -n 's/^FOLDER=//p' "$state")
    port=$(sed -n 's/^PORT=//p' "$state")
    if [ "$command" = restart ]; then
      start_server "$folder" "$port"
      exit 0
    fi
    (cd "$folder" && "${as_server[@]}" "$bindir/pg_ctl" -D "$folder/data" -m fast -w stop >/dev/null 2>&1) || true
    if [ "$command" = remove ]; then
      rm -rf "$folder" "$state"
    fi
    ;;
  *)
    echo "unknown command $command" >&2
    exit 1
    ;;
esac
