#!/usr/bin/env bash
# The menu's start-up, launch and memory benchmarks, each against a baseline measured in the same
# run (the machine is shared and noisy: medians and ratios count, not absolute figures).
#
#   1 start-up   the menu from exec to its first painted main window (24 buttons filled, PIN
#                sign-in off) on the demo installation, against a minimal Qt Widgets program
#                that shows an empty window of the same size, and the same with one Japanese
#                label, which loads the font configuration and a Japanese face; exec to the
#                first paint measured inside each program, and the whole run (hyperfine)
#   2 growth     the same start-up with a configuration file of HISTORY run-history rows and
#                LINKS link rows, and a business file of STAFF members of staff with full menus
#   3 launch     composing one button's command (detail row, four catalogues of CATALOGUE
#                programs, 26 values with keywords), median microseconds
#   4 memory     peak resident memory of the menu after start-up against the minimal program
#
#   5 files      the file-system operations of one start-up on usrcnfg, gnrdb and their
#                journals (strace), to the first paint and to the end of the run, on the demo
#                and the large installation and on a demo installation behind a FUSE mount
#                (bindfs), which the menu treats as a file server: a rollback journal, no WAL
#
# The backup benchmark is bench/backup/run.sh.
#
# Environment: BENCH_DIR (default /tmp/numorika-bench-menu), RUNS (runs of each, default 30),
# HISTORY (10000000), LINKS (200000), STAFF (10000), CATALOGUE (5000), REGENERATE=1 to build the
# large installation again, BASELINE=REV to measure the menu of an earlier revision beside this
# one (built from `git archive REV` with this revision's first-paint harness).
set -euo pipefail

repo="$(cd "$(dirname "$0")/.." && pwd)"
BENCH_DIR="${BENCH_DIR:-/tmp/numorika-bench-menu}"
RUNS="${RUNS:-30}"
HISTORY="${HISTORY:-10000000}"
LINKS="${LINKS:-200000}"
STAFF="${STAFF:-10000}"
CATALOGUE="${CATALOGUE:-5000}"
GENERATOR_VERSION=1

# shellcheck source=bench/common.sh
source "$repo/bench/common.sh"
mkdir -p "$BENCH_DIR"

"$repo/scripts/install-deps.sh" bench
build="$repo/build-release"
cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DNUMORIKA_BENCH=ON >/dev/null
cmake --build "$build" --parallel "$(nproc)" --target numorika-admin numorika_menu \
    environment_setup numorika-demo-program menu_first_paint minimal_window compose_launch \
    >/dev/null
bin="$build/bin"
# The lock and the front-request pipe live in the runtime folder, a tmpfs on every desktop session
# (/run/user/UID); one on this disk would add the lock file's sync to every start.
runtime="/dev/shm/numorika-bench-$(id -u)"
mkdir -p "$runtime" && chmod 700 "$runtime"
export QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8 TMPDIR="$BENCH_DIR" XDG_RUNTIME_DIR="$runtime"

baseline_bin=""
if [[ -n "${BASELINE:-}" ]]; then
    log "baseline $BASELINE"
    baseline_src="$BENCH_DIR/baseline-src"
    baseline_sources "$repo" "$BASELINE" "$baseline_src"
    cp "$repo/bench/startup/FirstPaintExit.h" "$baseline_src/bench/startup/"
    cmake -S "$baseline_src" -B "$baseline_src/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DNUMORIKA_BENCH=ON >/dev/null
    cmake --build "$baseline_src/build" --parallel "$(nproc)" --target menu_first_paint >/dev/null
    baseline_bin="$baseline_src/build/bin/menu_first_paint"
fi

sql() { sqlite3 -bail "$1" "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; $2" >/dev/null; }

# A full menu of 3 titles and 24 buttons for each staff code that 'staff' selects. Every button
# starts a program of the fourth catalogue with 26 values, most of them date keywords.
full_menus() {
    local business=$1 staff=$2 prgbin=$3
    local values="'今日','来月の日','当期期首','当期期末','前月月末','再来週','前年の日','今月',\
'来月','先月','今年','来年','当月月初','当月月末','三ヶ月先の日','半年前の月','1','2','ABC','',\
'今日','来月の日','当期期首','当期期末','前月月初','999'"
    sql "$business" "
        DELETE FROM ヌモリカマイメニュ WHERE 担当者コード IN ($staff);
        DELETE FROM ヌモリカマイメニュ詳細 WHERE 担当者コード IN ($staff);
        WITH tabs(t) AS (VALUES (0), (1), (2))
        INSERT INTO ヌモリカマイメニュ SELECT コード, t, 'タイトル' || t
            FROM M担当者, tabs WHERE コード IN ($staff);"
    # The value columns named as the table has them.
    local columns
    columns=$(sqlite3 "$business" "SELECT group_concat(name, ',') FROM
        pragma_table_info('ヌモリカマイメニュ詳細') WHERE name LIKE '条件項目値%'")
    sql "$business" "
        WITH tabs(t) AS (VALUES (0), (1), (2)),
             slots(p) AS (VALUES (0), (1), (2), (3), (4), (5), (6), (7))
        INSERT INTO ヌモリカマイメニュ詳細 (担当者コード, メニュタブ位置, メニュ詳細位置,
            プログラム名, 説明, filepath, $columns)
        SELECT コード, t, p, 'プログラム' || (t * 8 + p), '説明 ' || (t * 8 + p),
            '$prgbin/P4' || printf('%05d', ($CATALOGUE - 1 - t * 8 - p)) || '.exe', $values
        FROM M担当者, tabs, slots WHERE コード IN ($staff);"
}

# Four catalogues of CATALOGUE programs each; the buttons' programs are in the last one.
catalogues() {
    local config=$1 n=1
    for table in ヌモリカ ヌモリカデータ管理 ヌモリカ補助機能 ヌモリカサービスメニュ; do
        local names
        names=$(sqlite3 "$config" "SELECT group_concat(name, ',') FROM pragma_table_info('$table')
            WHERE name LIKE '条件項目名%'")
        local items
        items=$(sqlite3 "$config" "SELECT group_concat('''項目' || substr(name, 6) || '''', ',')
            FROM pragma_table_info('$table') WHERE name LIKE '条件項目名%'")
        sql "$config" "
            WITH RECURSIVE k(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM k WHERE i < $CATALOGUE - 1)
            INSERT OR IGNORE INTO $table (プログラムID, $names)
            SELECT 'P$n' || printf('%05d', i), $items FROM k;"
        n=$((n + 1))
    done
}

# The demo installation as the benchmark starts it: PIN sign-in off, 00001 signed in with a full
# menu, the program ended after its first paint.
prepare() {
    local base=$1
    rm -rf "$base"
    "$bin/numorika-admin" init "$base" --demo >/dev/null
    cp "$bin/menu_first_paint" "$base/prgbin/ヌモリカマイメニュ"
    sql "$base/data/gnrdb.accdb" "UPDATE Mユーザ SET 暗証番号有無 = 0;"
    sql "$base/conf/usrcnfg.accdb" "UPDATE 動作環境定義 SET 起動担当者コード = '00001';"
    catalogues "$base/conf/usrcnfg.accdb"
    full_menus "$base/data/gnrdb.accdb" "'00001'" "$base/prgbin"
}

empty="$BENCH_DIR/empty"
large="$BENCH_DIR/large"
log "demo installation"
prepare "$empty"
stamp="$large/.generated-$GENERATOR_VERSION-$HISTORY-$LINKS-$STAFF-$CATALOGUE"
if [[ ! -e "$stamp" || -n "${REGENERATE:-}" ]]; then
    log "large installation: $HISTORY history rows, $LINKS link rows, $STAFF staff"
    prepare "$large"
    sql "$large/conf/usrcnfg.accdb" "
        WITH RECURSIVE k(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM k WHERE i < $HISTORY)
        INSERT INTO プログラム稼動履歴 SELECT
            printf('20%02d%02d%02d %02d%02d%02d', 16 + i / 1000000, i % 12 + 1, i % 28 + 1,
                   i % 24, i % 60, i % 59),
            'P' || (i % 300), printf('%012d', i), CASE i % 3 WHEN 0 THEN '開始 ' WHEN 1 THEN
            '終了' ELSE '出力終了 UPDATE 動作環境定義 SET 起動担当者コード = ''10001''' END,
            '001', printf('%05d', 10000 + i % $STAFF), 'user' || (i % 200) FROM k;
        WITH RECURSIVE k(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM k WHERE i < $LINKS)
        INSERT INTO プログラム連携情報 SELECT
            printf('2026%02d%02d %06d', i % 12 + 1, i % 28 + 1, i % 235959),
            'P' || (i % 300), CASE WHEN i % 3 = 0 THEN 'ヌモリカマイメニュ' ELSE 'P' || (i % 301) END,
            '', CASE i % 2 WHEN 0 THEN '00' ELSE '99' END, 'info ' || i, '', '001',
            printf('%05d', 10000 + i % $STAFF), 'user' || (i % 200) FROM k;"
    sql "$large/data/gnrdb.accdb" "
        WITH RECURSIVE k(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM k WHERE i < $STAFF - 1)
        INSERT INTO M担当者 (コード, 氏名, 暗証番号, ログインID, 在籍区分, 退社日付, 事業所コード,
            部門コード, アクセス権限)
        SELECT printf('%05d', 10000 + i), '担当者' || i,
            (SELECT 暗証番号 FROM M担当者 WHERE コード = '00001'), 'login' || i, '0', '', '000',
            '010', '1' FROM k;"
    full_menus "$large/data/gnrdb.accdb" "SELECT コード FROM M担当者 WHERE コード >= '10000'" \
        "$large/prgbin"
    signed_in=$(printf '%05d' $((10000 + STAFF / 2)))
    sql "$large/conf/usrcnfg.accdb" "UPDATE 動作環境定義 SET 起動担当者コード = '$signed_in';"
    touch "$stamp"
fi
signed_in=$(sqlite3 "$large/conf/usrcnfg.accdb" "SELECT 起動担当者コード FROM 動作環境定義")
cp "$bin/menu_first_paint" "$large/prgbin/ヌモリカマイメニュ"

# A demo installation that the menu reaches through FUSE: not a local file system to it, so the
# configuration file keeps its rollback journal, as on a file server.
server_disk="$BENCH_DIR/server-disk"
server="$BENCH_DIR/server"
server_menu=""
mkdir -p "$server_disk" "$server"
if mountpoint -q "$server"; then
    fusermount -u "$server"
fi
if command -v bindfs >/dev/null && bindfs "$server_disk" "$server" 2>/dev/null; then
    trap 'fusermount -u "$server" 2>/dev/null || true' EXIT
    log "demo installation behind FUSE"
    prepare "$server/inst"
    server_menu="$server/inst/prgbin/ヌモリカマイメニュ"
else
    log "no FUSE mount (bindfs): the file-server figures are left out"
fi

# The baseline's menu beside this one in the same installations, under a name of its own (the
# name only chooses the lock).
baseline_name="ヌモリカマイメニュ-baseline"
if [[ -n "$baseline_bin" ]]; then
    for base in "$empty" "$large" ${server_menu:+"$server/inst"}; do
        cp "$baseline_bin" "$base/prgbin/$baseline_name"
    done
fi

# The window size of the menu, for the minimal program.
read -r width height _ < <("$empty/prgbin/ヌモリカマイメニュ")
size="$width $height"
log "menu window: $size"

# --- 1, 2: start-up ------------------------------------------------------------------------------
# Exec to first paint, measured inside each program; the programs take turns run by run, so that a
# busy moment of the machine falls on all of them alike.
programs=(minimal text demo large)
declare -A command=(
    [minimal]="$bin/minimal_window $size"
    [text]="$bin/minimal_window --text $size"
    [demo]="$empty/prgbin/ヌモリカマイメニュ"
    [large]="$large/prgbin/ヌモリカマイメニュ")
if [[ -n "$server_menu" ]]; then
    programs+=(server)
    command[server]="$server_menu"
fi
if [[ -n "$baseline_bin" ]]; then
    programs+=(baseline_demo baseline_large)
    command[baseline_demo]="$empty/prgbin/$baseline_name"
    command[baseline_large]="$large/prgbin/$baseline_name"
    if [[ -n "$server_menu" ]]; then
        programs+=(baseline_server)
        command[baseline_server]="$server/inst/prgbin/$baseline_name"
    fi
fi
log "start-up to the first paint: $RUNS runs each"
paint="$BENCH_DIR/paint"
rm -rf "$paint" && mkdir -p "$paint"
for ((run = -3; run < RUNS; run++)); do
    for name in "${programs[@]}"; do
        # shellcheck disable=SC2086 # a command is a program and its arguments
        out=$(NUMORIKA_BENCH_T0=$EPOCHREALTIME ${command[$name]})
        if ((run >= 0)); then
            echo "${out##* }" >>"$paint/$name"
        fi
    done
done
median_of() {
    sort -n "$1" | awk '{ v[NR] = $1 }
        END { printf "%.1f", NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
declare -A first
for name in "${programs[@]}"; do
    first[$name]=$(median_of "$paint/$name")
done

log "whole runs: $RUNS runs each"
csv="$BENCH_DIR/startup.csv"
hyperfine_args=()
for name in "${programs[@]}"; do
    hyperfine_args+=(-n "$name" "${command[$name]}")
done
hyperfine --style none --warmup 3 --runs "$RUNS" --export-csv "$csv" "${hyperfine_args[@]}" \
    >/dev/null
declare -A whole
for name in "${programs[@]}"; do
    whole[$name]=$(awk -F, -v n="$name" '$1 == n { printf "%.1f", $4 * 1000 }' "$csv")
done

# --- 5: file operations --------------------------------------------------------------------------
# What one start-up asks of the file system on the installation's files: on a file server every
# one of these is a round trip. strace names each descriptor's file (-y); the first write to
# standard output is the first paint.
count_operations() {
    grep -E 'usrcnfg|gnrdb' | sed -E 's/^[0-9]+ +//; s/\(.*//' | sort | uniq -c | sort -rn |
        awk '{ total += $1; parts = parts sprintf("%s %d, ", $2, $1) }
             END { sub(/, $/, "", parts); printf "%d (%s)", total, parts }'
}
file_operations() {
    local trace="$BENCH_DIR/strace-$1.txt" painted
    # shellcheck disable=SC2086 # a command is a program and its arguments
    strace -f -qq -y -o "$trace" \
        -e trace=openat,read,pread64,write,pwrite64,fcntl,fsync,fdatasync,ftruncate,unlink,lseek \
        ${command[$1]} >"$BENCH_DIR/strace-$1.out" 2>/dev/null || true
    painted=$(awk '/write\(1</ { print NR; exit }' "$trace")
    printf '%s | %s' "$(head -n "${painted:-999999}" "$trace" | count_operations)" \
        "$(count_operations <"$trace")"
}
declare -A ops
operation_rows=(demo large server baseline_demo baseline_large baseline_server)
for name in "${operation_rows[@]}"; do
    if [[ -n "${command[$name]:-}" ]]; then
        ops[$name]=$(file_operations "$name")
    fi
done

# --- 3: launch -----------------------------------------------------------------------------------
log "launch composition"
read -r launch_demo launch_demo_p90 < <("$bin/compose_launch" "$empty/prgbin" 00001 2 7 2>/dev/null)
read -r launch_large launch_large_p90 < <("$bin/compose_launch" "$large/prgbin" "$signed_in" 2 7 \
    2>/dev/null)

# --- 4: memory -----------------------------------------------------------------------------------
log "peak memory"
peak() {
    local values=()
    for _ in 1 2 3 4 5; do
        values+=("$(/usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -1)")
    done
    printf '%s\n' "${values[@]}" | sort -n | sed -n 3p
}
memory_minimal=$(peak "$bin/minimal_window" $size)
memory_text=$(peak "$bin/minimal_window" --text $size)
memory_demo=$(peak "$empty/prgbin/ヌモリカマイメニュ")
memory_large=$(peak "$large/prgbin/ヌモリカマイメニュ")

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
row() { # name label
    if [[ -n "${first[$1]:-}" ]]; then
        printf '| %-34s | %6s | %-26s | %6s |\n' "$2" "${first[$1]}" \
            "$(ratio "${first[$1]}" "${first[minimal]}") × empty, $(ratio "${first[$1]}" "${first[text]}") × label" \
            "${whole[$1]}"
    fi
}
cat <<TABLE

Start-up (median of $RUNS, ms): exec to the first painted window, and the whole run (hyperfine)
| program                            | paint  | paint ratio                | run    |
|------------------------------------|--------|----------------------------|--------|
$(row minimal "minimal window, empty ($size)")
$(row text "minimal window, one Japanese label")
$(row demo "menu, demo installation")
$(row large "menu, large installation")
$(row server "menu, demo behind FUSE")
$(row baseline_demo "menu ${BASELINE:-}, demo")
$(row baseline_large "menu ${BASELINE:-}, large")
$(row baseline_server "menu ${BASELINE:-}, demo behind FUSE")

Targets: demo ≤ 1.25 × label; large ≤ 1.05 × demo (here $(ratio "${first[large]}" "${first[demo]}")).

Launch composition of one button (µs)
| installation | median | 90th percentile | target |
|--------------|--------|-----------------|--------|
| demo         | $launch_demo | $launch_demo_p90 |        |
| large        | $launch_large | $launch_large_p90 | < 2000 |

Peak resident memory (median of 5, KiB)
| program                       | KiB   | ratio                       | target |
|-------------------------------|-------|-----------------------------|--------|
| minimal window, empty         | $memory_minimal | 1.00                        |        |
| minimal window, Japanese label | $memory_text | $(ratio "$memory_text" "$memory_minimal") × empty               |        |
| menu, demo                    | $memory_demo | $(ratio "$memory_demo" "$memory_minimal") × empty, $(ratio "$memory_demo" "$memory_text") × label | ≤ 1.1 × label |
| menu, large                   | $memory_large | $(ratio "$memory_large" "$memory_minimal") × empty, $(ratio "$memory_large" "$memory_text") × label |        |

File-system operations of one start-up on usrcnfg, gnrdb and their journals
(to the first paint | to the end of the run)
$(for name in "${operation_rows[@]}"; do
    if [[ -n "${ops[$name]:-}" ]]; then printf '%-16s %s\n' "$name" "${ops[$name]}"; fi
done)

large: $HISTORY history rows, $LINKS link rows, $STAFF staff with 3 titles and 24 buttons each,
four catalogues of $CATALOGUE programs.
TABLE
