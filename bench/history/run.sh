#!/usr/bin/env bash
# numorika-admin history on a run history of ROWS rows (10,000,000 by default) over DAYS days:
# the time to list one day's rows (hyperfine, medians), and what the index on 実行日付 costs the
# writers: WRITES single-row commits into the history with the index and without it.
#
# Environment: BENCH_DIR (default /tmp/numorika-bench-history), ROWS, DAYS (1000), WRITES (20000),
# RUNS (10), REGENERATE=1 to build the file again.
set -euo pipefail
repo="$(cd "$(dirname "$0")/../.." && pwd)"
BENCH_DIR="${BENCH_DIR:-/tmp/numorika-bench-history}"
ROWS="${ROWS:-10000000}"
DAYS="${DAYS:-1000}"
WRITES="${WRITES:-20000}"
RUNS="${RUNS:-10}"
# shellcheck source=bench/common.sh
source "$repo/bench/common.sh"

"$repo/scripts/install-deps.sh" bench
command -v sqlite3 >/dev/null || "$repo/scripts/install-deps.sh"
build="$repo/build-release"
cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --parallel "$(nproc)" --target numorika-admin numorika_menu \
    environment_setup >/dev/null
admin="$build/bin/numorika-admin"
mkdir -p "$BENCH_DIR"
base="$BENCH_DIR/inst-$ROWS"
config="$base/conf/usrcnfg.accdb"
if [[ ! -f "$base/.ready" || "${REGENERATE:-0}" == 1 ]]; then
    rm -rf "$base"
    "$admin" init "$base" >/dev/null
    log "writing $ROWS run-history rows over $DAYS days"
    sqlite3 "$config" <<SQL
PRAGMA journal_mode = WAL;
PRAGMA synchronous = OFF;
BEGIN;
WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < $ROWS - 1)
INSERT INTO プログラム稼動履歴 (実行日付, プログラムID, proccounter, 摘要, 運用事業所コード,
                                起動担当者コード, ユーザID)
SELECT strftime('%Y%m%d', '2020-01-01', '+' || (i * $DAYS / $ROWS) || ' days') || ' ' ||
       printf('%06d', i % 235959), 'PRG' || (i % 40), printf('%012d', i), '開始 ' || i, '000',
       printf('%05d', i % 300), 'user' || (i % 300)
FROM n;
COMMIT;
SQL
    touch "$base/.ready"
fi
# The day in the middle of the file.
day=$(date -d "2020-01-01 +$((DAYS / 2)) days" +%Y%m%d)
rows=$("$admin" history "$base" --since "$day" --until "$day" --csv | wc -l)
log "one day: $((rows - 1)) rows"
hyperfine --style basic --runs "$RUNS" --warmup 1 \
    -n "history-one-day-of-$ROWS-rows" "'$admin' history '$base' --since $day --until $day" \
    --export-csv "$BENCH_DIR/times.csv" >&2

# What the index costs a writer: single-row commits, as the programs of the suite write them.
writes() {
    local file="$BENCH_DIR/writes.db" index="$1"
    rm -f "$file" "$file-wal" "$file-shm"
    sqlite3 "$file" "PRAGMA journal_mode = WAL; CREATE TABLE プログラム稼動履歴 (実行日付 TEXT, \
        プログラムID TEXT, proccounter TEXT, 摘要 TEXT, 運用事業所コード TEXT, 起動担当者コード TEXT, \
        ユーザID TEXT)" >/dev/null
    [[ "$index" == yes ]] &&
        sqlite3 "$file" "CREATE INDEX i ON プログラム稼動履歴 (実行日付)"
    local statements="$BENCH_DIR/writes.sql"
    { echo "PRAGMA synchronous = NORMAL;"
      for ((i = 0; i < WRITES; i++)); do
          printf "INSERT INTO プログラム稼動履歴 VALUES ('20261207 %06d', 'PRG', '%012d', '開始', '000', '00001', 'u');\n" \
              $((i % 235959)) "$i"
      done; } >"$statements"
    /usr/bin/time -f "%e" sqlite3 "$file" <"$statements" 2>&1 >/dev/null | tail -1
}
without=$(writes no)
with=$(writes yes)
{
    echo
    echo "history: one day of a run history of $ROWS rows ($((rows - 1)) rows listed):" \
        "median $(awk -F, 'NR == 2 { printf "%.3f", $4 }' "$BENCH_DIR/times.csv") s"
    echo "writers: $WRITES single-row commits take $without s without the index on 実行日付," \
        "$with s with it"
} | tee "$BENCH_DIR/report.txt"
