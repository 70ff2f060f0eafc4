#!/usr/bin/env bash
# Builds the span benchmarks in release mode in a build folder of their own and runs them;
# extra arguments go to Google Benchmark (for example --benchmark_filter=Hue). Ends with each
# median CPU time as a multiple of memcpy's from the same run (the art blits against the
# run-by-run memcpy of the same opaque bytes).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/bench-spans"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKZ_TESTS=OFF -DKZ_BENCH=ON >/dev/null
cmake --build "$build" -j 8 --target span_bench
results="$build/span_bench.csv"
"$build/bench/span_bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
    --benchmark_out="$results" --benchmark_out_format=csv "$@"
echo
echo "median CPU time / memcpy:"
awk -F, '
    # The CSV has a preamble; the rows follow the "name," header. Column 4 is the CPU time.
    FNR == 1 { rows = 0 }
    $1 == "name" { rows = 1; next }
    !rows || $1 !~ /_median"$/ { next }
    { name = $1; gsub(/"/, "", name); sub(/_median$/, "", name) }
    NR == FNR { time[name] = $4; next }
    name == "BM_Memcpy" || name == "BM_Memcpy_ArtRuns" { next }
    {
        base = name ~ /BlitArt/ ? "BM_Memcpy_ArtRuns" : "BM_Memcpy"
        if (time[base] > 0) printf "  %-55s %6.2fx\n", name, $4 / time[base]
    }' "$results" "$results"
