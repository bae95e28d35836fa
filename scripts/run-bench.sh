#!/usr/bin/env bash
# Runs the benchmark programs; each prints one line a figure, ratio last. One that fails or cannot
# start is named, the others still run, and the script then exits non-zero.
set -uo pipefail
build=${1:-build}
command -v curl >/dev/null || scripts/install-deps.sh curl
failed=()
for program in bench_newsadder bench_typing bench_history bench_commandline; do
    "$build/bench/$program"
    status=$?
    if [ "$status" -ne 0 ]; then
        echo "$program ended with exit status $status; the other figures go on" >&2
        failed+=("$program")
    fi
done
if [ "${#failed[@]}" -gt 0 ]; then
    echo "bench: ${failed[*]} did not give every figure" >&2
    exit 1
fi
