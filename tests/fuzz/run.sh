#!/usr/bin/env bash
# Runs every fuzz target for a bounded time from its seeds; exits nonzero on the first finding.
# Usage: tests/fuzz/run.sh <build folder> [seconds per target]
set -euo pipefail
build=${1:?build folder}
seconds=${2:-60}
here=$(cd "$(dirname "$0")" && pwd)
for target in line_settings conversions; do
    corpus=$(mktemp -d)
    cp "$here/seeds/$target/"* "$corpus/"
    echo "fuzzing $target for ${seconds}s"
    "$build/${target}_fuzz" -max_total_time="$seconds" -max_len=256 -print_final_stats=1 \
        -artifact_prefix="$build/${target}-" "$corpus" > "$build/${target}_fuzz.log" 2>&1 || {
        tail -n 30 "$build/${target}_fuzz.log"
        echo "FAIL: fuzz $target"
        exit 1
    }
    grep -E '^stat::number_of_executed_units' "$build/${target}_fuzz.log" || true
    rm -rf "$corpus"
done
