#!/usr/bin/env bash
# A PostgreSQL 15 server of the tests' own, for the line's database (/line):
# made in a scratch folder, listening on 127.0.0.1 only, on a free port,
# and gone at the end. The end-to-end tests under Wine call it too (stop,
# start, query) to take the database away and read rows back with psql.
#
#   line_database.sh setup DIR     a new server in DIR, started: DIR/port,
#                                  DIR/password, DIR/odbc/odbcinst.ini
#   line_database.sh stop DIR [DONE]   stops it (the data stays)
#   line_database.sh start DIR [DONE]  starts it again on its port
#   line_database.sh query DIR OUT SQLFILE
#                                  psql's unaligned answer (UTF-8) into OUT
# A Windows program under Wine cannot wait for a Unix program it started:
# OUT appears whole when the query is done, DONE (a file) when the server
# has stopped or started.
#   line_database.sh cleanup DIR   stops it and removes DIR
#
# The tests' server does not sync to the disk (ZORIK_PG_FSYNC=on for the
# bench, whose commits then cost what a real server's do).
# initdb and pg_ctl refuse to run as root: as root they run as the user
# postgres (DIR is made theirs); as anyone else, as that user.
set -euo pipefail

bin=${ZORIK_PG_BIN:-/usr/lib/postgresql/15/bin}
command=$1
dir=$2

as_owner() {
    if [ "$(id -u)" = 0 ]; then
        runuser -u postgres -- "$@"
    else
        "$@"
    fi
}

pg_ctl_() {
    as_owner "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" "$@"
}

free_port() {
    python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1]); s.close()'
}

case "$command" in
setup)
    if [ -f "$dir/data/postmaster.pid" ]; then
        pg_ctl_ -m immediate stop >/dev/null 2>&1 || true
    fi
    rm -rf "$dir"
    mkdir -p "$dir/odbc"
    [ "$(id -u)" = 0 ] && chown postgres "$dir"
    port=$(free_port)
    password="Zk-$RANDOM$RANDOM"
    echo "$password" > "$dir/password"
    printf '%s\n' "$password" > "$dir/pwfile"
    [ "$(id -u)" = 0 ] && chown postgres "$dir/pwfile"
    as_owner "$bin/initdb" --no-sync -D "$dir/data" -U postgres --pwfile="$dir/pwfile" -A scram-sha-256 \
        -E UTF8 --locale=C >"$dir/initdb.log" 2>&1
    rm -f "$dir/pwfile"
    # No socket file anywhere but in DIR; TCP on 127.0.0.1 only.
    cat >> "$dir/data/postgresql.conf" <<CONF
listen_addresses = '127.0.0.1'
port = $port
unix_socket_directories = '$dir'
fsync = ${ZORIK_PG_FSYNC:-off}
CONF
    echo "$port" > "$dir/port"
    pg_ctl_ -w start >/dev/null
    export PGPASSWORD=$password
    psql="psql -X -q -h 127.0.0.1 -p $port -U postgres -v ON_ERROR_STOP=1"
    # What a line's DBA makes: a role for the stations and their database.
    $psql -d postgres -c "CREATE ROLE zorik LOGIN PASSWORD '$password'" \
        -c "CREATE DATABASE zorikline OWNER zorik ENCODING 'UTF8'"
    # The 32-bit driver, with no communication log (Debian's odbcinst.ini
    # writes one into /tmp per connection).
    cat > "$dir/odbc/odbcinst.ini" <<INI
[PostgreSQL Unicode]
Driver=/usr/lib/i386-linux-gnu/odbc/psqlodbcw.so
CommLog=0
Debug=0

[PostgreSQL ANSI]
Driver=/usr/lib/i386-linux-gnu/odbc/psqlodbca.so
CommLog=0
Debug=0
INI
    # A data source by name, as Windows' ODBC administrator sets one up.
    cat > "$dir/odbc/odbc.ini" <<INI
[ZorikLine]
Driver=PostgreSQL Unicode
Servername=127.0.0.1
Port=$port
Database=zorikline
Username=zorik
Password=$password
INI
    ;;
stop)
    pg_ctl_ -m fast -w stop >/dev/null
    [ -z "${3:-}" ] || touch "$3"
    ;;
start)
    pg_ctl_ -w start >/dev/null
    [ -z "${3:-}" ] || touch "$3"
    ;;
query)
    out=$3
    sql=$4
    PGPASSWORD=$(cat "$dir/password") PGCLIENTENCODING=UTF8 \
        psql -X -q -A -t -F '|' -h 127.0.0.1 -p "$(cat "$dir/port")" -U zorik -d zorikline -f "$sql" > "$out.tmp" 2>&1 || true
    mv "$out.tmp" "$out"
    ;;
cleanup)
    if [ -f "$dir/data/postmaster.pid" ]; then
        pg_ctl_ -m immediate stop >/dev/null 2>&1 || true
    fi
    rm -rf "$dir"
    ;;
*)
    echo "line_database.sh: unknown command $command" >&2
    exit 2
    ;;
esac
