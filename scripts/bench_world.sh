#!/usr/bin/env bash
# Builds the world-pass benchmark in release mode in a build folder of its own and runs the scenes
# (S1 dense full redraw, S2 walking frame, S3 100 small dirty rectangles, picking on S1), 30
# repetitions each, single thread; ends with each median in milliseconds per frame and as a
# multiple of the 800 x 600 frame memcpy of the same run. Extra arguments go to Google Benchmark.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/bench-world"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKZ_TESTS=OFF -DKZ_BENCH=ON >/dev/null
cmake --build "$build" -j 4 --target world_draw_bench
results="$build/world_draw_bench.csv"
"$build/bench/world_draw_bench" --benchmark_repetitions=30 --benchmark_report_aggregates_only=true \
    --benchmark_out="$results" --benchmark_out_format=csv "$@"
echo
echo "median ms per frame, and / memcpy of the frame:"
awk -F, '
    FNR == 1 { rows = 0 }
    $1 == "name" { rows = 1; next }
    !rows || $1 !~ /_median"$/ { next }
    { name = $1; gsub(/"/, "", name); sub(/_median$/, "", name) }
    NR == FNR { time[name] = $4; unit[name] = $5; next }
    name == "BM_FrameMemcpy" { next }
    { if (time["BM_FrameMemcpy"] > 0) printf "  %-28s %8.3f ms %8.1fx\n", name, $4, $4 / time["BM_FrameMemcpy"] }' \
    "$results" "$results"
