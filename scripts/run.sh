#!/usr/bin/env bash
# Builds the client, writes the sample install once, and runs the client on it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"

build="$root/build/release"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKZ_TESTS=OFF -DKZ_BENCH=OFF
cmake --build "$build" -j "$(nproc)"

# The sample install: data files drawn by our own writer, and a key store of its own that
# points the client at them, so nothing under the user's home is touched.
sample="$root/build/sample"
if [ ! -f "$sample/.written" ]; then
  rm -rf "$sample"
  "$build/tools/sample_install" "$sample"
  touch "$sample/.written"
fi
export KZ_CONFIG_HOME="$sample/config"
export KZ_RUNTIME_DIR="$sample/run"
cd "$sample/install"
exec "$build/client/client"
