#!/usr/bin/env bash
# Runs the benchmark program against a local FTP server; it prints one line a figure, ratio last.
set -euo pipefail
build=${1:-build}
command -v curl >/dev/null || scripts/install-deps.sh curl
"$build/bench/bench_newsadder"
"$build/bench/bench_typing"
"$build/bench/bench_commandline"
