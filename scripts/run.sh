#!/usr/bin/env bash
# Builds the client, writes the sample install once, starts the local shard on 127.0.0.1 with the
# sample's map, points the sample's login.cfg at it, runs the client on it, and stops the shard
# when the client exits. With KZ_LOGIN_SERVER=host,port the client goes to that server instead
# and no local shard is started.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"

build="$root/build/release"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKZ_TESTS=OFF -DKZ_BENCH=OFF
cmake --build "$build" -j "$(nproc)"

# The sample install: data files drawn by our own writer, and a key store of its own that
# points the client at them, so nothing under the user's home is touched.
sample="$root/build/sample"
if [ ! -f "$sample/.written" ] || [ "$build/tools/sample_install" -nt "$sample/.written" ]; then
  rm -rf "$sample"
  "$build/tools/sample_install" "$sample"
  touch "$sample/.written"
fi
export KZ_CONFIG_HOME="$sample/config"
export KZ_RUNTIME_DIR="$sample/run"

if [ -n "${KZ_LOGIN_SERVER:-}" ]; then
  printf 'LoginServer=%s\r\n' "$KZ_LOGIN_SERVER" > "$sample/install/login.cfg"
else
  # The local shard takes a free port and writes it to the port file once it listens.
  mkdir -p "$sample/run"
  port_file="$sample/run/shard.port"
  rm -f "$port_file"
  "$build/tools/kzshard" --install "$sample/install" --port-file "$port_file" \
    --account "${KZ_ACCOUNT:-guest}" --password "${KZ_PASSWORD:-guest}" \
    ${KZ_CHARACTERS+--characters "$KZ_CHARACTERS"} &
  shard_pid=$!
  trap 'kill "$shard_pid" 2>/dev/null || true; wait "$shard_pid" 2>/dev/null || true' EXIT
  for _ in $(seq 100); do
    [ -s "$port_file" ] && break
    kill -0 "$shard_pid" 2>/dev/null || { echo "run.sh: the local shard did not start" >&2; exit 1; }
    sleep 0.1
  done
  [ -s "$port_file" ] || { echo "run.sh: the local shard did not report its port" >&2; exit 1; }
  printf 'LoginServer=127.0.0.1,%s\r\n' "$(cat "$port_file")" > "$sample/install/login.cfg"
fi

cd "$sample/install"
"$build/client/client"
