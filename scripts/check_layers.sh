#!/usr/bin/env bash
# The client is layered: a folder depends only on folders below it in this order. Fails, listing
# the offending lines, when a file includes a header of a higher folder or when a CMakeLists
# links a lower target to a higher one. Higher code reaches lower code directly; lower code
# reaches higher code only through the service interfaces it declares.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

layers=(platform client/core client/data client/world client/net client/render client/gumps/framework
        client/gumps/login client/gumps/game client/gumps/chat client/media client)

# The layer of a path: the index of the longest folder that contains it, -1 for none.
layer_of() {
  local path=$1 best=-1 length=0 i
  for i in "${!layers[@]}"; do
    case "$path" in
      "${layers[$i]}"/*)
        if (( ${#layers[$i]} > length )); then best=$i; length=${#layers[$i]}; fi ;;
    esac
  done
  echo "$best"
}

failures=()

# Headers of a higher folder.
while IFS= read -r file; do
  own=$(layer_of "$file")
  while IFS= read -r hit; do
    [ -n "$hit" ] || continue
    header=$(sed -E 's/^[0-9]+:[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]+)".*/\1/' <<<"$hit")
    theirs=$(layer_of "$header")
    if (( theirs > own )); then
      failures+=("$file:${hit%%:*}: includes $header (${layers[$theirs]} is above ${layers[$own]})")
    fi
  done < <(grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"(client|platform)/[^"]+"' "$file" || true)
done < <(find platform client -type f \( -name '*.h' -o -name '*.hpp' -o -name '*.cpp' \) | sort)

# Targets and the folder that defines them.
declare -A target_layer=()
cmake_files=$(find platform client -name CMakeLists.txt | sort)
for file in $cmake_files; do
  own=$(layer_of "$file")
  for name in $(sed 's/#.*//' "$file" | tr '\n' ' ' |
                grep -oE 'add_(library|executable)\([[:space:]]*[A-Za-z0-9_.-]+' | sed -E 's/.*\([[:space:]]*//'); do
    target_layer[$name]=$own
  done
done

# Links from a lower target to a higher one.
for file in $cmake_files; do
  while IFS= read -r call; do
    [ -n "$call" ] || continue
    read -r -a words <<<"$(sed -E 's/^target_link_libraries\(//; s/\)$//' <<<"$call")"
    (( ${#words[@]} > 0 )) || continue
    target=${words[0]}
    [ -n "${target_layer[$target]+set}" ] || continue
    for word in "${words[@]:1}"; do
      case "$word" in PUBLIC|PRIVATE|INTERFACE) continue ;; esac
      name=$(sed -E 's/^\$<[^:]*://; s/>+$//' <<<"$word")
      [ -n "${target_layer[$name]+set}" ] || continue
      if (( target_layer[$name] > target_layer[$target] )); then
        failures+=("$file: $target links $name (${layers[${target_layer[$name]}]} is above ${layers[${target_layer[$target]}]})")
      fi
    done
  done < <(sed 's/#.*//' "$file" | tr '\n' ' ' | grep -oE 'target_link_libraries\([^)]*\)' || true)
done

if (( ${#failures[@]} > 0 )); then
  echo "check_layers: a lower folder depends on a higher one:" >&2
  printf '  %s\n' "${failures[@]}" >&2
  exit 1
fi
