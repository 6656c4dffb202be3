#!/usr/bin/env bash
# Builds the libFuzzer targets in their own clang build folder and runs each in turn for a bounded
# time. The seeds under corpus/ are copied into the build folder first, so what the fuzzer adds
# never lands in the checked-in corpus.
#
#   tests/fuzz/run.sh [target ...]        all targets when none is named
#
# FUZZ_SECONDS      seconds per target (default 300)
# FUZZ_BUILD_DIR    build folder (default build-fuzz at the top of the repository)
# FUZZ_BUILD_JOBS   parallel compile jobs (default 2)
# FUZZ_TIMEOUT      seconds one input may take before it counts as a hang (default 25)
# FUZZ_ARGS         further libFuzzer flags, e.g. "-use_value_profile=1"
#
# Exits non-zero when any target crashes, hangs or breaks one of its checks; the inputs that did
# are left under <build>/fuzz-artifacts/<target>/.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../.." && pwd)"
build="${FUZZ_BUILD_DIR:-$root/build-fuzz}"
seconds="${FUZZ_SECONDS:-300}"
jobs="${FUZZ_BUILD_JOBS:-2}"
timeout="${FUZZ_TIMEOUT:-25}"
read -r -a extra <<<"${FUZZ_ARGS:-}"

all=(fuzz_width_conversion fuzz_truncate_to_bytes fuzz_format_to_pattern fuzz_date_keywords
     fuzz_condition_defaults fuzz_connection_string fuzz_jet_translator)
if (($# > 0)); then
    targets=("$@")
else
    targets=("${all[@]}")
fi

"$root/scripts/install-deps.sh" fuzz
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DNUMORIKA_FUZZ=ON \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --parallel "$jobs" --target "${targets[@]}"

# A check that fails aborts; undefined behaviour stops the run as a crash does.
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}"
export QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8

failed=()
summary=()
for target in "${targets[@]}"; do
    seeds="$here/corpus/$target"
    work="$build/fuzz-corpus/$target"
    artifacts="$build/fuzz-artifacts/$target"
    log="$build/fuzz-logs/$target.log"
    mkdir -p "$work" "$artifacts" "$(dirname "$log")"
    # Only this run's findings are listed afterwards.
    find "$artifacts" -mindepth 1 -delete
    if [[ -d "$seeds" ]]; then
        cp -R "$seeds/." "$work/"
    fi

    echo "== $target: ${seconds}s, corpus $work"
    status=0
    (cd "$artifacts" && "$build/bin/$target" -max_total_time="$seconds" -timeout="$timeout" \
        -print_final_stats=1 -artifact_prefix="$artifacts/" "${extra[@]}" "$work") \
        >"$log" 2>&1 || status=$?

    execs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)"
    rate="$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)"
    summary+=("$(printf '%-26s %s  execs %s  execs/s %s' "$target" \
        "$( ((status == 0)) && echo ok || echo "FAILED($status)")" "${execs:-?}" "${rate:-?}")")
    if ((status != 0)); then
        failed+=("$target")
        echo "!! $target failed (exit $status); log $log"
        grep -E 'check failed:|==ERROR|runtime error:|^SUMMARY|deadly signal|timeout' "$log" |
            head -n 5 || true
        find "$artifacts" -type f | sed 's|^|   input: |'
    fi
done

echo
printf '%s\n' "${summary[@]}"
if ((${#failed[@]} > 0)); then
    echo "Failed: ${failed[*]}"
    exit 1
fi
