#!/usr/bin/env bash
# check_imports.sh OBJDUMP PROGRAM [COUNT]: PROGRAM imports names from Halvern.dll (exactly COUNT when
# given, else at least one), every one undecorated (no "@bytes"), as the DLL exports them. A host linked through a wrong import library
# either fails to link or asks for names the DLL does not have, which Windows reports only at load.
set -euo pipefail
objdump=$1 program=$2 count=${3:-}
names=$("$objdump" -p "$program" | awk '
  /DLL Name:/ { inside = ($3 == "Halvern.dll") ; next }
  inside && /^[ \t]*$/ { inside = 0 }
  inside && NF >= 2 && $1 ~ /^[0-9a-f]+$/ && $2 ~ /^[0-9]+$/ { print $3 }')
found=$(printf '%s\n' "$names" | grep -c . || true)
if [[ -n $count && $found -ne $count ]] || [[ $found -eq 0 ]]; then
  echo "expected ${count:-some} imports from Halvern.dll, found $found:" >&2
  printf '%s\n' "$names" >&2
  exit 1
fi
if printf '%s\n' "$names" | grep -q '@'; then
  echo "decorated import names:" >&2
  printf '%s\n' "$names" | grep '@' >&2
  exit 1
fi
echo "$found undecorated imports from Halvern.dll"
