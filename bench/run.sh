#!/usr/bin/env bash
# Runs every benchmark program of a build and prints their tables.
# Usage: bench/run.sh BUILD_DIR
# Benchmark programs are the executables named zan_bench_* under BUILD_DIR/bench;
# those with probe, writer or helper in their names serve the others.
set -euo pipefail
build=${1:-build}
mapfile -t programs < <(find "$build/bench" -type f -perm -u+x -name 'zan_bench_*' \
    ! -name '*probe*' ! -name '*writer*' ! -name '*helper*' 2>/dev/null | sort)
if [ ${#programs[@]} -eq 0 ]; then
    echo "No benchmark programs under $build/bench; build target zan_bench first." >&2
    exit 1
fi
status=0
for program in "${programs[@]}"; do
    echo "== $(basename "$program")"
    "$program" "$build" || status=1
    echo
done
exit $status
