#!/usr/bin/env bash
# import-access against the Access reader's own export: rows per second of each on the test
# files of tests/access/data, measured in the same run (hyperfine, means of RUNS runs). import-access
# writes a whole new database file (built under a temporary name, synced and renamed), while
# mdb-export writes CSV to /dev/null; both start a process per file, which the small files make
# the larger part of the time, so the start-up of numorika-admin alone is measured beside them.
#
# Environment: BENCH_DIR (default /tmp/numorika-bench-access), RUNS (default 30).
set -euo pipefail
repo="$(cd "$(dirname "$0")/../.." && pwd)"
BENCH_DIR="${BENCH_DIR:-/tmp/numorika-bench-access}"
RUNS="${RUNS:-30}"
# shellcheck source=bench/common.sh
source "$repo/bench/common.sh"

"$repo/scripts/install-deps.sh" bench
build="$repo/build-release"
cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --parallel "$(nproc)" --target numorika-admin >/dev/null
admin="$build/bin/numorika-admin"
data="$repo/tests/access/data"
mkdir -p "$BENCH_DIR"
target="$BENCH_DIR/imported.accdb"

report="$BENCH_DIR/report.txt"
: >"$report"
hyperfine --style basic --runs "$RUNS" --warmup 3 -i -n "numorika-admin start-up" \
    "'$admin'" --export-csv "$BENCH_DIR/start.csv" >&2
start=$(awk -F, 'NR == 2 { print $2 }' "$BENCH_DIR/start.csv")
for pair in "ASampleDatabase.accdb:Asset Items" "DateTestDatabase.mdb:DateTest"; do
    file="${pair%%:*}" table="${pair#*:}"
    rm -f "$target"
    rows=$("$admin" import-access "$data/$file" "$target" | awk -F'\t' 'NR == 2 { print $2 }')
    log "$file: $rows rows"
    hyperfine --style basic --runs "$RUNS" --warmup 3 \
        --prepare "rm -f '$target'" -n "import-access $file" \
        "'$admin' import-access '$data/$file' '$target'" \
        -n "mdb-export $file" "mdb-export '$data/$file' '$table' >/dev/null" \
        --export-csv "$BENCH_DIR/times.csv" >&2
    awk -F, -v rows="$rows" -v file="$file" -v start="$start" '
        NR == 2 { import = $2 } NR == 3 { export = $2 }
        END {
            printf "%s (%d rows): import-access %.0f rows/s (%.1f ms), mdb-export %.0f rows/s (%.1f ms), ratio %.2f; numorika-admin start-up alone %.1f ms\n",
                file, rows, rows / import, import * 1000, rows / export, export * 1000,
                export / import, start * 1000
        }' "$BENCH_DIR/times.csv" | tee -a "$report"
done
