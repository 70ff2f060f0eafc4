#!/usr/bin/env bash
# Operating-system headers belong to platform/ alone: game and tool code reaches the system
# only through platform/. Fails, listing the offending lines, when another folder includes one.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
pattern='#[[:space:]]*include[[:space:]]*<(SDL[^>]*|fluidsynth[^>]*|gtk/[^>]*|unistd\.h|fcntl\.h|dirent\.h|spawn\.h|sys/[^>]*|netinet/[^>]*|arpa/[^>]*|netdb\.h|pthread\.h|dlfcn\.h)>'
hits=$(grep -rnE "$pattern" client cfgtool gatehouse 2>/dev/null || true)
if [ -n "$hits" ]; then
  echo "check_platform_boundary: system headers outside platform/:" >&2
  echo "$hits" >&2
  exit 1
fi
