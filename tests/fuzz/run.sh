#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs every harness of a fuzzing build for a given time and reports the
# executions of each. Usage: run.sh BUILD_DIR SECONDS [PARALLEL]
# Findings (crashes, broken invariants, leaks, timeouts) are kept in
# BUILD_DIR/fuzz-findings; the corpus grown from the seeds in BUILD_DIR/fuzz-corpus.
set -uo pipefail
build=${1:?build directory}
seconds=${2:-600}
parallel=${3:-1}
here=$(cd "$(dirname "$0")" && pwd)
bin="$build/tests/fuzz"
work="$build/fuzz-corpus"
findings="$build/fuzz-findings"
logs="$build/fuzz-logs"
mkdir -p "$work" "$findings" "$logs"

harnesses=()
for seeds in "$here"/corpus/*/; do
    harnesses+=("$(basename "$seeds")")
done

run_one() {
    local name=$1
    mkdir -p "$work/$name"
    # Memory and time per input stay generous but bounded: a hang or a
    # runaway allocation is a finding too.
    "$bin/fuzz_$name" "$work/$name" "$here/corpus/$name" \
        -max_total_time="$seconds" -timeout=30 -rss_limit_mb=3072 -max_len=65536 \
        -print_final_stats=1 -artifact_prefix="$findings/$name-" \
        >"$logs/$name.log" 2>&1
    echo $? >"$logs/$name.status"
}

running=0
for name in "${harnesses[@]}"; do
    run_one "$name" &
    running=$((running + 1))
    if [ "$running" -ge "$parallel" ]; then
        wait -n
        running=$((running - 1))
    fi
done
wait

failed=0
printf '%-14s %12s %8s  %s\n' harness executions seconds result
for name in "${harnesses[@]}"; do
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$logs/$name.log" | tail -1)
    status=$(cat "$logs/$name.status")
    result=ok
    if [ "$status" != 0 ]; then
        result="FAILED (status $status, see $logs/$name.log)"
        failed=1
    fi
    printf '%-14s %12s %8s  %s\n' "$name" "${execs:-?}" "$seconds" "$result"
done
exit $failed
