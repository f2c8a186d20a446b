#!/usr/bin/env bash
# A throw-away PostgreSQL cluster for one ctest run (the fixture of the
# board's tests): made and started, its connection string in FILE; stopped
# and removed again. It listens on a socket in its own folder only, no port.
#   postgres_cluster.sh start FILE | stop FILE
set -euo pipefail
command=$1 file=$2
bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
[ -x "$bin/initdb" ] || { echo "no PostgreSQL server (Debian's postgresql)" >&2; exit 1; }
# PostgreSQL refuses to run as root: the cluster then is the postgres user's.
as_owner() { if [ "$(id -u)" = 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi; }

stop() {
    [ -f "$file.folder" ] || return 0
    local folder
    folder=$(cat "$file.folder")
    as_owner "$bin/pg_ctl" -D "$folder/data" -m immediate stop >/dev/null 2>&1 || true
    rm -rf "$folder" "$file" "$file.folder"
}

if [ "$command" = stop ]; then
    stop
    exit 0
fi
stop  # what a run cut short left
folder=$(mktemp -d /tmp/korvada-pg-XXXXXX)
echo "$folder" >"$file.folder"
[ "$(id -u)" != 0 ] || chown postgres "$folder"
as_owner "$bin/initdb" -D "$folder/data" -U postgres --auth=trust -E UTF8 --locale=C.UTF-8 >"$folder/initdb.log" 2>&1 ||
    { cat "$folder/initdb.log" >&2; exit 1; }
as_owner "$bin/pg_ctl" -D "$folder/data" -l "$folder/server.log" -w -t 60 \
    -o "-k $folder -c listen_addresses= -c max_connections=200" start >/dev/null ||
    { cat "$folder/server.log" >&2; exit 1; }
echo "host=$folder port=5432 user=postgres dbname=postgres" >"$file"
echo "PostgreSQL at $(cat "$file")"
