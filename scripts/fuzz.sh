#!/usr/bin/env bash
# Builds every fuzz target with clang and libFuzzer and runs each for a bounded time.
# Usage: scripts/fuzz.sh [seconds-per-target]   (default 60)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
seconds=${1:-60}
build="$root/build/fuzz"
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKZ_FUZZ=ON -DKZ_TESTS=OFF -DKZ_BENCH=OFF
cmake --build "$build" -j "$(nproc)"
status=0
for target in $(find "$build/fuzz" -maxdepth 2 -type f -perm -u+x -name 'fuzz_*' | sort); do
  name=$(basename "$target")
  corpus="$build/corpus/$name"
  mkdir -p "$corpus"
  seeds="$root/fuzz/corpus/$name"
  echo "== $name ($seconds s)"
  if ! "$target" -max_total_time="$seconds" -rss_limit_mb=2048 "$corpus" $( [ -d "$seeds" ] && echo "$seeds" ); then
    echo "fuzz: $name found a failure" >&2
    status=1
  fi
done
exit $status
