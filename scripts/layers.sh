#!/usr/bin/env bash
# Prints the folder -> folder include edges of the engine's sources, one "from -> to (count)" a line,
# so that the layering can be read at a glance. The folders and their order are those of
# cmake/layers.txt. With --check it also exits 1 when an include points up that list or into a folder it
# does not name (which also rules out two folders including each other).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
folders=()
while read -r kind folder _; do
  [[ $kind == library || $kind == program ]] && folders+=("$folder")
done <cmake/layers.txt
edges=$(for from in "${folders[@]}"; do
  grep -rhoE '^#include "[a-z0-9_]+/' "$from" --include='*.h' --include='*.cpp' 2>/dev/null |
    sed -E 's/^#include "([a-z0-9_]+)\//\1/' | grep -vx "$from" | sed "s|^|$from -> |" || true
done | sort | uniq -c | awk '{printf "%s -> %s (%s)\n", $2, $4, $1}')
printf '%s\n' "$edges"
if [[ ${1:-} == --check ]]; then
  # A folder's place in the list.
  declare -A rank
  for i in "${!folders[@]}"; do rank[${folders[$i]}]=$i; done
  status=0
  while read -r from _ to _; do
    [[ -n $from ]] || continue
    if [[ -z ${rank[$to]:-} ]]; then
      echo "$from includes $to, which cmake/layers.txt does not name" >&2
      status=1
    elif ((rank[$to] > rank[$from])); then
      echo "upward include: $from -> $to ($to is above $from in cmake/layers.txt)" >&2
      status=1
    fi
  done <<<"$edges"
  exit $status
fi
