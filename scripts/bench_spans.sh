#!/usr/bin/env bash
# Builds the span benchmarks in release mode in a build folder of their own and runs them;
# extra arguments go to Google Benchmark (for example --benchmark_filter=Hue).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/bench-spans"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKZ_TESTS=OFF -DKZ_BENCH=ON >/dev/null
cmake --build "$build" -j 8 --target span_bench
"$build/bench/span_bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true "$@"
