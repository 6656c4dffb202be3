#!/usr/bin/env bash
# Benchmark of `numorika-admin backup` against `sqlite3 SOURCE "VACUUM INTO 'copy'"`.
#
# Builds (once, cached in $BENCH_DIR) business databases with a sales-detail table
# T営業受注明細 of ROWS_BIG and ROWS_SMALL rows in date order over DATES dates, a customer table
# M得意先 sliced by staff code and an unsliced stock table K在庫, each with and without indexes on
# the slicing keys, and times in one run:
#   (a) the backup with the indexes, (b) VACUUM INTO of the same database, (c) the backup without
#   the indexes, at both sizes; (d) verify and (e) restore of the large backup; then the peak
#   resident memory and the bytes written of the backups, and checks the row counts in the backup files against the source and against the
#   backup's own per-table report.
#
# Also (a1) the backup on one worker, and the longest commit of a writer process that commits small
# transactions into the database while a backup runs.
#
# Environment: BENCH_DIR (default /tmp/numorika-bench), RUNS (default 3), ROWS_BIG (3000000),
# ROWS_SMALL (1000000), DATES (2000), CUSTOMERS (100000), STOCK (200000), REBUILD=1 to rebuild
# numorika-admin even when it exists, REGENERATE=1 to build the databases again, BASELINE=REV to
# time the numorika-admin of another revision (built once in $BENCH_DIR/baseline) in the same run.
set -euo pipefail

repo="$(cd "$(dirname "$0")/../.." && pwd)"
BENCH_DIR="${BENCH_DIR:-/tmp/numorika-bench}"
RUNS="${RUNS:-3}"
ROWS_BIG="${ROWS_BIG:-3000000}"
ROWS_SMALL="${ROWS_SMALL:-1000000}"
DATES="${DATES:-2000}"
CUSTOMERS="${CUSTOMERS:-100000}"
STOCK="${STOCK:-200000}"
GENERATOR_VERSION=1

build_dir="$repo/build-release"
admin="$build_dir/bin/numorika-admin"

# shellcheck source=bench/common.sh
source "$repo/bench/common.sh"
mkdir -p "$BENCH_DIR"

# --- tools -------------------------------------------------------------------------------------
need=()
command -v sqlite3 >/dev/null || need+=(sqlite3)
command -v hyperfine >/dev/null || need+=(hyperfine)
[[ -x /usr/bin/time ]] || need+=(time)
if ((${#need[@]})); then
    log "installing ${need[*]}"
    if [[ $(id -u) -ne 0 ]]; then
        echo "missing ${need[*]}: install them (apt-get install ${need[*]})" >&2
        exit 2
    fi
    apt-get install -y "${need[@]}" >/dev/null 2>&1 ||
        { apt-get update >/dev/null && apt-get install -y "${need[@]}" >/dev/null; }
fi

# --- release build -----------------------------------------------------------------------------
if [[ ! -x "$admin" || "${REBUILD:-0}" == 1 ]]; then
    log "building numorika-admin (Release, $build_dir)"
    # The whole tree first, as the project builds; if some other target fails, the tool alone.
    BUILD_TYPE=Release BUILD_DIR=build-release "$repo/scripts/build.sh" >"$BENCH_DIR/build.log" 2>&1 ||
        log "scripts/build.sh failed (see $BENCH_DIR/build.log); building numorika-admin alone"
    cmake --build "$build_dir" --target numorika-admin >>"$BENCH_DIR/build.log" 2>&1
fi
[[ -x "$admin" ]] || { echo "no $admin" >&2; exit 2; }
grep -q 'CMAKE_BUILD_TYPE:STRING=Release' "$build_dir/CMakeCache.txt" ||
    log "warning: $build_dir is not a Release build"

# --- baseline ------------------------------------------------------------------------------------
baseline_admin=""
if [[ -n "${BASELINE:-}" ]]; then
    tree="$BENCH_DIR/baseline"
    baseline_admin="$tree/build-release/bin/numorika-admin"
    baseline_sources "$repo" "$BASELINE" "$tree"
    if [[ ! -x "$baseline_admin" ]]; then
        log "building the baseline numorika-admin of $BASELINE"
        BUILD_TYPE=Release BUILD_DIR=build-release "$tree/scripts/build.sh" >"$BENCH_DIR/baseline-build.log" 2>&1 ||
            cmake --build "$tree/build-release" --target numorika-admin >>"$BENCH_DIR/baseline-build.log" 2>&1
    fi
fi

# --- databases ---------------------------------------------------------------------------------
# Rows of T営業受注明細 into the database file $1: $2 rows over $DATES dates from 2019-01-01, in
# date order; a few rows without a date, as a business database has.
generate() {
    local db="$1" rows="$2"
    sqlite3 "$db" <<SQL
PRAGMA journal_mode = OFF;
PRAGMA synchronous = OFF;
PRAGMA cache_size = -262144;
CREATE TABLE T営業受注明細 (
    営業受注明細番号 INTEGER PRIMARY KEY, 営業受注番号 INTEGER, 行番号 INTEGER,
    営業受注日付 TEXT, 得意先コード TEXT, 商品コード TEXT, 数量 INTEGER, 単価 INTEGER,
    金額 INTEGER, 摘要 TEXT);
BEGIN;
WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < $rows - 1)
INSERT INTO T営業受注明細
SELECT i + 1, i / 4 + 1, i % 4 + 1,
       CASE WHEN i % 100000 = 99999 THEN NULL
            ELSE strftime('%Y%m%d', '2019-01-01', '+' || (i * $DATES / $rows) || ' days') END,
       printf('%06d', (i * 7919) % $CUSTOMERS), printf('S%07d', (i * 104729) % 50000),
       1 + i % 20, 100 + (i * 31) % 9900, (1 + i % 20) * (100 + (i * 31) % 9900),
       '受注明細摘要 ' || (i % 997)
FROM n;
COMMIT;
CREATE TABLE M得意先 (
    得意先コード TEXT PRIMARY KEY, 得意先名 TEXT, 得意先カナ TEXT, 担当者コード TEXT,
    郵便番号 TEXT, 住所 TEXT, 電話番号 TEXT, 与信限度額 INTEGER);
BEGIN;
WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < $CUSTOMERS - 1)
INSERT INTO M得意先
SELECT printf('%06d', i), '得意先 ' || i, 'トクイサキ ' || i,
       CASE WHEN i % 1000 = 999 THEN NULL WHEN i % 5000 = 1 THEN 'O''01'
            ELSE printf('%05d', (i * 37) % 200) END,
       printf('%03d-%04d', i % 1000, i % 10000), '東京都千代田区 ' || (i % 5000) || '番地',
       printf('03-%04d-%04d', i % 10000, (i * 7) % 10000), 1000000 * (1 + i % 50)
FROM n;
COMMIT;
CREATE TABLE K在庫 (
    商品コード TEXT, 倉庫コード TEXT, 在庫数量 INTEGER, 引当数量 INTEGER, 更新日付 TEXT,
    PRIMARY KEY (商品コード, 倉庫コード));
BEGIN;
WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < $STOCK - 1)
INSERT INTO K在庫
SELECT printf('S%07d', i / 4), printf('W%02d', i % 4), (i * 13) % 1000, (i * 7) % 100,
       strftime('%Y%m%d', '2019-01-01', '+' || (i % $DATES) || ' days')
FROM n;
COMMIT;
SQL
}

# An installation $BENCH_DIR/inst-ROWS-{idx,noidx} whose data/gnrdb.accdb is init's database with
# the generated tables added.
prepare_installation() {
    local rows="$1" kind="$2"
    local base="$BENCH_DIR/inst-$rows-$kind"
    local stamp="v$GENERATOR_VERSION $rows $DATES $CUSTOMERS $STOCK"
    if [[ -f "$base/.ready" && "$(cat "$base/.ready")" == "$stamp" && "${REGENERATE:-0}" != 1 ]]; then
        return
    fi
    rm -rf "$base"
    "$admin" init "$base" >/dev/null
    local db="$base/data/gnrdb.accdb"
    if [[ "$kind" == noidx ]]; then
        log "generating $rows rows into $db"
        generate "$db" "$rows" >/dev/null
    else
        prepare_installation "$rows" noidx
        log "copying $rows rows and indexing the slicing keys into $db"
        cp "$BENCH_DIR/inst-$rows-noidx/data/gnrdb.accdb" "$db"
        sqlite3 "$db" <<'SQL'
CREATE INDEX T営業受注明細_営業受注日付 ON T営業受注明細 (営業受注日付);
CREATE INDEX M得意先_担当者コード ON M得意先 (担当者コード);
SQL
    fi
    sqlite3 "$db" "ANALYZE" # statistics as a maintained database has them
    echo "$stamp" >"$base/.ready"
}

sizes=("$ROWS_BIG" "$ROWS_SMALL")
for rows in "${sizes[@]}"; do
    prepare_installation "$rows" noidx
    prepare_installation "$rows" idx
done

# --- timing ------------------------------------------------------------------------------------
out="$BENCH_DIR/out"
copy="$BENCH_DIR/vacuum-copy.db"
results="$BENCH_DIR/results"
rm -rf "$results"
mkdir -p "$results"

# Read the databases once so that the first timed run does not pay for a cold cache.
for rows in "${sizes[@]}"; do
    cat "$BENCH_DIR"/inst-"$rows"-*/data/gnrdb.accdb >/dev/null
done

commands=()
for rows in "${sizes[@]}"; do
    commands+=(-n "backup-idx-$rows" "'$admin' backup '$BENCH_DIR/inst-$rows-idx' --folder '$out'")
    commands+=(-n "backup-idx-1worker-$rows"
        "'$admin' backup '$BENCH_DIR/inst-$rows-idx' --folder '$out' --workers 1")
    commands+=(-n "vacuum-into-$rows"
        "sqlite3 '$BENCH_DIR/inst-$rows-idx/data/gnrdb.accdb' \"VACUUM INTO '$copy'\"")
    commands+=(-n "backup-noidx-$rows" "'$admin' backup '$BENCH_DIR/inst-$rows-noidx' --folder '$out'")
    if [[ -n "$baseline_admin" ]]; then
        commands+=(-n "baseline-idx-$rows"
            "'$baseline_admin' backup '$BENCH_DIR/inst-$rows-idx' --folder '$out' >/dev/null 2>&1")
        commands+=(-n "baseline-noidx-$rows"
            "'$baseline_admin' backup '$BENCH_DIR/inst-$rows-noidx' --folder '$out' >/dev/null 2>&1")
    fi
done
# The commands take turns, a round of one run each: a machine that slows down or speeds up
# meanwhile (a shared host does) weighs on all of them alike, not on the ones timed in that spell.
log "timing ($RUNS rounds of one run of each command, after a warm-up round)"
for ((round = 0; round <= RUNS; round++)); do
    hyperfine --style none --runs 1 --prepare "rm -rf '$out' '$copy'" \
        --export-csv "$results/round-$round.csv" "${commands[@]}" >/dev/null
done
rm -rf "$out" "$copy"
# times.csv as hyperfine writes it, over the rounds after the warm-up: per command the mean, the
# median, the medians of the processor times, the fastest and the slowest run.
{
    echo "command,mean,stddev,median,user,system,min,max"
    for name in $(tail -n +2 "$results/round-0.csv" | cut -d, -f1); do
        values() { # the values of column $1 over the rounds, sorted
            for ((round = 1; round <= RUNS; round++)); do
                awk -F, -v name="$name" -v c="$1" '$1 == name { print $c }' "$results/round-$round.csv"
            done | sort -g
        }
        middle() { awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
        wall=$(values 2)
        printf '%s,%s,0,%s,%s,%s,%s,%s\n' "$name" \
            "$(awk '{ s += $1 } END { print s / NR }' <<<"$wall")" "$(middle <<<"$wall")" \
            "$(values 5 | middle)" "$(values 6 | middle)" "$(head -1 <<<"$wall")" "$(tail -1 <<<"$wall")"
    done
} >"$results/times.csv"

# The median over the rounds after the warm-up of the ratio of command $1's time to command $2's
# in the same round.
round_ratio() {
    for ((round = 1; round <= RUNS; round++)); do
        awk -F, -v a="$1" -v b="$2" '$1 == a { x = $2 } $1 == b { y = $2 } END { printf "%.4f\n", x / y }' \
            "$results/round-$round.csv"
    done | sort -g | awk '{ v[NR] = $1 } END { printf "%.2f", v[int((NR + 1) / 2)] }'
}

# Median in seconds of the command named $1.
median() { awk -F, -v name="$1" '$1 == name { print $4 }' "$results/times.csv"; }

# --- verify and restore of the large backup ------------------------------------------------------
kept="$BENCH_DIR/kept-backup"
restored="$BENCH_DIR/restored.accdb"
rm -rf "$kept" "$restored"
"$admin" backup "$BENCH_DIR/inst-$ROWS_BIG-idx" --folder "$kept" >/dev/null 2>&1
weekday=$(ls "$kept/ヌモリカ")
log "timing verify and restore of the $ROWS_BIG-row backup ($weekday)"
hyperfine --style basic --runs "$RUNS" --warmup 1 --prepare "rm -f '$restored'" \
    --export-csv "$results/restore-times.csv" \
    -n "verify-$ROWS_BIG" "'$admin' backup verify '$BENCH_DIR/inst-$ROWS_BIG-idx' $weekday --folder '$kept'" \
    -n "restore-$ROWS_BIG" "'$admin' restore '$BENCH_DIR/inst-$ROWS_BIG-idx' $weekday --folder '$kept' --into '$restored'" >&2
restore_status=0
rm -f "$restored"
"$admin" restore "$BENCH_DIR/inst-$ROWS_BIG-idx" "$weekday" --folder "$kept" --into "$restored" \
    >"$results/restore-report.txt" 2>&1 || restore_status=$?
rm -rf "$kept" "$restored"
median_restore() { awk -F, -v name="$1" '$1 == name { print $4 }' "$results/restore-times.csv"; }

# --- peak memory and row counts ----------------------------------------------------------------
# Sum over the backup files $2 (a glob pattern in the weekday folder) of the rows of table $1,
# with a checksum of the column $3.
backup_rows() {
    local table="$1" pattern="$2" column="$3" count=0 sum=0 f c s
    for f in "$out"/ヌモリカ/*/$pattern; do
        [[ -f "$f" ]] || continue
        if sqlite3 "$f" "SELECT 1 FROM sqlite_master WHERE name = '$table'" | grep -q 1; then
            IFS='|' read -r c s < <(sqlite3 "$f" "SELECT count(*), total(length($column)) FROM $table")
            count=$((count + c))
            sum=$(awk -v a="$sum" -v b="$s" 'BEGIN { printf "%d", a + b }')
        fi
    done
    echo "$count|$sum"
}
source_rows() {
    sqlite3 "$2" "SELECT count(*), printf('%d', total(length($3))) FROM $1"
}

checks=()
for rows in "${sizes[@]}"; do
    for kind in idx noidx; do
        base="$BENCH_DIR/inst-$rows-$kind"
        rm -rf "$out"
        log "peak memory and row counts: $rows rows, $kind"
        status=0
        /usr/bin/time -v -o "$results/mem-$rows-$kind.txt" \
            "$admin" backup "$base" --folder "$out" >"$results/report-$rows-$kind.txt" \
            2>"$results/progress-$rows-$kind.txt" || status=$?
        kb=$(awk -F: '/Maximum resident set size/ { gsub(/ /, "", $2); print $2 }' \
            "$results/mem-$rows-$kind.txt")
        echo "$kb" >"$results/peak-$rows-$kind"
        # File system outputs are counted in blocks of 512 bytes.
        awk -F: '/File system outputs/ { gsub(/ /, "", $2); printf "%.1f", $2 * 512 / 1048576 }' \
            "$results/mem-$rows-$kind.txt" >"$results/written-$rows-$kind"
        du -sm --apparent-size "$out" | cut -f1 >"$results/size-$rows-$kind"
        db="$base/data/gnrdb.accdb"
        for entry in "T営業受注明細 tridb*.mdb 営業受注明細番号||摘要" "M得意先 mstdb*.mdb 得意先コード||担当者コード" \
            "K在庫 mstdb*.mdb 商品コード||倉庫コード"; do
            read -r table pattern column <<<"$entry"
            want=$(source_rows "$table" "$db" "$column")
            got=$(backup_rows "$table" "$pattern" "$column")
            files=$(ls "$out"/ヌモリカ/*/ 2>/dev/null | grep -c "^${pattern%%\*}.*\.mdb$" || true)
            verdict=ok
            # The backup's own report must tell the same count.
            reported=$(awk -F'\t' -v t="$table" '$2 == t { s += $4 } END { print s + 0 }' \
                "$results/report-$rows-$kind.txt")
            [[ "$want" == "$got" && "${want%%|*}" == "$reported" && $status == 0 ]] ||
                verdict=MISMATCH
            checks+=("$(printf '%-9s %-6s %-14s source %9s  backup %9s  (%s files, exit %s)  %s' \
                "$rows" "$kind" "$table" "${want%%|*}" "${got%%|*}" "$files" "$status" "$verdict")")
        done
        grep -c . "$results/progress-$rows-$kind.txt" >"$results/slices-$rows-$kind" || true
    done
done
rm -rf "$out"

# --- other writers ------------------------------------------------------------------------------
# A writer process commits one small row at a time into a table of its own (not backed up) while
# a backup runs, and records its longest commit: how long another workstation waits.
writer_wait() {
    local db="$1" stop="$BENCH_DIR/writer.stop" ready="$BENCH_DIR/writer.ready"
    rm -f "$stop" "$ready"
    python3 - "$db" "$stop" "$ready" >"$results/writer-$2.txt" <<'PY' &
import os, sqlite3, sys, time
db, stop, ready = sys.argv[1:4]
con = sqlite3.connect(db, timeout=60, isolation_level=None)
con.execute("CREATE TABLE IF NOT EXISTS bench_writes (n INTEGER, at REAL)")
longest, commits, n = 0.0, 0, 0
open(ready, "w").close()
while not os.path.exists(stop):
    start = time.monotonic()
    con.execute("BEGIN IMMEDIATE")
    con.execute("INSERT INTO bench_writes VALUES (?, ?)", (n, start))
    con.execute("COMMIT")
    longest = max(longest, time.monotonic() - start)
    commits += 1
    n += 1
    time.sleep(0.01)
con.execute("DELETE FROM bench_writes")
print(f"{longest:.3f} {commits}")
PY
    local pid=$!
    while [[ ! -f "$ready" ]]; do sleep 0.05; done
    sleep 0.2
    rm -rf "$out"
    "$admin" backup "$(dirname "$(dirname "$db")")" --folder "$out" >/dev/null 2>&1 || true
    sleep 0.2
    touch "$stop"
    wait "$pid"
    rm -f "$stop" "$ready"
}
for rows in "${sizes[@]}"; do
    log "longest wait of another writer during the backup: $rows rows"
    writer_wait "$BENCH_DIR/inst-$rows-idx/data/gnrdb.accdb" "$rows"
done
rm -rf "$out"

# VACUUM INTO's own writes, for the disk traffic of a backup against a plain copy.
rm -f "$copy"
/usr/bin/time -v -o "$results/mem-vacuum.txt" \
    sqlite3 "$BENCH_DIR/inst-$ROWS_BIG-idx/data/gnrdb.accdb" "VACUUM INTO '$copy'"
vacuum_written=$(awk -F: '/File system outputs/ { gsub(/ /, "", $2); printf "%.1f", $2 * 512 / 1048576 }' \
    "$results/mem-vacuum.txt")
vacuum_size=$(du -m --apparent-size "$copy" | cut -f1)
rm -f "$copy"

# --- report ------------------------------------------------------------------------------------
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
within() { awk -v a="$1" -v b="$2" 'BEGIN { print (a <= b) ? "yes" : "NO" }'; }
big="$ROWS_BIG"
small="$ROWS_SMALL"
bi=$(median "backup-idx-$big")
vi=$(median "vacuum-into-$big")
bn=$(median "backup-noidx-$big")
bis=$(median "backup-idx-$small")
vis=$(median "vacuum-into-$small")
bns=$(median "backup-noidx-$small")
peak_kb=$(cat "$results"/peak-* | sort -n | tail -1)
peak_mb=$(awk -v k="$peak_kb" 'BEGIN { printf "%.1f", k / 1024 }')

{
    echo
    echo "Backup benchmark: T営業受注明細 $big / $small rows over $DATES dates, M得意先 $CUSTOMERS," \
        "K在庫 $STOCK; medians of $RUNS rounds ($(nproc) cores, $(date '+%Y-%m-%d %H:%M'))"
    echo
    printf '%-34s %12s %12s %10s\n' "median seconds" "$big" "$small" "ratio"
    printf '%-34s %12.3f %12.3f %10s\n' "(a) backup, slicing keys indexed" "$bi" "$bis" "$(ratio "$bi" "$bis")"
    printf '%-34s %12.3f %12.3f %10s\n' "(a1) the same on one worker" "$(median "backup-idx-1worker-$big")" \
        "$(median "backup-idx-1worker-$small")" \
        "$(ratio "$(median "backup-idx-1worker-$big")" "$(median "backup-idx-1worker-$small")")"
    printf '%-34s %12.3f %12.3f %10s\n' "(b) sqlite3 VACUUM INTO" "$vi" "$vis" "$(ratio "$vi" "$vis")"
    printf '%-34s %12.3f %12.3f %10s\n' "(c) backup, no indexes" "$bn" "$bns" "$(ratio "$bn" "$bns")"
    if [[ -n "$baseline_admin" ]]; then
        printf '%-34s %12.3f %12.3f %10s\n' "(a) baseline $BASELINE" "$(median "baseline-idx-$big")" \
            "$(median "baseline-idx-$small")" \
            "$(ratio "$(median "baseline-idx-$big")" "$(median "baseline-idx-$small")")"
        printf '%-34s %12.3f %12.3f %10s\n' "(c) baseline $BASELINE" "$(median "baseline-noidx-$big")" \
            "$(median "baseline-noidx-$small")" \
            "$(ratio "$(median "baseline-noidx-$big")" "$(median "baseline-noidx-$small")")"
    fi
    echo
    printf '%-46s %8s %8s %6s\n' "target" "measured" "limit" "met"
    r1=$(ratio "$bi" "$vi")
    printf '%-46s %8s %8s %6s\n' "(a)/(b) at $big rows" "$r1" "1.50" "$(within "$r1" 1.5)"
    r1s=$(ratio "$bis" "$vis")
    printf '%-46s %8s %8s %6s\n' "(a)/(b) at $small rows" "$r1s" "1.50" "$(within "$r1s" 1.5)"
    r4=$(ratio "$bn" "$bi")
    printf '%-46s %8s %8s %6s\n' "(c)/(a) at $big rows" "$r4" "2.00" "$(within "$r4" 2)"
    r2=$(ratio "$bn" "$bns")
    printf '%-46s %8s %8s %6s\n' "(c) $big rows / $small rows" "$r2" "3.20" "$(within "$r2" 3.2)"
    r3=$(ratio "$bn" "$vi")
    printf '%-46s %8s %8s %6s\n' "(c)/(b) at $big rows (for information)" "$r3" "-" "-"
    # The same ratios taken within each round, where both commands ran seconds apart, and their
    # median: less swayed by a spell of the machine than the ratio of two medians.
    printf '%-46s %8s %8s %6s\n' "(a)/(b) at $big rows, within the rounds" \
        "$(round_ratio "backup-idx-$big" "vacuum-into-$big")" "-" "-"
    printf '%-46s %8s %8s %6s\n' "(a)/(b) at $small rows, within the rounds" \
        "$(round_ratio "backup-idx-$small" "vacuum-into-$small")" "-" "-"
    printf '%-46s %8s %8s %6s\n' "(c)/(a) at $big rows, within the rounds" \
        "$(round_ratio "backup-noidx-$big" "backup-idx-$big")" "-" "-"
    vt=$(median_restore "verify-$big")
    rt=$(median_restore "restore-$big")
    r5=$(ratio "$vt" "$bi")
    printf '%-46s %8s %8s %6s\n' "verify / (a) at $big rows ($vt s)" "$r5" "1.00" "$(within "$r5" 1)"
    r6=$(ratio "$rt" "$bi")
    printf '%-46s %8s %8s %6s\n' "restore / (a) at $big rows ($rt s, exit $restore_status)" "$r6" \
        "1.50" "$(within "$r6" 1.5)"
    printf '%-46s %8s %8s %6s\n' "peak resident memory of the backups (MB)" "$peak_mb" "150" \
        "$(within "$peak_mb" 149.999)"
    for rows in "${sizes[@]}"; do
        read -r wait commits <"$results/writer-$rows.txt"
        limit=-
        [[ "$rows" == "$small" ]] && limit=3.00
        printf '%-46s %8s %8s %6s\n' "longest writer wait, s, at $rows rows ($commits commits)" \
            "$wait" "$limit" "$([[ $limit == - ]] && echo - || within "$wait" 3)"
    done
    echo
    echo "peak resident memory, bytes written and files' size per backup, progress lines:"
    for rows in "${sizes[@]}"; do
        for kind in idx noidx; do
            printf '  %-9s %-6s %8s MB peak %8s MB written %6s MB of files %6s lines\n' "$rows" "$kind" \
                "$(awk -v k="$(cat "$results/peak-$rows-$kind")" 'BEGIN { printf "%.1f", k / 1024 }')" \
                "$(cat "$results/written-$rows-$kind")" "$(cat "$results/size-$rows-$kind")" \
                "$(cat "$results/slices-$rows-$kind")"
        done
    done
    printf '  %-16s %8s MB written %6s MB of file\n' "VACUUM INTO $big" "$vacuum_written" "$vacuum_size"
    echo
    echo "rows in the backup files against the source (count; the checksum must match too):"
    printf '  %s\n' "${checks[@]}"
    echo
    echo "raw timings: $results/times.csv"
} | tee "$results/report.txt"
