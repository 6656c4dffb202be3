#!/usr/bin/env bash
# Starts a throwaway PostgreSQL cluster for the server tests (socket only, in a temporary folder)
# and prints the variables to export; "stop DIR" stops it again. Sourced by scripts/test.sh.
set -euo pipefail
pgbin=/usr/lib/postgresql/15/bin

as_owner() {
    if [ "$(id -u)" -eq 0 ]; then
        runuser -u postgres -- "$@"
    else
        "$@"
    fi
}

case "${1:-start}" in
start)
    [ -x "$pgbin/initdb" ] || { echo "PostgreSQL 15 is not installed" >&2; exit 1; }
    work=$(mktemp -d /tmp/numorika-pg.XXXXXX)
    mkdir -p "$work/data" "$work/socket"
    [ "$(id -u)" -eq 0 ] && chown -R postgres "$work"
    as_owner "$pgbin/initdb" -D "$work/data" -U postgres -E UTF8 --locale=C.UTF-8 --auth=trust >"$work/initdb.log"
    port=$((54000 + RANDOM % 900))
    as_owner "$pgbin/pg_ctl" -D "$work/data" -l "$work/server.log" -w \
        -o "-k $work/socket -p $port -c listen_addresses='' -c fsync=off" start >/dev/null
    echo "NUMORIKA_TEST_PG=$work/socket:$port"
    echo "NUMORIKA_TEST_PG_DIR=$work"
    ;;
stop)
    work=$2
    as_owner "$pgbin/pg_ctl" -D "$work/data" -m fast -w stop >/dev/null 2>&1 || true
    rm -rf "$work"
    ;;
esac
