#!/usr/bin/env bash
# Prints the folder -> folder include edges of the engine's sources, one "from -> to (count)" a line,
# so that the layering can be read at a glance. With --check it also exits 1 when two folders include
# each other. Uses only bash, grep, sed, sort and uniq.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
folders=(platform rtl textformat transport device cetext config engine emulator host)
edges=$(for from in "${folders[@]}"; do
  grep -rhoE '^#include "[a-z0-9_]+/' "$from" --include='*.h' --include='*.cpp' 2>/dev/null |
    sed -E 's/^#include "([a-z0-9_]+)\//\1/' | grep -vx "$from" | sed "s|^|$from -> |" || true
done | sort | uniq -c | awk '{printf "%s -> %s (%s)\n", $2, $4, $1}')
printf '%s\n' "$edges"
if [[ ${1:-} == --check ]]; then
  status=0
  while read -r from _ to _; do
    if grep -q "^$to -> $from " <<<"$edges"; then
      echo "cycle: $from <-> $to" >&2
      status=1
    fi
  done <<<"$edges"
  exit $status
fi
