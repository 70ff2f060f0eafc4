#!/usr/bin/env bash
# Installs, with apt-get, the Debian packages the build, the tests and the tools need.
# Does nothing when they are all present.
set -euo pipefail

packages=(
  build-essential g++ cmake ninja-build pkg-config
  clang libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  nettle-dev
  libsdl2-dev
  libfluidsynth-dev timgm6mb-soundfont
  libgtk-3-dev xvfb xauth
  unifont
  libavformat-dev libavcodec-dev libswscale-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
  "${sudo_cmd[@]}" apt-get update
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
fi
