#!/usr/bin/env bash
# Builds the benchmarks in release mode and runs each one.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
build="$root/build/bench"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKZ_TESTS=OFF -DKZ_BENCH=ON
cmake --build "$build" -j "$(nproc)"
for b in $(find "$build/bench" -maxdepth 1 -type f -perm -u+x -name '*_bench' | sort); do
  echo "== $(basename "$b")"
  "$b" "$@"
done
