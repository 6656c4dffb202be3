#!/usr/bin/env bash
# import-access against the Access reader's own export: rows per second of each on the test
# files of tests/access/data, measured in the same run (hyperfine, medians of RUNS runs, both
# started without a shell and their output sent to /dev/null). import-access writes a whole new
# database file (built under a temporary name, synced with its folder and renamed), while
# mdb-export writes CSV to /dev/null; both start a process per file, which these small files make
# the larger part of the time. The start of each program alone (given no file, so that it only
# answers with its usage) is therefore timed beside them, and the ratio is also given without it.
# The instructions each one runs (callgrind, the import's child process counted from its fork) are
# counted too: unlike the times, a busy machine does not change them.
#
# Environment: BENCH_DIR (default /tmp/numorika-bench-access), RUNS (default 30), BASELINE=REV to
# time the numorika-admin of another revision (built once in $BENCH_DIR/baseline) in the same run,
# CMAKE_OPTIONS for the builds (a compiler launcher, for one).
set -euo pipefail
repo="$(cd "$(dirname "$0")/../.." && pwd)"
BENCH_DIR="${BENCH_DIR:-/tmp/numorika-bench-access}"
RUNS="${RUNS:-30}"
# shellcheck source=bench/common.sh
source "$repo/bench/common.sh"

build_admin() {
    # shellcheck disable=SC2086 # CMAKE_OPTIONS holds several words on purpose
    cmake -S "$1" -B "$1/build-release" -G Ninja -DCMAKE_BUILD_TYPE=Release ${CMAKE_OPTIONS:-} >/dev/null
    cmake --build "$1/build-release" --parallel "$(nproc)" --target numorika-admin >/dev/null
}

"$repo/scripts/install-deps.sh" bench
build_admin "$repo"
admin="$repo/build-release/bin/numorika-admin"
baseline=""
if [[ -n "${BASELINE:-}" ]]; then
    baseline_sources "$repo" "$BASELINE" "$BENCH_DIR/baseline"
    baseline="$BENCH_DIR/baseline/build-release/bin/numorika-admin"
    [[ -x "$baseline" ]] || build_admin "$BENCH_DIR/baseline"
fi
data="$repo/tests/access/data"
mkdir -p "$BENCH_DIR"
target="$BENCH_DIR/imported.accdb"
report="$BENCH_DIR/report.txt"
: >"$report"

# The instructions a command runs in user space, its child processes included.
instructions() {
    local out="$BENCH_DIR/callgrind"
    rm -rf "$out" "$target"
    mkdir -p "$out"
    valgrind --tool=callgrind --dump-before=fork --callgrind-out-file="$out/run.%p" "$@" \
        >/dev/null 2>&1 || true
    awk '/^summary:/ { total += $2 } END { print total }' "$out"/run.*
}

# The median of the command named $1 in $BENCH_DIR/times.csv, in seconds.
median() { awk -F, -v name="$1" '$1 == name { print $4 }' "$BENCH_DIR/times.csv"; }
# Its processor time (user and system, its child process included), in seconds: what a busy
# machine changes least, though it leaves out the waits for the disk.
cpu() { awk -F, -v name="$1" '$1 == name { print $5 + $6 }' "$BENCH_DIR/times.csv"; }

for pair in "ASampleDatabase.accdb:Asset Items" "DateTestDatabase.mdb:DateTest"; do
    file="${pair%%:*}" table="${pair#*:}"
    rm -f "$target"
    rows=$("$admin" import-access "$data/$file" "$target" | awk -F'\t' 'NR == 2 { print $2 }')
    log "$file: $rows rows"
    commands=(-n import "'$admin' import-access '$data/$file' '$target'"
        -n export "mdb-export '$data/$file' '$table'"
        -n import-start "'$admin' import-access" -n export-start "mdb-export")
    if [[ -n "$baseline" ]]; then
        commands+=(-n baseline "'$baseline' import-access '$data/$file' '$target'")
    fi
    hyperfine -N --style basic --runs "$RUNS" --warmup 3 -i --prepare "rm -f '$target'" \
        "${commands[@]}" --export-csv "$BENCH_DIR/times.csv" >&2
    awk -v rows="$rows" -v file="$file" -v import="$(median import)" \
        -v export="$(median export)" -v istart="$(median import-start)" \
        -v estart="$(median export-start)" -v baseline="$(median baseline)" -v rev="${BASELINE:-}" \
        -v icpu="$(cpu import)" -v ecpu="$(cpu export)" -v bcpu="$(cpu baseline)" '
        BEGIN {
            printf "%s (%d rows): import-access %.0f rows/s (%.1f ms), mdb-export %.0f rows/s (%.1f ms), ratio %.2f\n",
                file, rows, rows / import, import * 1000, rows / export, export * 1000, export / import
            printf "  start alone: numorika-admin %.1f ms, mdb-export %.1f ms; without it: ratio %.2f\n",
                istart * 1000, estart * 1000, (export - estart) / (import - istart)
            printf "  processor time: import-access %.1f ms, mdb-export %.1f ms\n", icpu * 1000,
                ecpu * 1000
            if (baseline != "")
                printf "  baseline %s: import-access %.1f ms (processor %.1f ms), ratio %.2f\n",
                    rev, baseline * 1000, bcpu * 1000, export / baseline
        }' | tee -a "$report"
    awk -v import="$(instructions "$admin" import-access "$data/$file" "$target")" \
        -v export="$(instructions mdb-export "$data/$file" "$table")" \
        -v istart="$(instructions "$admin" import-access)" -v estart="$(instructions mdb-export)" \
        -v baseline="$([[ -z "$baseline" ]] || instructions "$baseline" import-access "$data/$file" "$target")" '
        BEGIN {
            printf "  instructions: import-access %.2f M (start %.2f M), mdb-export %.2f M (start %.2f M); ratio %.2f, without the start %.2f\n",
                import / 1e6, istart / 1e6, export / 1e6, estart / 1e6, export / import,
                (export - estart) / (import - istart)
            if (baseline != "")
                printf "  instructions of the baseline: %.2f M, ratio %.2f\n", baseline / 1e6,
                    export / baseline
        }' | tee -a "$report"
done
